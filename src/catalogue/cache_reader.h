#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/index_lines.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The entries of the category called `categoryName`, in the order of their
// lines in the index at `indexPath`. A name that is no category's gives an
// empty list. A read error ends the list like the end of the file does.
// std::nullopt when the index cannot be opened.
std::optional<std::vector<CacheEntry>> readCategory(const std::string &indexPath, std::string_view categoryName);

// The lines of an index that the program must keep but does not show: entry
// lines whose value ends in no category's ending, and an entry line that the
// file ends with but does not finish with a line feed.
struct ForeignLines {
  std::vector<std::string> lines;
  std::string unterminatedTail; // empty when the file ends with a line feed
};

// An entry line's two names as the program keeps them: the key before its
// first "=" and the value after it, each up to its first NUL byte.
struct EntryLine {
  std::string_view key;
  std::string_view value;
};

// std::nullopt for a line without "=".
std::optional<EntryLine> splitEntryLine(const IndexLine &line);
