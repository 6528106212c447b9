#include "app/game_settings.h"

#include "posix/file_descriptor.h"
#include "posix/io.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>

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

// The settings file's text; nothing for anything but a plain file, so that a
// FIFO or a device in its place never holds start-up up.
std::optional<std::string> readSettingsFile(const std::string &path) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  return readToEnd(file.get());
}

} // namespace

std::optional<std::string> readCachePath(const std::string &iniPath) {
  const std::optional<std::string> text = readSettingsFile(iniPath);
  if (!text)
    return std::nullopt;
  bool inCoreSystem = false;
  std::string_view rest = *text;
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
    std::string value(trimmed(line.substr(equals + 1)));
    std::replace(value.begin(), value.end(), '\\', '/');
    if (value.empty() || (value.size() >= 2 && value[1] == ':'))
      return std::nullopt;
    return value;
  }
  return std::nullopt;
}

std::string cacheIndexOf(const std::string &userFolder, const std::string &rootFolder) {
  const std::string systemFolder = userFolder + "/System";
  const std::string cachePath = readCachePath(systemFolder + "/UT2004.ini").value_or(std::string(kDefaultCachePath));
  const std::filesystem::path folder = cachePath.front() == '/' ? std::filesystem::path(rootFolder + cachePath)
                                                                : std::filesystem::path(systemFolder) / cachePath;
  // "System/../Cache" reads as the "Cache" beside System, as the user knows it.
  return (folder.lexically_normal() / "cache.ini").string();
}
