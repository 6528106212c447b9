#pragma once

#include <dirent.h>

#include <memory>
#include <string>

// An open folder listing that is closed whenever it goes out of scope.
struct DirectoryCloser {
  void operator()(DIR *directory) const { ::closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

inline DirectoryHandle openDirectory(const std::string &path) { return DirectoryHandle(::opendir(path.c_str())); }
