#pragma once

#include <string>

// The folder part of `path`: "." for a bare name, "/" for a name in the root.
inline std::string folderOf(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}
