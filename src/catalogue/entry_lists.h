#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/category.h"

#include <array>
#include <span>

// The eight entry lists in category order, as code that only reads them
// sees them.
using ListsView = std::array<std::span<const CacheEntry>, kCategoryCount>;
