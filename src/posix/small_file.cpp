#include "posix/small_file.h"

#include "posix/file_descriptor.h"
#include "posix/io.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

SmallFile::State openChecked(const std::string &path, std::size_t cap, FileDescriptor &file, std::size_t &size) {
  file = FileDescriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file.valid())
    return errno == ENOENT || errno == ENOTDIR ? SmallFile::State::Absent : SmallFile::State::Unreadable;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0)
    return SmallFile::State::Unreadable;
  if (!S_ISREG(info.st_mode))
    return SmallFile::State::NotAPlainFile;
  if (static_cast<std::uint64_t>(info.st_size) > cap)
    return SmallFile::State::TooLarge;
  size = static_cast<std::size_t>(info.st_size);
  return SmallFile::State::Read;
}

} // namespace

SmallFile readSmallFile(const std::string &path, std::size_t cap) {
  FileDescriptor file;
  std::size_t size = 0;
  SmallFile result{openChecked(path, cap, file, size), {}};
  if (result.state != SmallFile::State::Read)
    return result;
  // One byte more than its size tells a file that grew while it was read;
  // it may grow up to the cap.
  result.text.resize(size + 1);
  for (std::size_t read = 0;;) {
    const ssize_t got = readFull(file.get(), result.text.data() + read, result.text.size() - read);
    if (got < 0)
      return SmallFile{SmallFile::State::Unreadable, {}};
    read += static_cast<std::size_t>(got);
    if (read > cap)
      return SmallFile{SmallFile::State::TooLarge, {}};
    if (read < result.text.size()) {
      result.text.resize(read);
      return result;
    }
    result.text.resize(std::min(cap + 1, result.text.size() * 2));
  }
}

SmallFile::State checkSmallFile(const std::string &path, std::size_t cap) {
  FileDescriptor file;
  std::size_t size = 0;
  return openChecked(path, cap, file, size);
}

const char *passedOverReason(SmallFile::State state) {
  switch (state) {
  case SmallFile::State::NotAPlainFile:
    return "it is not a plain file";
  case SmallFile::State::TooLarge:
    return "it is larger than a settings file can be";
  case SmallFile::State::Unreadable:
    return "it cannot be read";
  case SmallFile::State::Absent:
  case SmallFile::State::Read:
    break;
  }
  return "";
}
