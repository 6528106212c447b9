#include "app/game_search.h"

#include "app/game_layouts.h"
#include "app/game_settings.h"
#include "app/installations/game_pairing.h"
#include "app/installations/installation_sources.h"
#include "catalogue/category.h"
#include "posix/folded_names.h"
#include "posix/name_folding.h"
#include "posix/paths.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

constexpr std::string_view kDataHome = "$XDG_DATA_HOME";
constexpr std::string_view kLinuxBuild = "<linux>";

// A layout's path with its leading "~", "$XDG_DATA_HOME" or "/" put in place.
std::string placeOf(std::string_view pattern, const Locations &locations) {
  if (pattern.starts_with('~'))
    return expandTilde(std::string(pattern), locations.homeFolder);
  if (pattern.starts_with(kDataHome))
    return dataHomeOf(locations) + std::string(pattern.substr(kDataHome.size()));
  return locations.rootFolder + std::string(pattern);
}

void addOnce(std::vector<std::string> &places, const std::string &place) {
  if (std::find(places.begin(), places.end(), place) == places.end())
    places.push_back(place);
}

} // namespace

bool somethingAt(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool isInstallation(const std::string &folder) {
  if (!findFolderNamed(folder, "System"))
    return false;
  return std::any_of(kCategories.begin(), kCategories.end(), [&](const Category &category) {
    return category.name != "System" && findFolderNamed(folder, category.name);
  });
}

namespace {

// One installation to look at with the user folder that keeps its cache.
struct Candidate {
  std::string layout;
  std::string installation;
  std::string userFolder;
  bool hasGame = false;
  bool mac = false;
};

// The places of the platform the program runs on are listed first: `other`,
// the other platform's, go after `places`.
void listOtherPlatformsLast(std::vector<std::string> &places, const std::vector<std::string> &other) {
  for (const std::string &place : other)
    addOnce(places, place);
}

std::vector<Candidate> fixedCandidates(const Locations &locations, SearchedPlaces &looked) {
  std::vector<Candidate> candidates;
  std::vector<std::string> otherPlatforms;
  for (const GameLayout &layout : kGameLayouts) {
    const std::string installation = placeOf(layout.installation, locations);
    addOnce(layout.mac != kRunsOnMac ? otherPlatforms : looked.gameFolders, installation);
    const std::string userFolder = layout.userFolder == kLinuxBuild ? nativeUserFolder(installation, locations)
                                                                    : placeOf(layout.userFolder, locations);
    candidates.push_back(
        Candidate{std::string(layout.name), installation, userFolder, isInstallation(installation), layout.mac});
  }
  listOtherPlatformsLast(looked.gameFolders, otherPlatforms);
  return candidates;
}

void addSourceCandidates(const Locations &locations, std::vector<Candidate> &candidates, SearchedPlaces &looked) {
  for (const SourceReading &reading : readInstallationSources(locations)) {
    SourcePlaces &places = looked.sources.emplace_back(SourcePlaces{reading.source, reading.files, {}});
    for (const std::string &note : reading.passedOver)
      addOnce(looked.passedOver, note);
    for (const InstallationPlace &place : reading.places) {
      addOnce(places.gameFolders, place.folder);
      // Whatever a file names, only a real installation is taken.
      if (!isInstallation(place.folder))
        continue;
      for (const GamePairing &pairing : pairingsOf(reading.source, place, locations))
        candidates.push_back(Candidate{pairing.layout, place.folder, pairing.userFolder, true});
    }
  }
}

// What tells two paths to one folder apart from two folders: the folder's
// identity where it exists, else its path.
std::string folderKey(const std::string &path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    return path;
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

// Adds `game` to the games the user may switch to, unless it names an
// installation and a cache folder listed already (through other links).
void addGame(std::vector<FoundGame> &games, FoundGame game) {
  const auto same = [&](const FoundGame &known) {
    return folderKey(*known.installation) == folderKey(*game.installation) &&
           folderKey(folderOf(known.cacheFile)) == folderKey(folderOf(game.cacheFile));
  };
  if (std::none_of(games.begin(), games.end(), same))
    games.push_back(std::move(game));
}

} // namespace

LayoutSearch searchLayouts(const Locations &locations) {
  LayoutSearch search;
  std::vector<Candidate> candidates = fixedCandidates(locations, search.looked);
  addSourceCandidates(locations, candidates, search.looked);
  std::vector<std::string> otherPlatforms;
  for (const Candidate &candidate : candidates) {
    const CacheIndexPlace place = cacheIndexOf(candidate.userFolder, locations.rootFolder);
    const std::string &cacheFile = place.cacheFile;
    addOnce(candidate.mac != kRunsOnMac ? otherPlatforms : search.looked.cacheIndexes, cacheFile);
    if (place.passedOver)
      addOnce(search.looked.passedOver, *place.passedOver);
    if (candidate.hasGame && !search.anyInstallation)
      search.anyInstallation = candidate.installation;
    const bool hasCache = somethingAt(cacheFile);
    if (!search.found && hasCache)
      search.found = FoundGame{candidate.layout, cacheFile, std::nullopt, candidate.userFolder};
    // Layouts that share a cache folder tell apart by their installations.
    if (search.found && !search.found->installation && search.found->cacheFile == cacheFile && candidate.hasGame)
      search.found = FoundGame{candidate.layout, cacheFile, candidate.installation, candidate.userFolder};
    if (hasCache && candidate.hasGame)
      addGame(search.games, FoundGame{candidate.layout, cacheFile, candidate.installation, candidate.userFolder});
  }
  listOtherPlatformsLast(search.looked.cacheIndexes, otherPlatforms);
  return search;
}
