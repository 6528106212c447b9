#include "relocation/move_plan.h"

#include <iterator>

std::string destinationOf(const Category &category, const std::string &utName) {
  std::string destination;
  destination.reserve(category.name.size() + 1 + utName.size());
  destination.append(category.name).append("/").append(utName);
  return destination;
}

std::string PlannedMove::destination() const { return destinationOf(kCategories[category], utName); }

void collectTicked(std::size_t category, std::vector<CacheEntry> &list, std::vector<PlannedMove> &plan) {
  // One pass: unticked entries close up towards the front in their order, the
  // ticked ones leave, and the tail left over is cut off at the end.
  std::size_t unticked = 0;
  for (std::size_t position = 0; position < list.size(); ++position) {
    CacheEntry &entry = list[position];
    if (entry.selected != 1) {
      if (unticked != position)
        list[unticked] = std::move(entry);
      ++unticked;
      continue;
    }
    plan.push_back(PlannedMove{category, std::move(entry.cacheName), std::move(entry.utName), {}});
  }
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(unticked), list.end());
}

std::vector<CacheEntry> takeKeptEntries(std::span<std::vector<CacheEntry> *const> unticked,
                                        std::vector<CacheEntry> failed) {
  std::size_t count = failed.size();
  for (const std::vector<CacheEntry> *list : unticked)
    count += list->size();
  std::vector<CacheEntry> kept;
  kept.reserve(count);
  for (std::vector<CacheEntry> *list : unticked) {
    kept.insert(kept.end(), std::make_move_iterator(list->begin()), std::make_move_iterator(list->end()));
    list->clear();
  }
  kept.insert(kept.end(), std::make_move_iterator(failed.begin()), std::make_move_iterator(failed.end()));
  return kept;
}
