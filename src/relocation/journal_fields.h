#pragma once

#include "relocation/replacement_file.h"

#include <string>
#include <string_view>
#include <vector>

// The journals' record form: every field ends with a NUL byte and every
// record with a line feed, which no name from the index can hold.

inline void appendField(std::string &text, std::string_view field) {
  text += field;
  text += '\0';
}

// The fields of one record, without its line feed; bytes after the last NUL
// (a field cut short) are left out.
inline std::vector<std::string_view> splitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t end = text.find('\0'); end != std::string_view::npos; end = text.find('\0', start)) {
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

// A recorded temporary name is only ever one of this program's own.
inline std::string temporaryOrNothing(std::string_view name) {
  return isTemporaryFileName(name) ? std::string(name) : std::string();
}
