#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/category.h"
#include "catalogue/index_lines.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The entries of the category called `categoryName`, in the order of their
// lines in the index at `indexPath`. A name that is no category's gives an
// empty list. A read error ends the list like the end of the file does.
// std::nullopt when the index cannot be opened.
std::optional<std::vector<CacheEntry>> readCategory(const std::string &indexPath, std::string_view categoryName);

// All eight lists in one pass over the index, each as readCategory() gives
// it; std::nullopt when the index cannot be opened.
std::optional<std::array<std::vector<CacheEntry>, kCategoryCount>> readAllLists(const std::string &indexPath);

// An entry line's two names as the program keeps them: the key before its
// first "=" and the value after it, each up to its first NUL byte.
struct EntryLine {
  std::string_view key;
  std::string_view value;
};

// std::nullopt for a line without "=".
std::optional<EntryLine> splitEntryLine(const IndexLine &line);
