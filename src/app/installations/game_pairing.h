#pragma once

#include "app/installations/source_reading.h"
#include "app/locations.h"

#include <string>
#include <vector>

// One way to run the game from an installation, and the user folder that
// way keeps System/UT2004.ini and the cache in.
struct GamePairing {
  std::string layout; // "Steam (Proton)", "Steam (Luxtorpeda)", "Wine", ...
  std::string userFolder;
};

// The ways `place`, found by `source`, may be run, decided by what is in its
// System folder: UT2004.exe is the Windows build, which keeps its user
// folder in the game folder; a ut2004-bin file is the Linux build. A folder
// with neither may be run either way its source allows.
std::vector<GamePairing> pairingsOf(const std::string &source, const InstallationPlace &place,
                                    const Locations &locations);

// Where the Linux build run from `installation` keeps its user folder:
// ~/.ut2004, or the game folder itself when that holds its own
// System/UT2004.ini and ~/.ut2004 holds none (the community patch run with
// -nohomedir).
std::string nativeUserFolder(const std::string &installation, const Locations &locations);
