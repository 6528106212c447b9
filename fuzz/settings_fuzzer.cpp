// Feeds arbitrary bytes to the reader of the game's settings file as
// UT2004.ini. For any input it must end, and a CachePath it gives is a path
// the program can use: not empty, without a NUL, a backslash or a drive.
#include "app/game_settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A private folder for the file, on a memory file system where there is
// one, removed at the end of the run.
class FuzzFolder {
public:
  FuzzFolder() {
    const char *base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/cache-sorter-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()))
      std::abort();
    path_ = pattern;
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string &path() const { return path_; }

private:
  std::string path_;
};

std::string settingsPath() {
  static const FuzzFolder folder;
  return folder.path() + "/UT2004.ini";
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
