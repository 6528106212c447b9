#pragma once

#include "app/installations/source_reading.h"
#include "app/locations.h"

#include <vector>

// Every source of installations read, in the search's order: Steam, Wine's
// own prefixes, Lutris (its games, then their prefixes), Heroic, Bottles.
std::vector<SourceReading> readInstallationSources(const Locations &locations);
