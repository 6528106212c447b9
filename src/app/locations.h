#pragma once

#include <string>

// The fixed places the controller works in. The program's entry fills them
// from the environment; tests point every one of them at temporary folders.
struct Locations {
  std::string homeFolder;    // stands for "~"
  std::string volumesFolder; // "/Volumes" in production, without a trailing "/"
  // Put before the absolute paths the game's other layouts name
  // ("/usr/local/games/ut2004"): empty in production.
  std::string rootFolder;
  // The user's data folder: XDG_DATA_HOME, or "~/.local/share".
  std::string dataHome;
  // Where the running processes are listed: "/proc".
  std::string processFolder;
  // The Wine prefix that WINEPREFIX names, or empty.
  std::string winePrefix;
};

// The game's cache index, relative to the home folder; the cache folder is
// the folder that holds it.
inline constexpr const char *kCacheFilePath = "~/Library/Application Support/Unreal Tournament 2004/Cache/cache.ini";

// Replaces a leading "~" (alone or before a "/") by `homeFolder`, without the
// home folder's trailing separators. Other paths come back unchanged.
std::string expandTilde(const std::string &path, const std::string &homeFolder);

// The user's data folder of `locations`, "~/.local/share" when none is set.
std::string dataHomeOf(const Locations &locations);

// HOME when set and not empty, else the password database's home folder,
// else "/".
std::string currentHomeFolder();

// XDG_DATA_HOME when it is an absolute path, else "<homeFolder>/.local/share",
// following the XDG base directory rules.
std::string currentDataHome(const std::string &homeFolder);

// The locations of the program as installed: the real home and root.
Locations systemLocations();
