#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/category.h"

#include <string>
#include <vector>

// The work lists of one move command. cacheNames and destinations are
// parallel: element i of each belongs to the same ticked entry.
struct MovePlan {
  std::vector<std::string> cacheNames;
  // Relative to the installation: the category name, "/", the entry's utName.
  std::vector<std::string> destinations;
  // The entries that stay in the index: first the unticked ones, then those
  // whose transfer failed.
  std::vector<CacheEntry> keptEntries;
};

// Takes the ticked entries (selected exactly 1) out of `list` into the plan's
// cacheNames and destinations, and appends the others to keptEntries; `list`
// keeps its unticked entries in their order. Linear in the list's length.
void collectTicked(const Category &category, std::vector<CacheEntry> &list, MovePlan &plan);
