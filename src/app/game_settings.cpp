#include "app/game_settings.h"

#include "catalogue/category_folders.h"
#include "posix/blanks.h"
#include "posix/name_folding.h"
#include "posix/paths.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace {

constexpr std::string_view kDefaultCachePath = "../Cache";

// Every value of `key` in the [Core.System] section of `text`, in order,
// each up to a NUL byte, trimmed, with Windows separators turned into "/".
std::vector<std::string> coreSystemValues(std::string_view text, std::string_view key) {
  std::vector<std::string> values;
  bool inCoreSystem = false;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = withoutBlanks(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.starts_with('[')) {
      inCoreSystem = equalsAsciiFolded(line, "[Core.System]");
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inCoreSystem || equals == std::string_view::npos ||
        !equalsAsciiFolded(withoutBlanks(line.substr(0, equals)), key))
      continue;
    std::string_view raw = line.substr(equals + 1);
    std::string value(withoutBlanks(raw.substr(0, raw.find('\0'))));
    std::replace(value.begin(), value.end(), '\\', '/');
    values.push_back(std::move(value));
  }
  return values;
}

bool namesWindowsDrive(const std::string &value) { return value.size() >= 2 && value[1] == ':'; }

} // namespace

CachePathSetting readCachePath(const std::string &iniPath) {
  const SmallFile file = readSmallFile(iniPath);
  CachePathSetting setting{std::nullopt, file.state};
  const std::vector<std::string> values = coreSystemValues(file.text, "CachePath");
  // The first CachePath is the one the game takes.
  if (!values.empty() && !values.front().empty() && !namesWindowsDrive(values.front()))
    setting.value = values.front();
  return setting;
}

std::string settingsFileOf(const std::string &installation, const std::string &userFolder) {
  for (const std::string *folder : {&userFolder, &installation}) {
    const std::string path = *folder + "/System/UT2004.ini";
    if (!folder->empty() && plainFileSize(path))
      return path;
  }
  return {};
}

std::optional<int> readPurgeCacheDays(const std::string &iniPath) {
  const SmallFile file = readSmallFile(iniPath);
  if (file.state != SmallFile::State::Read)
    return std::nullopt;
  const std::vector<std::string> values = coreSystemValues(file.text, "PurgeCacheDays");
  if (values.empty())
    return kGamePurgeCacheDays;
  // As atoi reads it: a sign, then digits; a number past any sensible
  // count of days is held there rather than overflowing.
  constexpr int kMostDays = 1'000'000;
  const std::string_view value = values.front();
  const bool negative = value.starts_with('-');
  int days = 0;
  for (std::size_t at = value.starts_with('-') || value.starts_with('+') ? 1 : 0;
       at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at)
    days = std::min(kMostDays, days * 10 + (value[at] - '0'));
  return negative ? -days : days;
}

std::vector<std::string> packageFolders(const std::string &installation, const std::string &userFolder) {
  const std::string systemFolder = installation + "/System";
  const SmallFile file = readSmallFile(settingsFileOf(installation, userFolder));
  std::vector<std::string> folders;
  for (const std::string &value : coreSystemValues(file.text, "Paths")) {
    // "../Maps/*.ut2": the folder part, relative to System, where the game
    // runs; "/home/u/.ut2004/Maps/*.ut2" as it is.
    const std::size_t slash = value.rfind('/');
    if (slash == std::string::npos || namesWindowsDrive(value))
      continue;
    const std::string part = slash == 0 ? "/" : value.substr(0, slash);
    const std::string folder =
        (value.front() == '/' ? std::filesystem::path(part) : std::filesystem::path(systemFolder) / part)
            .lexically_normal()
            .string();
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  }
  if (!folders.empty())
    return folders;
  const CategoryFolders game(installation);
  for (std::size_t category = 0; category < kCategoryCount; ++category)
    folders.push_back(game.folder(category));
  return folders;
}

bool foundThroughPaths(std::size_t category) {
  const std::string_view name = kCategories[category].name;
  return name != "Music" && name != "KarmaData";
}

std::vector<std::string> pathsLinesFor(const std::string &folder) {
  std::vector<std::string> lines;
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    if (foundThroughPaths(category))
      lines.push_back("Paths=" + folder + "/" + std::string(kCategories[category].name) + "/*" +
                      std::string(kCategories[category].ending));
  }
  return lines;
}

CacheIndexPlace cacheIndexOf(const std::string &userFolder, const std::string &rootFolder) {
  const std::string systemFolder = userFolder + "/System";
  const std::string iniPath = systemFolder + "/UT2004.ini";
  const CachePathSetting setting = readCachePath(iniPath);
  const std::string cachePath = setting.value.value_or(std::string(kDefaultCachePath));
  const std::filesystem::path folder = cachePath.front() == '/' ? std::filesystem::path(rootFolder + cachePath)
                                                                : std::filesystem::path(systemFolder) / cachePath;
  // "System/../Cache" reads as the "Cache" beside System, as the user knows it.
  CacheIndexPlace place{(folder.lexically_normal() / "cache.ini").string(), std::nullopt};
  if (const std::string why = passedOverReason(setting.file); !why.empty())
    place.passedOver = iniPath + ": " + why;
  return place;
}
