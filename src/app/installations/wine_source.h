#pragma once

#include "app/installations/source_reading.h"
#include "app/installations/wine_prefix.h"
#include "app/locations.h"

#include <vector>

// The prefixes that Wine itself uses: WINEPREFIX, then ~/.wine.
std::vector<WinePrefix> winePrefixes(const Locations &locations);

// Bottles' bottles, native and Flatpak: each folder of its bottles folder is
// a prefix.
std::vector<WinePrefix> bottlesPrefixes(const Locations &locations);

// The game's folders in each prefix (system.reg's record, then the
// installers' defaults), added to the reading of the prefix's source, or a
// new reading at the end of `readings` for a source not there yet.
void readPrefixes(const std::vector<WinePrefix> &prefixes, const Locations &locations,
                  std::vector<SourceReading> &readings);
