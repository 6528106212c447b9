#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/cache_reader.h"
#include "catalogue/category.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The entries the eight lists held when a move began: each category's
// unticked entries in list order, and the ticked ones as the move's work
// lists give them, category by category. Every other entry line of the index
// on disk (one the game added since, or one a read error hid) is kept.
struct HeldEntries {
  std::array<std::span<const CacheEntry>, kCategoryCount> unticked;
  std::span<const std::string> tickedCacheNames;
  std::span<const std::string> tickedDestinations; // "<Category>/<utName>"
};

// What the rewrite keeps of the index on disk besides the kept entries.
struct LinesToKeep {
  // Entry lines of the eight categories that no held entry accounts for,
  // counted as a multiset, in their order on disk.
  std::vector<std::string> unheldEntries;
  ForeignLines foreign;
};

// Reads what to keep of the index at `indexPath`. Nothing when no index is
// there; std::nullopt when one is there and cannot be read to its end.
std::optional<LinesToKeep> readLinesToKeep(const std::string &indexPath, const HeldEntries &held);

// The index text: "[Cache]", one "cacheName=utName" line per kept entry, the
// unheld entry lines, then the foreign lines in their old order, each line
// ended by a line feed, and last the old file's unfinished line as it stood.
// Names are written back as the bytes that were read.
std::string composeIndex(const std::vector<CacheEntry> &keptEntries, const LinesToKeep &lines);

// Writes the index at `indexPath` anew from `keptEntries`, keeping what
// readLinesToKeep() finds. The new file replaces the old one only when it is
// whole and on disk; false, with the old file untouched, when that fails or
// the old file exists but cannot be read whole.
bool rewriteIndex(const std::string &indexPath, const std::vector<CacheEntry> &keptEntries, const HeldEntries &held);

// Writes `text` as the whole new index at `indexPath`, through a temporary
// file that is flushed and renamed over it; the index's folder is flushed
// after. An index that is a link keeps being one: the file it leads to is
// replaced.
bool replaceIndex(const std::string &indexPath, const std::string &text);
