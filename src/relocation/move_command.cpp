// The move command: collect the ticked entries, move their files, rewrite the
// index, read it again.
#include "app/app_controller.h"
#include "relocation/index_writer.h"
#include "relocation/move_plan.h"
#include "relocation/same_volume.h"
#include "relocation/transfer.h"

#include <array>
#include <thread>

namespace {

constexpr const char *kCannotWriteIndex = "Could not write cache file";

} // namespace

void AppController::moveFiles() {
  if (terminationRequested_)
    return;

  MovePlan plan;
  std::array<std::vector<CacheEntry> *, kCategoryCount> lists{};
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    lists[index] = &listAt(index);
    collectTicked(kCategories[index], *lists[index], plan);
  }

  if (!unrealDir && !plan.cacheNames.empty())
    platform_.runAlertPanel(kNoInstallationMessage);
  const TransferSettings settings{
      cacheDirectory(),
      unrealDir,
      [this](const std::string &destination, const std::string &source) { return sameVolume(destination, source); },
      [this](const std::string &message) { platform_.runAlertPanel(message); },
      [this](std::size_t current, std::size_t total) { platform_.showMoveProgress(current, total); },
  };
  transferFiles(plan, settings);

  // The lists are read anew below; their entries can move into the index.
  const std::vector<CacheEntry> keptEntries = takeKeptEntries(lists, std::move(plan.failedEntries));
  if (!rewriteIndex(cacheFile, keptEntries))
    platform_.runAlertPanel(kCannotWriteIndex);

  // Gives the file system a moment before the index is read back.
  std::this_thread::sleep_for(reloadDelay_);
  const bool read = readAllCategories();
  platform_.endMoveProgress();
  if (read)
    reloadAllTables();
}

bool AppController::sameVolume(const std::string &first, const std::string &second) const {
  return pathsShareVolume(first, second, volumesPrefix());
}
