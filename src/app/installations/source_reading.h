#pragma once

#include <string>
#include <vector>

// A folder where a source says the game may be. Nothing is taken for the
// game until the folder passes the installation check.
struct InstallationPlace {
  std::string folder;
  // The source runs Linux builds too (Steam's Luxtorpeda, a Lutris game
  // with the Linux runner); a Wine prefix holds Windows builds only.
  bool mayBeNative = false;
};

// What one source of installations gave: its places in its own order, and
// the settings files it read or passed over.
struct SourceReading {
  std::string source; // "Steam", "Wine", "Lutris", "Heroic", "Bottles"
  std::vector<InstallationPlace> places;
  std::vector<std::string> files;      // every settings file looked at
  std::vector<std::string> passedOver; // "<path>: <why>"

  // Looks at the settings file `path`: what it holds when it was read, else
  // empty (absent, passed over and recorded, or too large).
  std::string readSettings(const std::string &path);
  void addPlace(std::string folder, bool mayBeNative);
};
