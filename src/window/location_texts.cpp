#include "window/location_texts.h"

namespace {

constexpr const char *kChosen = " (chosen)";

std::string listed(const std::vector<std::string> &paths, const std::string &homeFolder) {
  std::string text;
  for (const std::string &path : paths)
    text += "\n    " + homeRelative(path, homeFolder);
  return text;
}

// What each source of installations read and where it sent the search.
std::string bySource(const SearchedPlaces &searched, const std::string &homeFolder) {
  std::string text;
  for (const SourcePlaces &source : searched.sources) {
    if (source.files.empty() && source.gameFolders.empty())
      continue;
    text += "\n\n" + source.source + " read:" + listed(source.files, homeFolder);
    if (!source.gameFolders.empty())
      text += "\nand looked for the game in:" + listed(source.gameFolders, homeFolder);
  }
  return text;
}

} // namespace

std::string homeRelative(const std::string &path, const std::string &homeFolder) {
  std::string home = homeFolder;
  while (home.size() > 1 && home.back() == '/')
    home.pop_back();
  if (home.empty() || home == "/")
    return path;
  if (path == home)
    return "~";
  if (path.size() > home.size() && path.compare(0, home.size(), home) == 0 && path[home.size()] == '/')
    return "~" + path.substr(home.size());
  return path;
}

LocationParts locationParts(const GameLocation &location, const std::string &cacheFolder,
                            const std::optional<std::string> &installation, const std::string &homeFolder) {
  LocationParts parts;
  parts.layout = location.layout;
  parts.cacheFolder = homeRelative(cacheFolder, homeFolder) + (location.cacheChosen ? kChosen : "");
  parts.gameFolder =
      installation ? homeRelative(*installation, homeFolder) + (location.gameChosen ? kChosen : "") : "not found";
  return parts;
}

std::string statusLocationText(const LocationParts &parts) {
  const std::string folders = "Cache " + parts.cacheFolder + " · Game " + parts.gameFolder;
  return parts.layout.empty() ? folders : parts.layout + " · " + folders;
}

std::string gameChoiceText(const FoundGame &game, const std::string &homeFolder) {
  return game.layout + " · " + homeRelative(game.installation.value_or(""), homeFolder);
}

EmptyWindowText emptyWindowText(const SearchedPlaces &searched, const std::string &homeFolder) {
  EmptyWindowText text;
  text.heading = "No cache of Unreal Tournament 2004 was found";
  text.body = "Cache Sorter looked for the game's cache.ini in:" + listed(searched.cacheIndexes, homeFolder) +
              "\n\nand for the game in:" + listed(searched.gameFolders, homeFolder) + bySource(searched, homeFolder) +
              "\n\nIf the game keeps them elsewhere, choose its Cache folder and its game folder.";
  return text;
}

std::string passedOverText(const std::vector<std::string> &notes, const std::string &homeFolder) {
  std::string text;
  for (const std::string &note : notes)
    text += (text.empty() ? "Passed over " : "; ") + homeRelative(note, homeFolder);
  return text;
}

std::string downloadKeepingText(int days) {
  if (days <= 0)
    return {};
  return "The game deletes downloads older than " + std::to_string(days) + (days == 1 ? " day" : " days");
}
