#include "app/game_process.h"

#include "posix/directory_handle.h"
#include "posix/file_descriptor.h"
#include "posix/io.h"
#include "posix/name_folding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fcntl.h>
#include <string>
#include <string_view>

namespace {

// The Linux client's binary, the community patch's, the Mac bundles'
// executables, and the Windows build's under Wine or Proton, which name the
// process after it. The kernel keeps the first 15 bytes of a process's name.
constexpr std::array<std::string_view, 5> kGameProcesses = {"ut2004-bin", "ut2004-bin-linux-amd64", "UT2004",
                                                            "Unreal Tournament 2004", "UT2004.exe"};
constexpr std::size_t kNameLength = 15;
// Wine's loader may keep its own name: the Windows build is then an argument.
constexpr std::string_view kWindowsBuild = "ut2004.exe";
constexpr std::size_t kCommandLineCap = 8192;
constexpr std::size_t kMostProcesses = 1 << 20;

bool isGameName(std::string_view name) {
  for (const std::string_view game : kGameProcesses) {
    if (name == game.substr(0, kNameLength))
      return true;
  }
  return false;
}

// The first bytes of /proc/<pid>/<file>, at most `cap`.
std::string readProcessFile(const std::string &path, std::size_t cap) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  std::string bytes(cap, '\0');
  const ssize_t got = file.valid() ? readSome(file.get(), bytes.data(), cap) : -1;
  bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return bytes;
}

// Whether an argument of the NUL-separated command line is the Windows
// build, by a Unix or a Windows path, in any case.
bool runsWindowsBuild(std::string_view commandLine) {
  while (!commandLine.empty()) {
    const std::size_t end = std::min(commandLine.find('\0'), commandLine.size());
    std::string_view argument = commandLine.substr(0, end);
    if (const std::size_t slash = argument.find_last_of("/\\"); slash != std::string_view::npos)
      argument.remove_prefix(slash + 1);
    if (equalsAsciiFolded(argument, kWindowsBuild))
      return true;
    commandLine.remove_prefix(std::min(end + 1, commandLine.size()));
  }
  return false;
}

} // namespace

bool gameRunning(const std::string &processFolder) {
  const DirectoryHandle processes = openDirectory(processFolder);
  if (!processes)
    return false;
  std::size_t seen = 0;
  while (const dirent *entry = ::readdir(processes.get())) {
    if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])) || ++seen > kMostProcesses)
      continue;
    const std::string process = processFolder + "/" + entry->d_name;
    std::string name = readProcessFile(process + "/comm", 64);
    if (name.ends_with('\n'))
      name.pop_back();
    if (isGameName(name) || runsWindowsBuild(readProcessFile(process + "/cmdline", kCommandLineCap)))
      return true;
  }
  return false;
}
