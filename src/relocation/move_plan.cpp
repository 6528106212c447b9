#include "relocation/move_plan.h"

void collectTicked(const Category &category, std::vector<CacheEntry> &list, MovePlan &plan) {
  std::vector<CacheEntry> unticked;
  unticked.reserve(list.size());
  for (CacheEntry &entry : list) {
    if (entry.selected == 1) {
      plan.destinations.push_back(std::string(category.name) + "/" + entry.utName);
      plan.cacheNames.push_back(std::move(entry.cacheName));
    } else {
      plan.keptEntries.push_back(entry);
      unticked.push_back(std::move(entry));
    }
  }
  list = std::move(unticked);
}
