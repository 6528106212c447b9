#pragma once

#include "app/locations.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Which of the game's layouts is in use, and which of its folders the user
// chose.
struct GameLocation {
  std::string layout; // empty for a cache the user chose, or while there is none
  bool cacheChosen = false;
  bool gameChosen = false;
  // The user picked one of the installations found, named by `layout`.
  bool picked = false;
};

// What one source of installations read, and the game folders it named.
struct SourcePlaces {
  std::string source;
  std::vector<std::string> files;
  std::vector<std::string> gameFolders;
};

// Where a search looked, in the order it looked, each place once.
struct SearchedPlaces {
  std::vector<std::string> cacheIndexes;
  std::vector<std::string> gameFolders; // those of the fixed layouts
  std::vector<SourcePlaces> sources;
  // Settings files passed over as not plain files, too large or not of
  // their kind: "<path>: <why>".
  std::vector<std::string> passedOver;
};

struct FoundGame {
  std::string layout;
  std::string cacheFile;
  std::optional<std::string> installation; // absent when none of the layout's folders is one
  // Holds the System/UT2004.ini the game reads, and by default the cache.
  std::string userFolder;
};

struct LayoutSearch {
  std::optional<FoundGame> found;
  // The first installation of any layout, for a cache the user chose.
  std::optional<std::string> anyInstallation;
  // Every installation found beside a cache index, in the search's order,
  // each pair once: what the user may switch to.
  std::vector<FoundGame> games;
  SearchedPlaces looked;
};

// Goes through kGameLayouts, then the installations that Steam, Wine and
// the launchers name, in order. The first whose cache index exists gives
// the cache; the first with that same cache and an installation gives the
// game.
LayoutSearch searchLayouts(const Locations &locations);

// Whether `folder` is the game's: it holds a System folder and at least one
// other category folder.
bool isInstallation(const std::string &folder);

// Whether anything (a link counts as itself) stands at `path`.
bool somethingAt(const std::string &path);
