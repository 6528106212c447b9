// How long the game keeps its downloads, and keeping them for good: the game
// deletes cached files older than PurgeCacheDays when it starts, and with
// them whatever was not sorted yet.
#include "app/app_controller.h"
#include "app/game_settings.h"
#include "posix/paths.h"
#include "relocation/settings_edit.h"

#include <string>

namespace {

constexpr const char *kPurgeKey = "PurgeCacheDays";
constexpr const char *kQuitTheGameFirst =
    "Quit Unreal Tournament 2004 first: it writes its settings when it quits, over the line changed.";

} // namespace

std::optional<AppController::DownloadKeeping> AppController::downloadKeeping() const {
  if (!hasCache())
    return std::nullopt;
  // Folders chosen by hand name no user folder: the settings are then the
  // ones beside the cache folder, where CachePath's "../Cache" leads from.
  const std::string settings =
      settingsFileOf(unrealDir.value_or(""), userFolder_.empty() ? folderOf(cacheDirectory()) : userFolder_);
  if (settings.empty())
    return std::nullopt;
  const std::optional<int> days = readPurgeCacheDays(settings);
  if (!days)
    return std::nullopt;
  return DownloadKeeping{settings, *days};
}

std::optional<std::string> AppController::keepDownloadsForGood(bool forGood) {
  const std::optional<DownloadKeeping> keeping = downloadKeeping();
  if (!keeping)
    return std::string("The game's settings file could not be read");
  if (gameRunning())
    return std::string(kQuitTheGameFirst);
  int days = 0;
  if (!forGood) {
    // Back to what the file held before it was set to 0, as its backup
    // keeps it, else the game's own.
    const std::optional<int> before = readPurgeCacheDays(settingsBackupOf(keeping->settingsFile));
    days = before && *before > 0 ? *before : kGamePurgeCacheDays;
  }
  if ((keeping->days <= 0) == (days <= 0))
    return std::nullopt;
  return setCoreSystemValue(keeping->settingsFile, kPurgeKey, std::to_string(days), locations_.dataHome);
}
