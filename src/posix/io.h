#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <sys/types.h>

// read() and write() that retry after interruptions. writeAll() writes the
// whole buffer or reports failure; readSome() returns what read() returns.
ssize_t readSome(int fd, void *buffer, std::size_t size);
// Reads `size` bytes, or fewer only at the end of the file: how many, or -1
// with errno set when a read fails.
ssize_t readFull(int fd, void *buffer, std::size_t size);
bool writeAll(int fd, const void *buffer, std::size_t size);

// Everything left to read from `fd`; std::nullopt when a read fails.
std::optional<std::string> readToEnd(int fd);
