#include "app/installations/steam_source.h"

#include "app/installations/source_files.h"
#include "app/installations/steam_library_list.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> kSteamFolders = {
    "~/.local/share/Steam",
    "~/.steam/steam",
    "~/.var/app/com.valvesoftware.Steam/.local/share/Steam",
    "~/.var/app/com.valvesoftware.Steam/data/Steam",
};
constexpr std::string_view kGameInLibrary = "/steamapps/common/Unreal Tournament 2004";

} // namespace

SourceReading readSteam(const Locations &locations) {
  SourceReading reading{"Steam", {}, {}, {}};
  for (const std::string_view steamFolder : kSteamFolders) {
    const std::string steam = userPlace(steamFolder, locations);
    // Luxtorpeda runs the Linux build from Steam's copy.
    reading.addPlace(steam + std::string(kGameInLibrary), true);
    const std::string list = steam + "/steamapps/libraryfolders.vdf";
    const std::optional<std::vector<std::string>> libraries = steamLibraryFolders(reading.readSettings(list));
    if (!libraries) {
      reading.passedOver.push_back(list + ": it is not a list of Steam libraries");
      continue;
    }
    for (const std::string &library : *libraries) {
      if (const std::string folder = placeOnMachine(library, locations.homeFolder, locations.rootFolder);
          !folder.empty())
        reading.addPlace(folder + std::string(kGameInLibrary), true);
    }
  }
  return reading;
}
