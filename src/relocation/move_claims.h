#pragma once

#include "relocation/move_plan.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>

// Within one move, the first package (in plan order) for a destination takes
// it, and a cached file moves once, for its first line. Names are compared
// as their volume compares them: on one that folds case, DM-Foo.ut2 and
// dm-foo.UT2 are one file.
class MoveClaims {
public:
  enum class Claim {
    Taken,
    LeavesFolder,    // a ".." component, or no name at all
    SameCachedFile,  // an earlier package takes this cached file
    SameDestination, // an earlier package goes to the same file
  };

  // Whether the cache folder (nullopt) or a category folder (its position)
  // folds case; asked at most once for each.
  using FoldsCase = std::function<bool(std::optional<std::size_t> category)>;
  explicit MoveClaims(FoldsCase foldsCase) : foldsCase_(std::move(foldsCase)) {}

  Claim claim(const PlannedMove &move);

private:
  std::string key(std::optional<std::size_t> category, const std::string &name);

  FoldsCase foldsCase_;
  std::array<std::optional<bool>, kCategoryCount + 1> folds_;
  std::set<std::string> sources_;
  std::set<std::string> destinations_;
};
