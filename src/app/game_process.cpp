#include "app/game_process.h"

#include "posix/directory_handle.h"
#include "posix/file_descriptor.h"
#include "posix/io.h"

#include <array>
#include <cctype>
#include <fcntl.h>
#include <string_view>

namespace {

// The Linux client's binary, the community patch's, and the Mac bundles'
// executables. The kernel keeps the first 15 bytes of a process's name.
constexpr std::array<std::string_view, 4> kGameProcesses = {"ut2004-bin", "ut2004-bin-linux-amd64", "UT2004",
                                                            "Unreal Tournament 2004"};
constexpr std::size_t kNameLength = 15;

bool isGameName(std::string_view name) {
  for (const std::string_view game : kGameProcesses) {
    if (name == game.substr(0, kNameLength))
      return true;
  }
  return false;
}

} // namespace

bool gameRunning(const std::string &processFolder) {
  const DirectoryHandle processes = openDirectory(processFolder);
  if (!processes)
    return false;
  while (const dirent *entry = ::readdir(processes.get())) {
    if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
      continue;
    const FileDescriptor comm(::open((processFolder + "/" + entry->d_name + "/comm").c_str(), O_RDONLY | O_CLOEXEC));
    char name[64];
    const ssize_t got = comm.valid() ? readSome(comm.get(), name, sizeof name) : -1;
    if (got <= 0)
      continue;
    std::string_view read(name, static_cast<std::size_t>(got));
    if (read.ends_with('\n'))
      read.remove_suffix(1);
    if (isGameName(read))
      return true;
  }
  return false;
}
