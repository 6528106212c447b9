#pragma once

#include "app/installations/source_reading.h"
#include "app/locations.h"

// Steam's copies of the game: "steamapps/common/Unreal Tournament 2004" in
// each library of native Steam (both of its home links) and of Flatpak's
// Steam (both of its layouts), the libraries listed in each one's
// steamapps/libraryfolders.vdf after the Steam folder itself.
SourceReading readSteam(const Locations &locations);
