#include "catalogue/cache_reader.h"

#include "catalogue/category.h"
#include "catalogue/index_lines.h"

namespace {

// Names are C strings in the index's world, so each ends at its first NUL
// byte.
std::string_view untilNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// An entry's category is decided by its value as it is kept. Without a NUL
// byte that is the same as testing the end of the line, since no ending holds
// an "="; with one, the entry stays in the category its kept name belongs to,
// so that writing the index back and reading it again gives the same lists.
bool belongsTo(const EntryLine &entry, const Category &category) {
  return endsWithEnding(entry.value, category.ending);
}

} // namespace

std::optional<EntryLine> splitEntryLine(const IndexLine &line) {
  const std::size_t separator = line.bytes.find('=');
  if (separator == std::string_view::npos)
    return std::nullopt;
  const std::string_view key = line.bytes.substr(0, separator);
  const std::string_view value = line.bytes.substr(separator + 1);
  if (!line.mayHoldNul)
    return EntryLine{key, value};
  return EntryLine{untilNul(key), untilNul(value)};
}

std::optional<std::vector<CacheEntry>> readCategory(const std::string &indexPath, std::string_view categoryName) {
  const Category *const category = findCategory(categoryName);
  std::vector<CacheEntry> entries;
  const ScanOutcome outcome = scanIndexLines(indexPath, [&](const IndexLine &line) {
    if (!category)
      return;
    // Without a NUL byte the value ends where the line does, so most lines
    // are passed over on their last bytes alone.
    if (!line.mayHoldNul && !endsWithEnding(line.bytes, category->ending))
      return;
    const std::optional<EntryLine> entry = splitEntryLine(line);
    if (!entry || !belongsTo(*entry, *category))
      return;
    entries.push_back(CacheEntry{0, std::string(entry->value), std::string(entry->key)});
  });
  if (outcome == ScanOutcome::CannotOpen)
    return std::nullopt;
  return entries;
}

std::optional<std::array<std::vector<CacheEntry>, kCategoryCount>> readAllLists(const std::string &indexPath) {
  std::array<std::vector<CacheEntry>, kCategoryCount> lists;
  const ScanOutcome outcome = scanIndexLines(indexPath, [&](const IndexLine &line) {
    // Without a NUL byte the value ends where the line does, so most lines
    // are sorted on their last bytes alone, before they are split.
    const Category *category = line.mayHoldNul ? nullptr : categoryOfLine(line.bytes);
    if (!line.mayHoldNul && !category)
      return;
    const std::optional<EntryLine> entry = splitEntryLine(line);
    if (!entry)
      return;
    if (line.mayHoldNul)
      category = categoryOfLine(entry->value);
    if (!category)
      return;
    lists[static_cast<std::size_t>(category - kCategories.data())].push_back(
        CacheEntry{0, std::string(entry->value), std::string(entry->key)});
  });
  if (outcome == ScanOutcome::CannotOpen)
    return std::nullopt;
  return lists;
}
