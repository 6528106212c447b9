#include "app/installations/heroic_source.h"

#include "app/installations/source_files.h"

#include <array>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

constexpr std::array<std::string_view, 2> kConfigFolders = {
    "~/.config/heroic",
    "~/.var/app/com.heroicgameslauncher.hgl/config/heroic",
};
// Heroic's lists are a few levels deep; anything deeper is not kept, so
// that a hostile file cannot make a deep tree.
constexpr int kDepthCap = 8;

std::optional<json> parsed(std::string_view text) {
  const json::parser_callback_t shallow = [](int depth, json::parse_event_t, json &) { return depth <= kDepthCap; };
  json value = json::parse(text.begin(), text.end(), shallow, false);
  if (value.is_discarded())
    return std::nullopt;
  return value;
}

std::string textAt(const json &object, const char *key) {
  if (!object.is_object())
    return {};
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The array under `key` of the object `value`, or `value` when it is an
// array itself, as older versions wrote it.
const json *listIn(const json &value, const char *key) {
  if (value.is_array())
    return &value;
  if (!value.is_object())
    return nullptr;
  const auto found = value.find(key);
  return found != value.end() && found->is_array() ? &*found : nullptr;
}

// The folder `folderOf` finds in each game of the list `key`, where it finds
// one.
template <typename FolderOf>
std::optional<std::vector<std::string>> foldersOf(std::string_view text, const char *key, FolderOf folderOf) {
  const std::optional<json> value = parsed(text);
  const json *games = value ? listIn(*value, key) : nullptr;
  if (!games)
    return std::nullopt;
  std::vector<std::string> folders;
  for (const json &game : *games) {
    if (std::string folder = folderOf(game); !folder.empty())
      folders.push_back(std::move(folder));
  }
  return folders;
}

} // namespace

std::optional<std::vector<std::string>> heroicInstalledFolders(std::string_view text) {
  return foldersOf(text, "installed", [](const json &game) { return textAt(game, "install_path"); });
}

std::optional<std::vector<std::string>> heroicSideloadedFolders(std::string_view text) {
  return foldersOf(text, "games", [](const json &game) {
    std::string folder = textAt(game, "folder_name");
    if (folder.empty() && game.is_object() && game.contains("install"))
      if (const std::string executable = textAt(game["install"], "executable"); !executable.empty())
        folder = gameFolderOfExecutable(executable);
    return folder;
  });
}

SourceReading readHeroic(const Locations &locations) {
  SourceReading reading{"Heroic", {}, {}, {}};
  const auto addListed = [&](const std::string &path, auto parse) {
    const std::string text = reading.readSettings(path);
    if (text.empty())
      return;
    const std::optional<std::vector<std::string>> folders = parse(text);
    if (!folders) {
      reading.passedOver.push_back(path + ": it is not a list of Heroic's games");
      return;
    }
    for (const std::string &folder : *folders)
      reading.addPlace(placeOnMachine(folder, locations.homeFolder, locations.rootFolder), true);
  };
  for (const std::string_view pattern : kConfigFolders) {
    const std::string config = userPlace(pattern, locations);
    addListed(config + "/gog_store/installed.json", heroicInstalledFolders);
    addListed(config + "/sideload_apps/library.json", heroicSideloadedFolders);
  }
  const std::string games = userPlace("~/Games/Heroic", locations);
  for (const std::string &name : namesIn(games))
    reading.addPlace(games + "/" + name, true);
  return reading;
}
