#pragma once

#include "app/installations/source_reading.h"
#include "app/installations/wine_prefix.h"
#include "app/locations.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One game's settings as Lutris keeps them.
struct LutrisGame {
  std::string executable; // game: exe:
  std::string prefix;     // game: prefix:, empty for none
};

// The game a Lutris YAML file describes; nothing when the text is not YAML
// or is not a mapping.
std::optional<LutrisGame> parseLutrisGame(std::string_view text);

// The games in ~/.config/lutris/games/*.yml and the newer
// ~/.local/share/lutris/games/*.yml: each one's folder (from its
// executable), and its Wine prefix added to `prefixes`.
SourceReading readLutris(const Locations &locations, std::vector<WinePrefix> &prefixes);
