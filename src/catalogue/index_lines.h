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

// Reads the index at `path` in one pass and hands each line to `onLine`:
// the bytes up to each line feed, with every carriage return removed. Lines
// of any length are handed over whole. Bytes after the last line feed form
// no line; when `tail` is given they are stored there (carriage returns
// removed). A read error ends the scan like the end of the file does.
// Returns false, calling nothing, when the file cannot be opened or is a
// folder.
bool scanIndexLines(const std::string &path, const IndexLineHandler &onLine, std::string *tail = nullptr);
