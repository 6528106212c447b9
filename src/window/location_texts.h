#pragma once

#include "app/game_search.h"

#include <optional>
#include <string>

// How the window names the folders it works on.

// `path` with the home folder shown as "~" when it lies inside it.
std::string homeRelative(const std::string &path, const std::string &homeFolder);

struct LocationParts {
  std::string layout;      // "Linux"; empty when the user chose the cache
  std::string cacheFolder; // "~/.ut2004/Cache", "… (chosen)" when chosen
  std::string gameFolder;  // "/usr/local/games/ut2004", or that none was found
};
LocationParts locationParts(const GameLocation &location, const std::string &cacheFolder,
                            const std::optional<std::string> &installation, const std::string &homeFolder);

// The status bar's: "Linux · Cache ~/.ut2004/Cache · Game /usr/local/games/ut2004".
std::string statusLocationText(const LocationParts &parts);

// File > Game's name for an installation found: "Steam (Proton) ·
// /mnt/games/SteamLibrary/steamapps/common/Unreal Tournament 2004".
std::string gameChoiceText(const FoundGame &game, const std::string &homeFolder);

// What the window shows in place of the tables when no cache was found.
struct EmptyWindowText {
  std::string heading;
  std::string body; // where the search looked, and what to do
};
EmptyWindowText emptyWindowText(const SearchedPlaces &searched, const std::string &homeFolder);

// The status bar's note on settings files passed over at start-up, each
// "<path>: <why>": "Passed over ~/.ut2004/System/UT2004.ini: it is not a
// plain file"; empty when there are none.
std::string passedOverText(const std::vector<std::string> &notes, const std::string &homeFolder);

// How long the game keeps its downloads, for the status bar: "The game
// deletes downloads older than 30 days"; empty when it keeps them for good.
std::string downloadKeepingText(int days);
