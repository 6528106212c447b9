#include "relocation/same_contents.h"

#include "posix/file_descriptor.h"
#include "posix/io.h"

#include <array>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

FileDescriptor openPlainFile(const std::string &path, struct stat &info) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return FileDescriptor();
  return file;
}

// Reads exactly `size` bytes, or fewer at the end of the file; -1 on error.
ssize_t readBlock(int fd, char *buffer, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t read = readSome(fd, buffer + got, size - got);
    if (read < 0)
      return -1;
    if (read == 0)
      break;
    got += static_cast<std::size_t>(read);
  }
  return static_cast<ssize_t>(got);
}

} // namespace

std::optional<bool> sameContents(const std::string &first, const std::string &second) {
  struct stat firstInfo {};
  struct stat secondInfo {};
  const FileDescriptor one = openPlainFile(first, firstInfo);
  const FileDescriptor other = openPlainFile(second, secondInfo);
  if (!one.valid() || !other.valid())
    return std::nullopt;
  if (firstInfo.st_size != secondInfo.st_size)
    return false;
  if (firstInfo.st_dev == secondInfo.st_dev && firstInfo.st_ino == secondInfo.st_ino)
    return true;
  std::array<char, kBlockSize> left{};
  std::array<char, kBlockSize> right{};
  for (;;) {
    const ssize_t leftGot = readBlock(one.get(), left.data(), left.size());
    const ssize_t rightGot = readBlock(other.get(), right.data(), right.size());
    if (leftGot < 0 || rightGot < 0)
      return std::nullopt;
    if (leftGot != rightGot || std::memcmp(left.data(), right.data(), static_cast<std::size_t>(leftGot)) != 0)
      return false;
    if (leftGot == 0)
      return true;
  }
}
