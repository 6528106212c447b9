// Feeds arbitrary bytes to the reader of the game's settings file as
// UT2004.ini. For any input it must end, and a CachePath it gives is a path
// the program can use: not empty, without a NUL, a backslash or a drive.
#include "app/game_settings.h"
#include "fuzz_folder.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const FuzzFolder folder;
  const std::string path = folder.write("UT2004.ini", data, size);
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
