#pragma once

#include <optional>
#include <string>

// The value of CachePath in the [Core.System] section of the game's settings
// file at `iniPath`, with Windows separators turned into "/"; nothing when
// the file, the section or the key is missing, empty, or names a Windows
// drive, which has no place here. Section and key names fold ASCII case, as
// the game's own reader does.
std::optional<std::string> readCachePath(const std::string &iniPath);

// The cache index the user folder `userFolder` points to: CachePath read from
// "<userFolder>/System/UT2004.ini" and taken relative to that System folder
// ("../Cache" when unset), or from `rootFolder` when it is absolute.
std::string cacheIndexOf(const std::string &userFolder, const std::string &rootFolder);
