#pragma once

#include <string>
#include <sys/stat.h>

// The folder part of `path`: "." for a bare name, "/" for a name in the root.
inline std::string folderOf(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether a plain file stands at `path` itself: not a folder, and not a link,
// which could lead anywhere.
inline bool isPlainFile(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
