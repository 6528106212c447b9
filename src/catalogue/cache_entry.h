#pragma once

#include <string>

// One cached package as the index names it. Entries are values: changing the
// tick means putting a new entry in the old one's place.
struct CacheEntry {
  int selected = 0;      // 1 means ticked; anything else counts as not ticked
  std::string utName;    // the package's real name, right of the first "="
  std::string cacheName; // the coded base name of the cached file, left of it

  friend bool operator==(const CacheEntry &, const CacheEntry &) = default;
};

#include <cstddef>
#include <utility>
#include <vector>

// Puts a new entry with the tick `selected` and the same names in the place of
// list[position]. Constant time: the names move into the new entry.
inline void replaceTick(std::vector<CacheEntry> &list, std::size_t position, int selected) {
  list[position].selected = selected;
}
