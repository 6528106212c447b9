#pragma once

#include <sys/stat.h>

// What tells one state of a file from another: the file itself (volume and
// inode), its size, and the times a write or a change of its attributes
// sets. Two equal identities are the same bytes, as far as the system tells.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  struct timespec modified {};
  struct timespec changed {};

  static FileIdentity of(const struct stat &info) {
#ifdef __APPLE__
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtimespec, info.st_ctimespec};
#else
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
#endif
  }

  friend bool operator==(const FileIdentity &a, const FileIdentity &b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && sameTime(a.modified, b.modified) &&
           sameTime(a.changed, b.changed);
  }

private:
  static bool sameTime(const struct timespec &a, const struct timespec &b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  }
};
