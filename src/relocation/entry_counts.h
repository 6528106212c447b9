#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// A multiset of entries, known by both their names: how many of each pair
// of names there are still to account for.
class EntryCounts {
public:
  void add(std::string_view cacheName, std::string_view utName) { ++counts_[key(cacheName, utName)]; }

  // Whether one of this pair of names was left; takes it when it was.
  bool take(std::string_view cacheName, std::string_view utName) {
    const auto found = counts_.find(key(cacheName, utName));
    if (found == counts_.end() || found->second == 0)
      return false;
    --found->second;
    return true;
  }

private:
  // Names hold no NUL byte, so it cannot make two pairs look alike.
  static std::string key(std::string_view cacheName, std::string_view utName) {
    std::string key;
    key.reserve(cacheName.size() + utName.size() + 1);
    key.append(cacheName).append(1, '\0').append(utName);
    return key;
  }

  std::unordered_map<std::string, std::size_t> counts_;
};
