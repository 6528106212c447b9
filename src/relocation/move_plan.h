#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/category.h"

#include <span>
#include <string>
#include <vector>

// One ticked package of a move: where it comes from and where it goes.
struct PlannedMove {
  std::size_t category = 0; // its position in kCategories
  std::string cacheName;
  std::string utName;
  // The name its copy is staged under beside its destination; chosen, and
  // written to the journal, before anything is created.
  std::string temporaryName;

  // Relative to the installation: "<Category>/<utName>".
  std::string destination() const;
  CacheEntry entry() const { return CacheEntry{0, utName, cacheName}; }
};

// A plan destination: "<Category>/<utName>".
std::string destinationOf(const Category &category, const std::string &utName);

// Takes the ticked entries (selected exactly 1) out of `list` into `plan`;
// `list` keeps its other entries in their order. Linear in the list's length.
void collectTicked(std::size_t category, std::vector<CacheEntry> &list, std::vector<PlannedMove> &plan);

// The entries that stay in the index, in the order it is written: those of
// `unticked`, list by list, then `failed`. Moves them out of the lists.
std::vector<CacheEntry> takeKeptEntries(std::span<std::vector<CacheEntry> *const> unticked,
                                        std::vector<CacheEntry> failed);
