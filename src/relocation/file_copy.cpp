#include "relocation/file_copy.h"

#include "posix/io.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 256 * 1024;
// How much is copied between two reports of progress.
constexpr std::size_t kChunkSize = 8 * 1024 * 1024;

struct Copied {
  std::uint64_t bytes = 0;
  int error = 0;
};

// The kernel's own file copy, up to `expectedSize` bytes. Some file systems
// report the end early; the loop through a buffer then goes on from where
// this stopped. Leaves `copied.error` 0 when it stopped without failing,
// including when it cannot copy between these two files at all.
void copyInKernel([[maybe_unused]] int from, [[maybe_unused]] int to, [[maybe_unused]] std::uint64_t expectedSize,
                  [[maybe_unused]] Copied &copied, [[maybe_unused]] const CopyProgress &onChunk) {
#ifdef __linux__
  while (copied.bytes < expectedSize) {
    const std::uint64_t wanted = std::min<std::uint64_t>(kChunkSize, expectedSize - copied.bytes);
    const ssize_t got = ::copy_file_range(from, nullptr, to, nullptr, static_cast<std::size_t>(wanted), 0);
    if (got == 0)
      return;
    if (got > 0) {
      copied.bytes += static_cast<std::uint64_t>(got);
      if (onChunk)
        onChunk(copied.bytes);
      continue;
    }
    if (errno == EINTR)
      continue;
    const bool unsupported = errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    if (!unsupported || copied.bytes != 0)
      copied.error = errno;
    return;
  }
#endif
}

void copyThroughBuffer(int from, int to, std::uint64_t expectedSize, Copied &copied, const CopyProgress &onChunk) {
  std::vector<char> buffer;
  while (copied.bytes < expectedSize) {
    if (buffer.empty())
      buffer.resize(kBufferSize);
    const std::uint64_t wanted = std::min<std::uint64_t>(buffer.size(), expectedSize - copied.bytes);
    const ssize_t got = readSome(from, buffer.data(), static_cast<std::size_t>(wanted));
    if (got == 0)
      return;
    if (got < 0 || !writeAll(to, buffer.data(), static_cast<std::size_t>(got))) {
      copied.error = errno != 0 ? errno : EIO;
      return;
    }
    copied.bytes += static_cast<std::uint64_t>(got);
    if (onChunk && copied.bytes % kChunkSize < static_cast<std::uint64_t>(got))
      onChunk(copied.bytes);
  }
}

} // namespace

int copyContents(int from, int to, std::uint64_t expectedSize, const CopyProgress &onChunk) {
  Copied copied;
  copyInKernel(from, to, expectedSize, copied, onChunk);
  if (copied.error == 0)
    copyThroughBuffer(from, to, expectedSize, copied, onChunk);
  if (copied.error != 0)
    return copied.error;
  return copied.bytes == expectedSize ? 0 : EIO;
}
