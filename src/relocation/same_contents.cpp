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
    const ssize_t leftGot = readFull(one.get(), left.data(), left.size());
    const ssize_t rightGot = readFull(other.get(), right.data(), right.size());
    if (leftGot < 0 || rightGot < 0)
      return std::nullopt;
    if (leftGot != rightGot || std::memcmp(left.data(), right.data(), static_cast<std::size_t>(leftGot)) != 0)
      return false;
    if (leftGot == 0)
      return true;
  }
}
