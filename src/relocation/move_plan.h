#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/category.h"
#include "catalogue/entry_lists.h"

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

// Appends the ticked entries (selected exactly 1) of `list`, the list of
// `category`, to `plan`, in list order. The list itself is only read.
void collectTicked(std::size_t category, std::span<const CacheEntry> list, std::vector<PlannedMove> &plan);
// The ticked entries of all eight lists, in category order.
std::vector<PlannedMove> collectAllTicked(const ListsView &lists);
