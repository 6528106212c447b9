#pragma once

#include <optional>
#include <string>
#include <vector>

// A Wine prefix: the folder that holds drive_c, dosdevices and the registry
// files of one Windows set-up.
struct WinePrefix {
  std::string source; // who keeps it: "Wine", "Lutris", "Bottles"
  std::string folder;
};

// The folder on this machine that the Windows path `windowsPath`
// ("C:\UT2004") names inside `prefix`: a drive letter through the prefix's
// dosdevices link ("c:" -> "../drive_c", "z:" -> "/"), or without one its
// drive_c for C: and the root for Z:. Absolute link targets lie under
// `rootFolder`. Nothing for any other path, or one with "..".
std::optional<std::string> hostPathOf(const std::string &prefix, const std::string &windowsPath,
                                      const std::string &rootFolder);

// Where the game may be in `prefix`: the folder its Windows installer
// recorded in system.reg (64-bit view first), then the two folders the
// installers offer. `unreadable` gets "<path>: <why>" for a registry file
// passed over.
std::vector<std::string> gameFoldersInPrefix(const std::string &prefix, const std::string &rootFolder,
                                             std::vector<std::string> &unreadable);
