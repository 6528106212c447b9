#pragma once

#include <string>

// Whether the game runs now: a process listed in `processFolder` ("/proc")
// whose name is one of the game's, or whose command line runs the Windows
// build (UT2004.exe, under Wine or Proton). Where there is no such folder
// (macOS), the game is never seen running.
bool gameRunning(const std::string &processFolder);
