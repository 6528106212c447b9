#pragma once

#include "catalogue/entry_lists.h"
#include "package/package_knowledge.h"
#include "package/package_needs.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// Which cached packages need which, the other way round: made once from
// what was read of the cache's files, so that the window can say of any
// package how many maps need it without reading anything.
class NeededBy {
public:
  NeededBy(const ListsView &lists, const std::string &cacheDirectory, const PackageKnowledge &knowledge);

  // How many cached maps need the package at `place`, through the whole
  // chain (never the package itself).
  std::size_t mapsNeeding(EntryPlace place) const;

  // Bounds the walk back through the chain.
  static constexpr std::size_t kMaxSteps = 1 << 20;

private:
  ListsView lists_;
  // A package's key -> the entries whose packages name it among their needs.
  std::unordered_map<std::string, std::vector<EntryPlace>> needers_;
};
