#include "relocation/destination_check.h"

#include "posix/paths.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

const DestinationCheck::Folder &DestinationCheck::folder(const std::string &path) {
  const auto [found, isNew] = folders_.try_emplace(path);
  Folder &folder = found->second;
  if (!isNew)
    return folder;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    folder.error = errno;
  else if (!S_ISDIR(info.st_mode))
    folder.error = ENOTDIR;
  else
    folder.longestName = ::pathconf(path.c_str(), _PC_NAME_MAX);
  return folder;
}

int DestinationCheck::problem(const std::string &path) {
  if (const int error = folderOrNameProblem(path))
    return error;
  // stat() follows a link, so that a link to a folder counts as a folder.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return EISDIR;
  return 0;
}

int DestinationCheck::folderOrNameProblem(const std::string &path) {
  if (path.size() >= PATH_MAX)
    return ENAMETOOLONG;
  const Folder &facts = folder(folderOf(path));
  if (facts.error != 0)
    return facts.error;
  const std::size_t nameLength = path.size() - path.rfind('/') - 1;
  if (facts.longestName > 0 && nameLength > static_cast<std::size_t>(facts.longestName))
    return ENAMETOOLONG;
  return 0;
}
