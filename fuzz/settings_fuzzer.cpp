// Feeds arbitrary bytes to the reader of the game's settings file as
// UT2004.ini. For any input it must end, and a CachePath it gives is a path
// the program can use: not empty, without a NUL, a backslash or a drive.
#include "app/game_settings.h"
#include "fuzz_folder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string settingsPath() {
  static const FuzzFolder folder;
  return folder.file("UT2004.ini");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = settingsPath();
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
    std::abort();
  const CachePathSetting setting = readCachePath(path);
  if (setting.file != SmallFile::State::Read)
    std::abort();
  if (const std::optional<std::string> &value = setting.value) {
    const bool usable = !value->empty() && value->find('\0') == std::string::npos &&
                        value->find('\\') == std::string::npos && !(value->size() >= 2 && (*value)[1] == ':');
    if (!usable)
      std::abort();
  }
  return 0;
}
