#include "catalogue/cache_reader.h"

#include "catalogue/category.h"
#include "catalogue/index_lines.h"

namespace {

// Names are C strings in the index's world: a NUL byte ends them.
std::string untilNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

} // namespace

std::optional<std::vector<CacheEntry>> readCategory(const std::string &indexPath, std::string_view categoryName) {
  const Category *const category = findCategory(categoryName);
  std::vector<CacheEntry> entries;
  const bool opened = scanIndexLines(indexPath, [&](std::string_view line) {
    if (!category)
      return;
    const std::size_t separator = line.find('=');
    if (separator == std::string_view::npos || !endsWithEnding(line, category->ending))
      return;
    entries.push_back(CacheEntry{0, untilNul(line.substr(separator + 1)), untilNul(line.substr(0, separator))});
  });
  if (!opened)
    return std::nullopt;
  return entries;
}

std::optional<ForeignLines> readForeignLines(const std::string &indexPath) {
  ForeignLines foreign;
  std::string tail;
  const bool opened = scanIndexLines(
      indexPath,
      [&](std::string_view line) {
        if (line.find('=') != std::string_view::npos && !categoryOfLine(line))
          foreign.lines.emplace_back(line);
      },
      &tail);
  if (!opened)
    return std::nullopt;
  if (tail.find('=') != std::string::npos)
    foreign.unterminatedTail = std::move(tail);
  return foreign;
}
