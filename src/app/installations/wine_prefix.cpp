#include "app/installations/wine_prefix.h"

#include "app/installations/registry_file.h"
#include "posix/small_file.h"

#include <array>
#include <cctype>
#include <climits>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace {

constexpr std::array<std::string_view, 2> kInstallerKeys = {
    "Software\\Wow6432Node\\Unreal Technology\\Installed Apps\\UT2004",
    "Software\\Unreal Technology\\Installed Apps\\UT2004",
};
// The retail installer's and the community patch's default folders.
constexpr std::array<std::string_view, 2> kDefaultFolders = {"C:\\UT2004", "C:\\UnrealTournament2004"};

// Where the drive `letter` (small) of `prefix` lies.
std::optional<std::string> driveFolder(const std::string &prefix, char letter, const std::string &rootFolder) {
  const std::string devices = prefix + "/dosdevices";
  const std::string link = devices + "/" + letter + ":";
  std::array<char, PATH_MAX> target{};
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size() - 1);
  if (length > 0) {
    const std::string to(target.data(), static_cast<std::size_t>(length));
    return to.front() == '/' ? rootFolder + to : devices + "/" + to;
  }
  if (letter == 'c')
    return prefix + "/drive_c";
  if (letter == 'z')
    return rootFolder.empty() ? "/" : rootFolder;
  return std::nullopt;
}

} // namespace

std::optional<std::string> hostPathOf(const std::string &prefix, const std::string &windowsPath,
                                      const std::string &rootFolder) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':' || !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
    return std::nullopt;
  std::string rest = windowsPath.substr(2);
  for (char &c : rest)
    c = c == '\\' ? '/' : c;
  const std::filesystem::path relative = std::filesystem::path(rest).relative_path();
  for (const std::filesystem::path &part : relative) {
    if (part == "..")
      return std::nullopt;
  }
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  const std::optional<std::string> drive = driveFolder(prefix, letter, rootFolder);
  if (!drive)
    return std::nullopt;
  std::string host = (std::filesystem::path(*drive) / relative).lexically_normal().string();
  while (host.size() > 1 && host.back() == '/')
    host.pop_back();
  return host;
}

std::vector<std::string> gameFoldersInPrefix(const std::string &prefix, const std::string &rootFolder,
                                             std::vector<std::string> &unreadable) {
  std::vector<std::string> folders;
  const std::string registryPath = prefix + "/system.reg";
  const SmallFile registry = readSmallFile(registryPath);
  if (const char *why = passedOverReason(registry.state); *why)
    unreadable.push_back(registryPath + ": " + why);
  for (const std::string_view key : kInstallerKeys) {
    const std::optional<std::string> folder = registryString(registry.text, key, "Folder");
    if (!folder)
      continue;
    if (std::optional<std::string> host = hostPathOf(prefix, *folder, rootFolder))
      folders.push_back(std::move(*host));
    break;
  }
  for (const std::string_view folder : kDefaultFolders)
    if (std::optional<std::string> host = hostPathOf(prefix, std::string(folder), rootFolder))
      folders.push_back(std::move(*host));
  return folders;
}
