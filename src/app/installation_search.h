#pragma once

#include <optional>
#include <string>

struct InstallationSearchResult {
  bool volumesFolderReadable = false;
  // "<volumes>/<volume>/Applications/Unreal Tournament 2004.app" of the first
  // volume in listing order that has the game.
  std::optional<std::string> installation;
};

// Looks through the volumes in the order the folder listing gives, passing
// over names that begin with "." and volumes that cannot be opened or lack
// the game. Names are matched byte for byte; entry types are not looked at.
InstallationSearchResult searchInstallation(const std::string &volumesFolder);
