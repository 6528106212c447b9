#pragma once

#include <unistd.h>

#include <utility>

// Owns a POSIX file descriptor and closes it on destruction. close() is
// offered separately so that writers can check its result.
class FileDescriptor {
public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor &operator=(FileDescriptor &&other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor &) = delete;
  FileDescriptor &operator=(const FileDescriptor &) = delete;
  ~FileDescriptor() { reset(); }

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

  // Closes the descriptor and reports whether the kernel accepted the close.
  bool close() {
    if (fd_ < 0)
      return false;
    return ::close(std::exchange(fd_, -1)) == 0;
  }

private:
  void reset() {
    if (fd_ >= 0)
      ::close(std::exchange(fd_, -1));
  }

  int fd_ = -1;
};
