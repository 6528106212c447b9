#pragma once

#include "catalogue/cache_entry.h"

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

// How many entries of one list share each real name (ASCII case aside, as
// the game compares names): two versions of a map downloaded from two
// servers are two entries of one name.
class PackageVersions {
public:
  explicit PackageVersions(std::span<const CacheEntry> list);
  // 1 for a name no other entry has.
  std::size_t of(std::string_view utName) const;

private:
  std::unordered_map<std::string, std::size_t> counts_;
};
