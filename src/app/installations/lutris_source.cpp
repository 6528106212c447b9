#include "app/installations/lutris_source.h"

#include "app/installations/source_files.h"

#include <array>
#include <yaml-cpp/yaml.h>

namespace {

constexpr std::array<std::string_view, 2> kGameFolders = {"~/.config/lutris/games", "$DATA/lutris/games"};

std::string scalarAt(const YAML::Node &game, const char *key) {
  const YAML::Node value = game[key];
  return value && value.IsScalar() ? value.as<std::string>() : std::string();
}

} // namespace

std::optional<LutrisGame> parseLutrisGame(std::string_view text) {
  try {
    const YAML::Node root = YAML::Load(std::string(text));
    if (!root.IsMap())
      return std::nullopt;
    const YAML::Node game = root["game"];
    if (!game || !game.IsMap())
      return LutrisGame{};
    return LutrisGame{scalarAt(game, "exe"), scalarAt(game, "prefix")};
  } catch (const YAML::Exception &) {
    return std::nullopt;
  }
}

SourceReading readLutris(const Locations &locations, std::vector<WinePrefix> &prefixes) {
  SourceReading reading{"Lutris", {}, {}, {}};
  for (const std::string_view pattern : kGameFolders) {
    const std::string folder = userPlace(pattern, locations);
    for (const std::string &name : namesIn(folder)) {
      if (!name.ends_with(".yml"))
        continue;
      const std::string path = folder + "/" + name;
      const std::string text = reading.readSettings(path);
      if (text.empty())
        continue;
      const std::optional<LutrisGame> game = parseLutrisGame(text);
      if (!game) {
        reading.passedOver.push_back(path + ": it is not YAML");
        continue;
      }
      const std::string prefix = placeOnMachine(game->prefix, locations.homeFolder, locations.rootFolder);
      if (!prefix.empty())
        prefixes.push_back(WinePrefix{"Lutris", prefix});
      // A Wine game's executable may be named inside its prefix.
      std::string executable = placeOnMachine(game->executable, locations.homeFolder, locations.rootFolder);
      if (executable.empty() && !game->executable.empty() && !prefix.empty())
        executable = prefix + "/" + game->executable;
      if (!executable.empty())
        reading.addPlace(gameFolderOfExecutable(executable), prefix.empty());
    }
  }
  return reading;
}
