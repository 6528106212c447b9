#pragma once

#include <cstdint>
#include <string>

// Flushes to stable storage. On Linux these are fsync() and syncfs(); on
// macOS, where fsync() only hands the data to the drive, a file or folder is
// flushed with F_FULLFSYNC, which also empties the drive's write cache.

// A file's bytes and attributes.
bool flushFile(int fd);
// A folder's entries: the names created, renamed or removed in it.
bool flushFolder(const std::string &path);
// Everything written so far on the volume that holds the open file `fd`.
// On macOS a file is only covered when it went through
// handToVolumeFlush() before it was closed.
bool flushVolume(int fd);
// Readies a file written during a move for the one flushVolume() that
// follows: nothing on Linux; on macOS, fsync(), which moves the bytes from
// the system's cache to the drive without emptying the drive's cache.
bool handToVolumeFlush(int fd);

// How many flushes the process has asked for, for benchmarks and tests.
std::uint64_t flushCallCount();
