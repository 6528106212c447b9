#pragma once

#include "app/installations/source_reading.h"
#include "app/locations.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The games' folders that Heroic's gog_store/installed.json lists
// ("install_path" of each entry of "installed"); nothing when the text is
// not JSON of that shape.
std::optional<std::vector<std::string>> heroicInstalledFolders(std::string_view text);
// The same for sideload_apps/library.json: each of "games" by its
// "folder_name", else its "install": "executable".
std::optional<std::vector<std::string>> heroicSideloadedFolders(std::string_view text);

// Heroic's games, native and Flatpak: the folders its two lists name, then
// each folder of its default ~/Games/Heroic.
SourceReading readHeroic(const Locations &locations);
