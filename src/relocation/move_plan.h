#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/category.h"

#include <span>
#include <string>
#include <vector>

// The work lists of one move command. cacheNames and destinations are
// parallel: element i of each belongs to the same ticked entry.
//
// The entries that stay in the index are the unticked ones, category by
// category, then those whose transfer failed. The unticked ones stay in
// their category lists until the index is written, so that collecting copies
// nothing; takeKeptEntries() then puts them all in one list.
struct MovePlan {
  std::vector<std::string> cacheNames;
  // Relative to the installation: the category name, "/", the entry's utName.
  std::vector<std::string> destinations;
  // Entries whose files did not move, in the order they were tried.
  std::vector<CacheEntry> failedEntries;
};

// A plan destination: "<Category>/<utName>".
std::string destinationOf(const Category &category, const std::string &utName);

// The utName of a plan destination: the text after the category folder.
inline std::string utNameOfDestination(const std::string &destination) {
  return destination.substr(destination.find('/') + 1);
}

// Takes the ticked entries (selected exactly 1) out of `list` into the plan's
// cacheNames and destinations; `list` keeps its other entries in their order.
// Linear in the list's length.
void collectTicked(const Category &category, std::vector<CacheEntry> &list, MovePlan &plan);

// The entries that stay in the index, in the order it is written: those of
// `unticked`, list by list, then `failed`. Moves them out of the lists.
std::vector<CacheEntry> takeKeptEntries(std::span<std::vector<CacheEntry> *const> unticked,
                                        std::vector<CacheEntry> failed);
