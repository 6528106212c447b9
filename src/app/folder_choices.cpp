#include "app/folder_choices.h"

#include "app/game_search.h"

#include <sys/stat.h>

std::optional<std::string> cacheFolderProblem(const std::string &folder) {
  struct stat info {};
  if (::stat((folder + "/cache.ini").c_str(), &info) != 0)
    return folder + " holds no cache.ini, so it is not a cache of the game. Choose the folder called Cache "
                    "that holds cache.ini.";
  if (!S_ISREG(info.st_mode))
    return "The cache.ini in " + folder + " is not a plain file, so Cache Sorter cannot read it.";
  return std::nullopt;
}

std::optional<std::string> gameFolderProblem(const std::string &folder) {
  if (isInstallation(folder))
    return std::nullopt;
  return folder + " is not a game folder of Unreal Tournament 2004: a game folder holds System and the "
                  "folders the packages go to, such as Maps and Textures.";
}
