#include "app/installation_search.h"

#include "posix/directory_handle.h"

#include <cstring>

namespace {

constexpr const char *kApplicationsName = "Applications";
constexpr const char *kBundleName = "Unreal Tournament 2004.app";

// Whether the folder at `path` can be opened and lists an entry called exactly
// `name`. The folder is closed before this returns.
bool folderListsEntry(const std::string &path, const char *name) {
  const DirectoryHandle folder = openDirectory(path);
  if (!folder)
    return false;
  while (const dirent *entry = ::readdir(folder.get())) {
    if (std::strcmp(entry->d_name, name) == 0)
      return true;
  }
  return false;
}

} // namespace

InstallationSearchResult searchInstallation(const std::string &volumesFolder) {
  InstallationSearchResult result;
  const DirectoryHandle volumes = openDirectory(volumesFolder);
  if (!volumes)
    return result;
  result.volumesFolderReadable = true;

  while (const dirent *volume = ::readdir(volumes.get())) {
    if (volume->d_name[0] == '.')
      continue;
    const std::string volumePath = volumesFolder + "/" + volume->d_name;
    if (!folderListsEntry(volumePath, kApplicationsName))
      continue;
    const std::string applicationsPath = volumePath + "/" + kApplicationsName;
    if (!folderListsEntry(applicationsPath, kBundleName))
      continue;
    result.installation = applicationsPath + "/" + kBundleName;
    break;
  }
  return result;
}
