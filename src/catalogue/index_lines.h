#pragma once

#include "posix/file_descriptor.h"

#include <functional>
#include <string>
#include <string_view>

// One line of the index, without its line feed and carriage returns.
struct IndexLine {
  std::string_view bytes;
  // False when the line is known to hold no NUL byte, so that readers can
  // skip looking for one.
  bool mayHoldNul = true;
};

using IndexLineHandler = std::function<void(const IndexLine &line)>;

enum class ScanOutcome {
  CannotOpen, // missing, unreadable, or not a regular file (a folder, a FIFO)
  ReadError,  // the lines before the error were handed over
  Whole,
};

// Reads the index at `path` in one pass and hands each line to `onLine`:
// the bytes up to each line feed, with every carriage return removed. Lines
// of any length are handed over whole. Bytes after the last line feed form
// no line; when `tail` is given they are stored there (carriage returns
// removed). A read error ends the scan, and the tail is then left empty.
// Calls nothing when the file cannot be opened.
ScanOutcome scanIndexLines(const std::string &path, const IndexLineHandler &onLine, std::string *tail = nullptr);

// The same over the index open as `fd`, from its current offset.
ScanOutcome scanIndexLines(int fd, const IndexLineHandler &onLine, std::string *tail = nullptr);

// Opens the index at `path` for reading: a link to it is followed, but only
// a regular file is opened, and opening never waits (on a FIFO, say).
FileDescriptor openIndex(const std::string &path);
