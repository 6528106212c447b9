#include "relocation/file_copy.h"

#include "posix/file_descriptor.h"
#include "posix/io.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 256 * 1024;
// How much is copied between two reports of progress.
constexpr std::size_t kChunkSize = 8 * 1024 * 1024;

// The kernel's own file copy; std::nullopt when it cannot copy between these
// two files at all, so that the plain loop must.
std::optional<bool> copyInKernel([[maybe_unused]] int from, [[maybe_unused]] int to,
                                 [[maybe_unused]] const CopyProgress &onChunk) {
#ifndef __linux__
  return std::nullopt;
#else
  std::uint64_t total = 0;
  for (;;) {
    const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kChunkSize, 0);
    if (copied == 0)
      return true;
    if (copied > 0) {
      total += static_cast<std::uint64_t>(copied);
      if (onChunk)
        onChunk(total);
      continue;
    }
    if (errno == EINTR)
      continue;
    const bool unsupported = errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    if (unsupported && total == 0)
      return std::nullopt;
    return false;
  }
#endif
}

bool copyThroughBuffer(int from, int to, const CopyProgress &onChunk) {
  std::vector<char> buffer(kBufferSize);
  std::uint64_t total = 0;
  for (;;) {
    const ssize_t got = readSome(from, buffer.data(), buffer.size());
    if (got == 0)
      return true;
    if (got < 0 || !writeAll(to, buffer.data(), static_cast<std::size_t>(got)))
      return false;
    total += static_cast<std::uint64_t>(got);
    if (onChunk && total % kChunkSize < static_cast<std::uint64_t>(got))
      onChunk(total);
  }
}

} // namespace

bool copyContents(int from, int to, const CopyProgress &onChunk) {
  if (const std::optional<bool> copied = copyInKernel(from, to, onChunk))
    return *copied;
  return copyThroughBuffer(from, to, onChunk);
}

CopyOutcome copyFile(const std::string &source, const std::string &destination,
                     const std::function<void()> &stillCopying) {
  // A link in the cache could lead anywhere; only the cache's own files move.
  const FileDescriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  struct stat info {};
  if (!input.valid() || ::fstat(input.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return CopyOutcome::SourceUnreadable;

  ReplacementFile output(destination);
  if (!output.valid())
    return CopyOutcome::DestinationUnwritable;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  const CopyProgress onChunk = [&](std::uint64_t copied) {
    if (stillCopying && copied < size)
      stillCopying();
  };
  if (!copyContents(input.get(), output.fd(), onChunk) || !output.commit())
    return CopyOutcome::Failed;
  return CopyOutcome::Copied;
}
