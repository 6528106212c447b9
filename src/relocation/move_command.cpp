// The move command: collect the ticked entries, move their files, rewrite the
// index, read it again.
#include "app/app_controller.h"
#include "relocation/index_writer.h"
#include "relocation/interrupted_move.h"
#include "relocation/move_journal.h"
#include "relocation/move_plan.h"
#include "relocation/path_safety.h"
#include "relocation/same_volume.h"
#include "relocation/transfer.h"

#include <array>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char *kCannotWriteIndex = "Could not write cache file";

std::vector<JournalRecord> journalRecords(const MovePlan &plan, const TransferSettings &settings) {
  std::vector<JournalRecord> records;
  records.reserve(plan.cacheNames.size());
  for (std::size_t index = 0; index < plan.cacheNames.size(); ++index) {
    if (leavesItsFolder(plan.cacheNames[index]) || leavesItsFolder(plan.destinations[index]))
      continue;
    records.push_back(JournalRecord{plan.cacheNames[index], utNameOfDestination(plan.destinations[index]),
                                    destinationPath(settings, plan, index)});
  }
  return records;
}

} // namespace

void AppController::moveFiles() {
  if (terminationRequested_)
    return;

  MovePlan plan;
  std::array<std::vector<CacheEntry> *, kCategoryCount> lists{};
  std::array<std::size_t, kCategoryCount> untickedCounts{};
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    lists[index] = &listAt(index);
    collectTicked(kCategories[index], *lists[index], plan);
    untickedCounts[index] = lists[index]->size();
  }

  if (!unrealDir && !plan.cacheNames.empty())
    platform_.runAlertPanel(kNoInstallationMessage);
  const TransferSettings settings{
      cacheDirectory(),
      unrealDir,
      [this](const std::string &destination, const std::string &source) { return sameVolume(destination, source); },
      [this](const TransferFailure &failure) { platform_.runAlertPanel(failure.message); },
      [this](std::size_t current, std::size_t total) { platform_.showMoveProgress(current, total); },
  };

  // A journal is only left over when an earlier move's index could not be
  // written; the lists then still hold the packages it brought into the game.
  const std::string journal = journalPath(settings.cacheDirectory);
  std::vector<JournalRecord> earlierInGame;
  if (std::optional<std::vector<JournalRecord>> earlier = readJournal(journal))
    earlierInGame = packagesInTheGame(std::move(*earlier), settings.cacheDirectory);

  bool settled = true;
  if (!unrealDir || plan.cacheNames.empty() || appendToJournal(journal, journalRecords(plan, settings))) {
    settled = transferFiles(plan, settings);
  } else {
    // Without the journal an interruption could not be finished later.
    platform_.runAlertPanel(kCannotWriteIndex);
    keepAllInCache(plan);
  }

  // The lists are read anew below; their entries can move into the index.
  std::vector<CacheEntry> keptEntries = takeKeptEntries(lists, std::move(plan.failedEntries));
  HeldEntries held{{}, plan.cacheNames, plan.destinations};
  std::size_t offset = 0;
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    held.unticked[index] = std::span<const CacheEntry>(keptEntries).subspan(offset, untickedCounts[index]);
    offset += untickedCounts[index];
  }
  std::optional<LinesToKeep> lines = readLinesToKeep(cacheFile, held);
  dropRecordedEntries(keptEntries, earlierInGame);
  if (!lines || !replaceIndex(cacheFile, composeIndex(keptEntries, *lines)))
    platform_.runAlertPanel(kCannotWriteIndex);
  else if (settled)
    ::unlink(journal.c_str());

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
