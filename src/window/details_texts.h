#pragma once

#include "app/package_details.h"

#include <optional>
#include <string>
#include <vector>

// The texts of the details pane, built without the toolkit.

// "4 to 6 players", "8 players", "Up to 8 players", "At least 2 players";
// empty when the map says neither count.
std::string playersText(std::optional<std::int32_t> minPlayers, std::optional<std::int32_t> maxPlayers);

// What the package's state is, a sentence a line: missing, damaged, not
// readable (and why), not the package its name says, already in the game.
std::vector<std::string> conditionLines(const PackageDetails &details);

// The pane's heading for a map: its title, or its file name when it has
// none.
std::string mapHeading(const PackageDetails &details);

// The tooltip of "No preview": why there is none.
std::string noPreviewText(const std::string &problem);
