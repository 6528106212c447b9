#pragma once

#include "catalogue/cache_entry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The entries of the category called `categoryName`, in the order of their
// lines in the index at `indexPath`. A name that is no category's gives an
// empty list. std::nullopt when the index cannot be opened.
std::optional<std::vector<CacheEntry>> readCategory(const std::string &indexPath, std::string_view categoryName);

// The lines of an index that the program must keep but does not show: entry
// lines whose value ends in no category's ending, and an entry line that the
// file ends with but does not finish with a line feed.
struct ForeignLines {
  std::vector<std::string> lines;
  std::string unterminatedTail; // empty when the file ends with a line feed
};

// std::nullopt when the index cannot be opened.
std::optional<ForeignLines> readForeignLines(const std::string &indexPath);
