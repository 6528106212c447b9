#include "app/installations/wine_source.h"

#include "app/installations/source_files.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 2> kBottlesFolders = {
    "$DATA/bottles/bottles",
    "~/.var/app/com.usebottles.bottles/data/bottles/bottles",
};

SourceReading &readingOf(const std::string &source, std::vector<SourceReading> &readings) {
  const auto found = std::find_if(readings.begin(), readings.end(),
                                  [&](const SourceReading &reading) { return reading.source == source; });
  if (found != readings.end())
    return *found;
  return readings.emplace_back(SourceReading{source, {}, {}, {}});
}

} // namespace

std::vector<WinePrefix> winePrefixes(const Locations &locations) {
  std::vector<WinePrefix> prefixes;
  if (const std::string named = placeOnMachine(locations.winePrefix, locations.homeFolder, ""); !named.empty())
    prefixes.push_back(WinePrefix{"Wine", named});
  prefixes.push_back(WinePrefix{"Wine", expandTilde("~/.wine", locations.homeFolder)});
  return prefixes;
}

std::vector<WinePrefix> bottlesPrefixes(const Locations &locations) {
  std::vector<WinePrefix> prefixes;
  for (const std::string_view pattern : kBottlesFolders) {
    const std::string bottles = userPlace(pattern, locations);
    for (const std::string &name : namesIn(bottles))
      prefixes.push_back(WinePrefix{"Bottles", bottles + "/" + name});
  }
  return prefixes;
}

void readPrefixes(const std::vector<WinePrefix> &prefixes, const Locations &locations,
                  std::vector<SourceReading> &readings) {
  for (const WinePrefix &prefix : prefixes) {
    SourceReading &reading = readingOf(prefix.source, readings);
    reading.files.push_back(prefix.folder + "/system.reg");
    for (std::string &folder : gameFoldersInPrefix(prefix.folder, locations.rootFolder, reading.passedOver))
      reading.addPlace(std::move(folder), false);
  }
}
