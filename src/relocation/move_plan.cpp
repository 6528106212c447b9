#include "relocation/move_plan.h"

std::string destinationOf(const Category &category, const std::string &utName) {
  std::string destination;
  destination.reserve(category.name.size() + 1 + utName.size());
  destination.append(category.name).append("/").append(utName);
  return destination;
}

std::string PlannedMove::destination() const { return destinationOf(kCategories[category], utName); }

void collectTicked(std::size_t category, std::span<const CacheEntry> list, std::vector<PlannedMove> &plan) {
  for (const CacheEntry &entry : list) {
    if (entry.selected == 1)
      plan.push_back(PlannedMove{category, entry.cacheName, entry.utName, {}});
  }
}

std::vector<PlannedMove> collectAllTicked(const ListsView &lists) {
  std::vector<PlannedMove> plan;
  for (std::size_t category = 0; category < kCategoryCount; ++category)
    collectTicked(category, lists[category], plan);
  return plan;
}
