#include "posix/folder_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

FolderLock::FolderLock(const std::string &folder)
    : folder_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (!folder_.valid())
    return;
  int result = 0;
  while ((result = ::flock(folder_.get(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (result == 0)
    state_ = State::Held;
  else if (errno == EWOULDBLOCK)
    state_ = State::HeldElsewhere;
  if (state_ != State::Held)
    folder_ = FileDescriptor();
}

bool FolderLock::holds(const std::string &folder) const {
  struct stat held {};
  struct stat there {};
  return state_ == State::Held && ::fstat(folder_.get(), &held) == 0 && ::stat(folder.c_str(), &there) == 0 &&
         held.st_dev == there.st_dev && held.st_ino == there.st_ino;
}
