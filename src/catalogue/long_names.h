#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Names in the index can be of any length. Messages, tooltips and labels show
// at most this many bytes of one, so that no name can make the window slow.
inline constexpr std::size_t kShownNameLength = 240;

// `name` itself, or its first and last bytes around "…" when it is longer
// than `limit`. Cuts between bytes; the display layer makes the bytes text.
inline std::string elideName(std::string_view name, std::size_t limit = kShownNameLength) {
  if (name.size() <= limit)
    return std::string(name);
  const std::size_t head = limit * 2 / 3;
  const std::size_t tail = limit - head;
  return std::string(name.substr(0, head)) + "\u2026" + std::string(name.substr(name.size() - tail));
}
