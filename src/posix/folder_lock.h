#pragma once

#include "posix/file_descriptor.h"

#include <string>

// An exclusive lock on a folder for as long as this object lives. The kernel
// lets go of it when the process ends, however it ends, so a lock is never
// left stale; no file is created for it.
class FolderLock {
public:
  enum class State {
    Held,
    HeldElsewhere, // another process (or another lock in this one) holds it
    Unavailable,   // the folder cannot be opened or locked at all
  };

  explicit FolderLock(const std::string &folder);
  State state() const { return state_; }
  // Whether the lock is held on the folder that stands at `folder` now.
  bool holds(const std::string &folder) const;

private:
  FileDescriptor folder_;
  State state_ = State::Unavailable;
};
