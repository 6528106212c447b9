#pragma once

#include "catalogue/package_check.h"
#include "package/map_summary.h"
#include "package/package_needs.h"
#include "package/package_preview.h"
#include "relocation/move_preview.h"

#include <cstdint>
#include <optional>
#include <string>

// What is known of one cached package, for the details pane: read when its
// row is selected, a few small reads; the preview picture is decoded apart.
struct PackageDetails {
  std::string utName, cacheName;
  std::optional<std::uint64_t> size; // nothing when there is no cached file
  PackageCondition condition = PackageCondition::NotLookedAt;
  bool notItsPackage = false;             // the file holds another package
  std::optional<InstalledFile> installed; // the file of that name in the game
  std::string unreadable;                 // why the package cannot be read
  std::optional<PackageNeeds> needs;      // when it can
  std::optional<std::size_t> neededBy;    // maps; once the cache is read
  bool map = false;                       // the row is on the Maps tab
  std::optional<MapSummary> summary;      // a map's, when it has one
  std::string summaryProblem;             // why it was read in part or not
  std::optional<PreviewSource> preview;   // where its picture starts
  std::string noPreview;                  // why a map has none to decode
};
