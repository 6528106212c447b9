#pragma once

#include <string_view>

// `text` without the spaces, tabs and carriage returns around it, as the
// game's settings reader takes a key or a value.
inline std::string_view withoutBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}
