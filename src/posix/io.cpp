#include "posix/io.h"

#include <cerrno>
#include <unistd.h>

ssize_t readSome(int fd, void *buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR)
      return got;
  }
}

ssize_t readFull(int fd, void *buffer, std::size_t size) {
  char *into = static_cast<char *>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = readSome(fd, into + done, size - done);
    if (got < 0)
      return -1;
    if (got == 0)
      break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

bool writeAll(int fd, const void *buffer, std::size_t size) {
  const char *next = static_cast<const char *>(buffer);
  while (size > 0) {
    const ssize_t written = ::write(fd, next, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    next += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

std::optional<std::string> readToEnd(int fd) {
  std::string text;
  char block[64 * 1024];
  for (;;) {
    const ssize_t got = readSome(fd, block, sizeof block);
    if (got < 0)
      return std::nullopt;
    if (got == 0)
      return text;
    text.append(block, static_cast<std::size_t>(got));
  }
}
