#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One cached package as the index names it. Entries are values: changing the
// tick means putting a new entry in the old one's place.
struct CacheEntry {
  int selected = 0;      // 1 means ticked; anything else counts as not ticked
  std::string utName;    // the package's real name, right of the first "="
  std::string cacheName; // the coded base name of the cached file, left of it

  friend bool operator==(const CacheEntry &, const CacheEntry &) = default;
};

// The cached file of the entry named `cacheName`: "<cacheName>.uxx" in the
// cache folder.
inline std::string cachedFilePath(const std::string &cacheDirectory, const std::string &cacheName) {
  return cacheDirectory + "/" + cacheName + ".uxx";
}

// Puts an entry with the tick `selected` and the same names in the place of
// list[position], in constant time. The new value differs from the old one
// only in its tick, so writing the tick is all the replacement takes.
inline void replaceTick(std::vector<CacheEntry> &list, std::size_t position, int selected) {
  list[position].selected = selected;
}
