#include "posix/flush.h"

#include "posix/file_descriptor.h"

#include <atomic>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<std::uint64_t> flushCalls{0};

bool flushDescriptor(int fd) {
  ++flushCalls;
#ifdef __APPLE__
  return ::fcntl(fd, F_FULLFSYNC) == 0 || ::fsync(fd) == 0;
#else
  return ::fsync(fd) == 0;
#endif
}

} // namespace

bool flushFile(int fd) { return flushDescriptor(fd); }

bool flushFolder(const std::string &path) {
  const FileDescriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return folder.valid() && flushDescriptor(folder.get());
}

bool flushVolume(int fd) {
#ifdef __linux__
  ++flushCalls;
  return ::syncfs(fd) == 0;
#else
  // The files of a move were each handed to the drive when they were closed;
  // one full flush empties the drive's cache for all of them.
  return flushDescriptor(fd);
#endif
}

bool handToVolumeFlush([[maybe_unused]] int fd) {
#ifdef __APPLE__
  return ::fsync(fd) == 0;
#else
  return true;
#endif
}

std::uint64_t flushCallCount() { return flushCalls.load(); }
