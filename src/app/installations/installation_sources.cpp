#include "app/installations/installation_sources.h"

#include "app/installations/heroic_source.h"
#include "app/installations/lutris_source.h"
#include "app/installations/steam_source.h"
#include "app/installations/wine_source.h"

std::vector<SourceReading> readInstallationSources(const Locations &locations) {
  std::vector<SourceReading> readings;
  readings.push_back(readSteam(locations));
  readPrefixes(winePrefixes(locations), locations, readings);
  std::vector<WinePrefix> lutrisPrefixes;
  readings.push_back(readLutris(locations, lutrisPrefixes));
  readPrefixes(lutrisPrefixes, locations, readings);
  readings.push_back(readHeroic(locations));
  readPrefixes(bottlesPrefixes(locations), locations, readings);
  return readings;
}
