#include "app/locations.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

std::string expandTilde(const std::string &path, const std::string &homeFolder) {
  if (path.empty() || path[0] != '~' || (path.size() > 1 && path[1] != '/'))
    return path;
  std::string home = homeFolder;
  while (home.size() > 1 && home.back() == '/')
    home.pop_back();
  if (home == "/" && path.size() > 1)
    return path.substr(1);
  return home + path.substr(1);
}

std::string dataHomeOf(const Locations &locations) {
  return locations.dataHome.empty() ? expandTilde("~/.local/share", locations.homeFolder) : locations.dataHome;
}

std::string currentHomeFolder() {
  if (const char *home = std::getenv("HOME"); home && *home)
    return home;
  if (const passwd *user = ::getpwuid(::getuid()); user && user->pw_dir && *user->pw_dir)
    return user->pw_dir;
  return "/";
}

std::string currentDataHome(const std::string &homeFolder) {
  if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
    return data;
  return expandTilde("~/.local/share", homeFolder);
}

Locations systemLocations() {
  const std::string home = currentHomeFolder();
  const char *winePrefix = std::getenv("WINEPREFIX");
  return Locations{home, "/Volumes", "", currentDataHome(home), "/proc", winePrefix ? winePrefix : ""};
}
