#pragma once

#include "catalogue/cache_entry.h"

#include <functional>
#include <string>
#include <unordered_set>

// A package as the user knows it across a reading of the lists anew: by its
// cache name and real name, since its row may be another's afterwards.
struct PackageKey {
  std::string cacheName;
  std::string utName;

  static PackageKey of(const CacheEntry &entry) { return {entry.cacheName, entry.utName}; }
  bool operator==(const PackageKey &) const = default;
};

struct PackageKeyHash {
  std::size_t operator()(const PackageKey &key) const {
    const std::hash<std::string> hash;
    return hash(key.cacheName) ^ (hash(key.utName) * 31);
  }
};

using PackageKeys = std::unordered_set<PackageKey, PackageKeyHash>;
