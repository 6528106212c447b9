#include "app/installations/game_pairing.h"

#include "app/installations/source_files.h"
#include "posix/name_folding.h"
#include "posix/paths.h"

#include <algorithm>

namespace {

constexpr const char *kSettingsFile = "/System/UT2004.ini";

struct Builds {
  bool windows = false;
  bool native = false;
};

// The builds whose programs stand in the installation's System folder, the
// names' case aside.
Builds buildsIn(const std::string &installation) {
  Builds builds;
  for (const std::string &name : namesIn(installation + "/System", 4096)) {
    const std::string folded = foldAsciiCase(name);
    builds.windows = builds.windows || folded == "ut2004.exe";
    builds.native = builds.native || folded.starts_with("ut2004-bin");
  }
  return builds;
}

} // namespace

std::string nativeUserFolder(const std::string &installation, const Locations &locations) {
  const std::string home = expandTilde("~/.ut2004", locations.homeFolder);
  if (plainFileAt(installation + kSettingsFile) && !plainFileAt(home + kSettingsFile))
    return installation;
  return home;
}

std::vector<GamePairing> pairingsOf(const std::string &source, const InstallationPlace &place,
                                    const Locations &locations) {
  Builds builds = buildsIn(place.folder);
  if (!place.mayBeNative)
    builds = Builds{true, false};
  else if (!builds.windows && !builds.native)
    builds = Builds{true, true};
  const bool steam = source == "Steam";
  std::vector<GamePairing> pairings;
  if (builds.windows)
    pairings.push_back(GamePairing{steam ? "Steam (Proton)" : source, place.folder});
  if (builds.native)
    pairings.push_back(GamePairing{steam ? "Steam (Luxtorpeda)" : source + " (Linux build)",
                                   nativeUserFolder(place.folder, locations)});
  return pairings;
}
