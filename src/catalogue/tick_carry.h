#pragma once

#include "catalogue/cache_entry.h"

#include <set>
#include <span>
#include <string>
#include <vector>

// Ticks each entry of `read` (a list read anew) whose cache name and real
// name an entry ticked in `previous` has, but those of the cache names in
// `went`: the packages a command left where they were keep their ticks.
void carryTicks(std::span<const CacheEntry> previous, std::vector<CacheEntry> &read, const std::set<std::string> &went);
