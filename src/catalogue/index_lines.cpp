#include "catalogue/index_lines.h"

#include "posix/file_descriptor.h"
#include "posix/io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

void appendWithoutCarriageReturns(std::string &line, const char *begin, const char *end) {
  while (begin < end) {
    const auto *carriageReturn = static_cast<const char *>(std::memchr(begin, '\r', end - begin));
    const char *stop = carriageReturn ? carriageReturn : end;
    line.append(begin, stop);
    begin = carriageReturn ? carriageReturn + 1 : end;
  }
}

} // namespace

FileDescriptor openIndex(const std::string &path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.valid())
    return file;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0)
    return FileDescriptor();
  if (!S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return FileDescriptor();
  }
  return file;
}

ScanOutcome scanIndexLines(const std::string &path, const IndexLineHandler &onLine, std::string *tail) {
  const FileDescriptor file = openIndex(path);
  if (!file.valid())
    return ScanOutcome::CannotOpen;
  return scanIndexLines(file.get(), onLine, tail);
}

ScanOutcome scanIndexLines(int fd, const IndexLineHandler &onLine, std::string *tail) {
  std::vector<char> block(kBlockSize);
  // Holds a line that runs across blocks or holds a carriage return; other
  // lines are handed over straight from the block.
  std::string pending;
  for (;;) {
    const ssize_t got = readSome(fd, block.data(), block.size());
    if (got < 0)
      return ScanOutcome::ReadError;
    if (got == 0)
      break;
    const char *next = block.data();
    const char *const end = next + got;
    const bool blockHoldsNul = std::memchr(next, '\0', end - next) != nullptr;
    while (next < end) {
      const char *const lineFeed = static_cast<const char *>(std::memchr(next, '\n', end - next));
      const char *const lineEnd = lineFeed ? lineFeed : end;
      if (lineFeed && pending.empty() && !std::memchr(next, '\r', lineEnd - next)) {
        onLine(IndexLine{std::string_view(next, lineEnd - next), blockHoldsNul});
      } else {
        appendWithoutCarriageReturns(pending, next, lineEnd);
        if (lineFeed) {
          onLine(IndexLine{pending, pending.find('\0') != std::string::npos});
          pending.clear();
        }
      }
      next = lineFeed ? lineFeed + 1 : end;
    }
  }
  if (tail)
    *tail = std::move(pending);
  return ScanOutcome::Whole;
}
