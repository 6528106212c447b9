#pragma once

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
  CannotOpen, // missing, unreadable, or a folder
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
