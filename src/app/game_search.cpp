#include "app/game_search.h"

#include "app/game_layouts.h"
#include "app/game_settings.h"
#include "catalogue/category.h"
#include "posix/directory_handle.h"
#include "posix/name_folding.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

constexpr std::string_view kDataHome = "$XDG_DATA_HOME";
constexpr std::string_view kTheInstallation = "<game>";

// A layout's path with its leading "~", "$XDG_DATA_HOME" or "/" put in place.
std::string placeOf(std::string_view pattern, const Locations &locations, const std::string &installation) {
  if (pattern == kTheInstallation)
    return installation;
  if (pattern.starts_with('~'))
    return expandTilde(std::string(pattern), locations.homeFolder);
  if (pattern.starts_with(kDataHome)) {
    const std::string dataHome =
        locations.dataHome.empty() ? expandTilde("~/.local/share", locations.homeFolder) : locations.dataHome;
    return dataHome + std::string(pattern.substr(kDataHome.size()));
  }
  return locations.rootFolder + std::string(pattern);
}

void addOnce(std::vector<std::string> &places, const std::string &place) {
  if (std::find(places.begin(), places.end(), place) == places.end())
    places.push_back(place);
}

bool isFolder(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool somethingAt(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::optional<std::string> findFolderNamed(const std::string &folder, std::string_view name) {
  if (isFolder(folder + "/" + std::string(name)))
    return std::string(name);
  const DirectoryHandle listing = openDirectory(folder);
  if (!listing)
    return std::nullopt;
  while (const dirent *entry = ::readdir(listing.get())) {
    const std::string_view entryName = entry->d_name;
    if (entryName.size() == name.size() && foldAsciiCase(entryName) == foldAsciiCase(name) &&
        isFolder(folder + "/" + std::string(entryName)))
      return std::string(entryName);
  }
  return std::nullopt;
}

bool isInstallation(const std::string &folder) {
  if (!findFolderNamed(folder, "System"))
    return false;
  return std::any_of(kCategories.begin(), kCategories.end(), [&](const Category &category) {
    return category.name != "System" && findFolderNamed(folder, category.name);
  });
}

LayoutSearch searchLayouts(const Locations &locations) {
  LayoutSearch search;
  for (const GameLayout &layout : kGameLayouts) {
    const std::string installation = placeOf(layout.installation, locations, "");
    const CacheIndexPlace place =
        cacheIndexOf(placeOf(layout.userFolder, locations, installation), locations.rootFolder);
    const std::string &cacheFile = place.cacheFile;
    addOnce(search.looked.cacheIndexes, cacheFile);
    if (place.passedOver)
      addOnce(search.looked.passedOver, *place.passedOver);
    addOnce(search.looked.gameFolders, installation);
    const bool hasGame = isInstallation(installation);
    if (hasGame && !search.anyInstallation)
      search.anyInstallation = installation;
    if (!search.found && somethingAt(cacheFile))
      search.found = FoundGame{layout.name, cacheFile, std::nullopt};
    // Layouts that share a cache folder tell apart by their installations.
    if (search.found && !search.found->installation && search.found->cacheFile == cacheFile && hasGame)
      search.found = FoundGame{layout.name, cacheFile, installation};
  }
  return search;
}
