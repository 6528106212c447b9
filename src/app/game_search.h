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
};

// Where a search looked, in the order it looked, each place once.
struct SearchedPlaces {
  std::vector<std::string> cacheIndexes;
  std::vector<std::string> gameFolders;
  // Settings files passed over as not plain files, or too large: "<path>:
  // <why>".
  std::vector<std::string> passedOver;
};

struct FoundGame {
  std::string_view layout;
  std::string cacheFile;
  std::optional<std::string> installation; // absent when none of the layout's folders is one
};

struct LayoutSearch {
  std::optional<FoundGame> found;
  // The first installation of any layout, for a cache the user chose.
  std::optional<std::string> anyInstallation;
  SearchedPlaces looked;
};

// Goes through kGameLayouts in order. The first layout whose cache index
// exists gives the cache; the first layout with that same cache and an
// installation gives the game.
LayoutSearch searchLayouts(const Locations &locations);

// Whether `folder` is the game's: it holds a System folder and at least one
// other category folder.
bool isInstallation(const std::string &folder);

// The name of the folder in `folder` called `name`: the exact name when there
// is one, else the first that differs from it in ASCII case alone.
std::optional<std::string> findFolderNamed(const std::string &folder, std::string_view name);

// Whether anything (a link counts as itself) stands at `path`.
bool somethingAt(const std::string &path);
