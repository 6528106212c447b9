#pragma once

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// The folder part of `path`: "." for a bare name, "/" for a name in the root.
inline std::string folderOf(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The size of the plain file that stands at `path` itself; nothing for a
// folder, or for a link, which could lead anywhere.
inline std::optional<std::uint64_t> plainFileSize(const std::string &path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

// Whether a plain file stands at `path`, or a link leads to one.
inline bool plainFileAt(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether a move to `path` would replace something: anything but a folder
// stands there (a link to a folder counts as a folder).
inline bool replaceableFileAt(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// Whether this process may add and remove names in the folder at `path`,
// judged as the kernel judges the process's own rights (a read-only volume
// counts): 0, or the error that stands in the way (ENOENT for no folder).
inline int folderWriteError(const std::string &path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}
