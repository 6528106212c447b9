#pragma once

#include "catalogue/cache_entry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Finding, counting and sizing what the window shows, without the toolkit.

// Whether either name of `entry`, or a map's `title`, holds `filter`, ASCII
// letters compared without regard to case. The empty filter matches every
// entry.
bool matchesFilter(const CacheEntry &entry, std::string_view filter, std::string_view title = {});

// Whether `left` sorts before `right`, ASCII letters compared without regard
// to case, then byte by byte.
bool namesInOrder(std::string_view left, std::string_view right);

// "Maps (4,000)", or while a filter is on, "Maps (3 of 4,000)".
std::string tabLabel(std::string_view category, std::size_t shown, std::size_t total, bool filtered);

// "4,000 packages, 12 ticked".
std::string tabCountsText(std::size_t packages, std::size_t ticked);

struct TickedTotals {
  std::size_t ticked = 0;
  std::uint64_t bytes = 0;      // of the cached files whose size is known
  std::size_t missing = 0;      // ticked packages without a cached file
  std::size_t pendingSizes = 0; // not looked up yet
};
// "57 ticked in all, 1.2 GiB", with ", 3 missing" or ", sizing…".
std::string tickedTotalsText(const TickedTotals &totals);

// What an empty tab says: "No cached maps", or "No maps match the filter".
std::string emptyTabText(std::size_t category, bool filtered);

// The sizes of cached files, looked up when first asked for and kept until
// clear(): the window never looks at every file of the cache at once. A
// missing file (or anything but a plain file) has no size.
class PackageSizes {
public:
  std::optional<std::uint64_t> sizeOf(const std::string &cacheDirectory, const std::string &cacheName);

  // Adds the ticked entries of `list` to `totals`, looking up in
  // `cacheDirectory` at most `lookups` sizes not known yet (the others are
  // left pending), and lowers `lookups` by those it looked up.
  void addTicked(const std::string &cacheDirectory, const std::vector<CacheEntry> &list, TickedTotals &totals,
                 std::size_t &lookups);
  void clear() { sizes_.clear(); }

private:
  std::unordered_map<std::string, std::optional<std::uint64_t>> sizes_;
};

// What the status bar says a command did that has no report of its own.
// "Removed 99,600 entries that named no cached file"
std::string removedEntriesText(std::size_t lines);
// "Read the cache index again: 3,000 packages"
std::string reloadedText(std::size_t packages);
// "Opened the cache ~/.ut2004/Cache: 3,000 packages"
std::string openedCacheText(const std::string &cacheFolder, std::size_t packages);

// The Size column's note on a package the tab holds in more than one
// version: "One of 2 versions in the cache: the newer is the one downloaded
// last".
std::string versionsText(std::size_t versions);
