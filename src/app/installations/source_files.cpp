#include "app/installations/source_files.h"

#include "posix/directory_handle.h"
#include "posix/name_folding.h"
#include "posix/paths.h"

#include <algorithm>
#include <string_view>

std::vector<std::string> namesIn(const std::string &folder, std::size_t cap) {
  std::vector<std::string> names;
  const DirectoryHandle listing = openDirectory(folder);
  if (!listing)
    return names;
  while (names.size() < cap) {
    const dirent *entry = ::readdir(listing.get());
    if (!entry)
      break;
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..")
      names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string gameFolderOfExecutable(const std::string &path) {
  const std::string folder = folderOf(path);
  const std::size_t slash = folder.rfind('/');
  const std::string_view last =
      slash == std::string::npos ? std::string_view(folder) : std::string_view(folder).substr(slash + 1);
  return equalsAsciiFolded(last, "System") ? folderOf(folder) : folder;
}

std::string placeOnMachine(const std::string &path, const std::string &homeFolder, const std::string &rootFolder) {
  if (path.starts_with("~/"))
    return expandTilde(path, homeFolder);
  if (!path.starts_with('/'))
    return {};
  std::string place = rootFolder + path;
  while (place.size() > 1 && place.back() == '/')
    place.pop_back();
  return place;
}

std::string userPlace(std::string_view pattern, const Locations &locations) {
  constexpr std::string_view kData = "$DATA";
  if (pattern.starts_with(kData))
    return dataHomeOf(locations) + std::string(pattern.substr(kData.size()));
  return expandTilde(std::string(pattern), locations.homeFolder);
}
