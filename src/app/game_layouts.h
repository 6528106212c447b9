#pragma once

#include <array>
#include <string_view>

// One place the game is kept, besides the 2004 Mac release that start-up
// looks for first. Paths begin with "~" (the home folder), "$XDG_DATA_HOME"
// (the user's data folder) or "/" (the root). A user folder of "<linux>" is
// where the Linux build keeps it: ~/.ut2004, or the installation itself
// when run portable. Steam, Wine and the launchers are read from their own
// files after these rows (app/installations).
struct GameLayout {
  std::string_view name;
  // Holds "System/UT2004.ini", whose CachePath names the cache folder, and by
  // default the cache itself in "Cache".
  std::string_view userFolder;
  // Holds "System" and the category folders.
  std::string_view installation;
  // A place of the Mac's: listed after the others where the program runs
  // elsewhere.
  bool mac = false;
};

#ifdef __APPLE__
inline constexpr bool kRunsOnMac = true;
#else
inline constexpr bool kRunsOnMac = false;
#endif

inline constexpr std::string_view kMacReleaseLayout = "Mac, 2004 release";

// The search's order: the first row whose cache index exists gives the
// cache; the first row with that cache and a real installation gives the
// game.
inline constexpr std::array kGameLayouts = {
    // The community patch 3374 for the Mac (2025): the game inside its bundle
    // (its installer); the cache inferred from the folder where the patch
    // keeps its user data.
    GameLayout{"Mac, community patch", "~/Library/Application Support/UT2004",
               "/Applications/UT2004.app/Contents/Resources", true},
    // The 2004 Linux installer's default, then the upper-case spelling and
    // /opt that players report; the user data in "~/.ut2004" (the game's
    // documentation).
    GameLayout{"Linux", "<linux>", "/usr/local/games/ut2004", false},
    GameLayout{"Linux", "<linux>", "/usr/local/games/UT2004", false},
    GameLayout{"Linux", "<linux>", "/opt/ut2004", false},
    // The community patch 3374 for Linux: its installer's default folder; it
    // keeps ~/.ut2004/System/UT2004.ini.
    GameLayout{"Linux, community patch", "<linux>", "$XDG_DATA_HOME/OldUnreal/UT2004", false},
};
