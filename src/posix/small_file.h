#pragma once

#include <cstddef>
#include <string>

// Settings files that other programs write, read at start-up: a FIFO, a
// device or a huge file in their place is passed over, never waited on.
inline constexpr std::size_t kSmallFileCap = 1 << 20;

struct SmallFile {
  enum class State { Absent, Read, NotAPlainFile, TooLarge, Unreadable };
  State state = State::Absent;
  std::string text; // what was read, when state is Read
};

// Opens `path` without blocking (a link is followed, but only to a plain
// file) and reads it whole when it is at most `cap` bytes; a file that grows
// past `cap` while read is too large too.
SmallFile readSmallFile(const std::string &path, std::size_t cap = kSmallFileCap);

// The same checks without reading the text, for a file another library
// reads: Read means it may be read.
SmallFile::State checkSmallFile(const std::string &path, std::size_t cap = kSmallFileCap);

// Why a file was passed over, for the status bar: "it is not a plain file".
const char *passedOverReason(SmallFile::State state);
