#pragma once

#include "posix/small_file.h"

#include <optional>
#include <string>
#include <vector>

// The value of CachePath in the [Core.System] section of the game's settings
// file at `iniPath`, with Windows separators turned into "/"; nothing when
// the file, the section or the key is missing, empty, or names a Windows
// drive, which has no place here. Section and key names fold ASCII case, as
// the game's own reader does, and a NUL byte ends a value, as it does in the
// game. `file` tells whether the file was read or passed over.
struct CachePathSetting {
  std::optional<std::string> value;
  SmallFile::State file = SmallFile::State::Absent;
};
CachePathSetting readCachePath(const std::string &iniPath);

// The cache index the user folder `userFolder` points to: CachePath read from
// "<userFolder>/System/UT2004.ini" and taken relative to that System folder
// ("../Cache" when unset), or from `rootFolder` when it is absolute. A
// settings file that is passed over (not a plain file, or too large) counts
// as absent, and `passedOver` names it and why.
struct CacheIndexPlace {
  std::string cacheFile;
  std::optional<std::string> passedOver; // "<path>: <why>"
};
CacheIndexPlace cacheIndexOf(const std::string &userFolder, const std::string &rootFolder);

// The settings file the game reads: "<userFolder>/System/UT2004.ini" when
// that is a plain file, else the installation's own; empty when neither is.
std::string settingsFileOf(const std::string &installation, const std::string &userFolder = "");

// How many days the game keeps its downloads before it deletes them at
// start: PurgeCacheDays of [Core.System] in the settings file at `iniPath`,
// its leading digits read as the game reads a number (none reads as 0,
// which keeps them for good); 30, the game's own, when the line is missing.
// Nothing when the file cannot be read.
std::optional<int> readPurgeCacheDays(const std::string &iniPath);
inline constexpr int kGamePurgeCacheDays = 30;

// The folders where the game looks for the packages a package needs, in the
// order it looks: the folder part of each Paths line of [Core.System] in
// the settings the game reads ("<userFolder>/System/UT2004.ini", else the
// installation's own), a relative one taken from the installation's
// System folder, each once; the category folders where the file has none.
std::vector<std::string> packageFolders(const std::string &installation, const std::string &userFolder = "");

// The categories whose packages the game finds through Paths lines, and so
// in a folder of the user's own: every one but Music and KarmaData, which it
// reads from its own folders alone.
bool foundThroughPaths(std::size_t category);

// The Paths lines that send the game to the category folders of `folder`:
// "Paths=/home/u/.ut2004/Maps/*.ut2", in category order.
std::vector<std::string> pathsLinesFor(const std::string &folder);
