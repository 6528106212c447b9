#pragma once

#include "app/app_controller.h"
#include "package/package_needs.h"

#include <cstddef>
#include <string>
#include <vector>

// The texts the window shows of what packages need, built without the
// toolkit.

// "Needs 24 packages: 12 in the game, 9 in the cache (3 ticked), 3 missing",
// "Needs nothing beyond itself"; `lists` tells which cached ones are ticked.
std::string needsSummary(const PackageNeeds &needs, const ListsView &lists);

// Every need a line: "ChainTex.utx: in the cache (Textures, ticked)",
// "StockMeshes: in the game (StaticMeshes/StockMeshes.usx)", "Purged:
// missing"; then the packages of the chain that could not be read.
std::string needsList(const PackageNeeds &needs, const ListsView &lists, const std::string &installation);

// "Needed by 1 map", "Needed by 2 maps"; empty for none.
std::string neededByText(std::size_t maps);

// The tooltip of a map that will not load: "will not load: FooTex is not in
// the game or the cache", or "…: FooTex, BarTex are not…".
std::string missingNeedsTooltip(const std::vector<std::string> &missing);

// The tooltip of a cached file that holds another package.
inline constexpr const char *kNotItsPackageTooltip = "This file is not the package its index line names";

// "Reading packages: 1,200 of 5,000".
std::string readingText(std::size_t done, std::size_t total);

// Said after Tick What It Needs: "Ticked 5 packages these need", "These
// need no package that is not ticked already".
std::string tickedNeedsText(std::size_t ticked);

// The move's check box: "Also move the 3 packages these need (1.2 MiB)".
std::string alsoMoveNeedsText(std::size_t packages, std::uint64_t bytes);

// Added to the move's question: what the needs reading found, empty when
// there is nothing to say.
std::string moveNeedsNotes(const MovePreview &preview);

// The Trash's check box and its note: "Keep the 2 packages that kept maps
// need", "DM-A.ut2, DM-B.ut2 and 3 more need them".
std::string keepNeededText(std::size_t packages);
std::string neededByMapsNote(const std::vector<std::string> &maps);

// The export's check box: "With the cached packages they need (4)".
std::string withNeedsText(std::size_t packages);
