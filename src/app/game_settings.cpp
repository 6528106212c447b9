#include "app/game_settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace {

constexpr std::string_view kDefaultCachePath = "../Cache";

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

bool sameIgnoringCase(std::string_view first, std::string_view second) {
  return std::equal(first.begin(), first.end(), second.begin(), second.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

} // namespace

CachePathSetting readCachePath(const std::string &iniPath) {
  const SmallFile file = readSmallFile(iniPath);
  CachePathSetting setting{std::nullopt, file.state};
  bool inCoreSystem = false;
  std::string_view rest = file.text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = trimmed(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.starts_with('[')) {
      inCoreSystem = sameIgnoringCase(line, "[Core.System]");
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inCoreSystem || equals == std::string_view::npos ||
        !sameIgnoringCase(trimmed(line.substr(0, equals)), "CachePath"))
      continue;
    std::string_view raw = line.substr(equals + 1);
    raw = trimmed(raw.substr(0, raw.find('\0')));
    std::string value(raw);
    std::replace(value.begin(), value.end(), '\\', '/');
    if (!value.empty() && !(value.size() >= 2 && value[1] == ':'))
      setting.value = std::move(value);
    return setting;
  }
  return setting;
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
