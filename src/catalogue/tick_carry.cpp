#include "catalogue/tick_carry.h"

#include <string_view>
#include <utility>

void carryTicks(std::span<const CacheEntry> previous, std::vector<CacheEntry> &read,
                const std::set<std::string> &went) {
  // Views into `previous`, which outlives the set.
  std::set<std::pair<std::string_view, std::string_view>> ticked;
  for (const CacheEntry &entry : previous) {
    if (entry.selected == 1 && !went.contains(entry.cacheName))
      ticked.emplace(entry.cacheName, entry.utName);
  }
  if (ticked.empty())
    return;
  for (std::size_t position = 0; position < read.size(); ++position) {
    if (ticked.contains({read[position].cacheName, read[position].utName}))
      replaceTick(read, position, 1);
  }
}
