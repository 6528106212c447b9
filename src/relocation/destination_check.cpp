#include "relocation/destination_check.h"

#include "posix/paths.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

int destinationProblem(const std::string &path) {
  if (path.size() >= PATH_MAX)
    return ENAMETOOLONG;
  const std::string folder = folderOf(path);
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0)
    return errno;
  if (!S_ISDIR(info.st_mode))
    return ENOTDIR;
  const long longestName = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const std::size_t nameLength = path.size() - path.rfind('/') - 1;
  if (longestName > 0 && nameLength > static_cast<std::size_t>(longestName))
    return ENAMETOOLONG;
  // stat() follows a link, so that a link to a folder counts as a folder.
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return EISDIR;
  return 0;
}
