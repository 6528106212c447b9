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
#include <cstring>
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

// The packages that moved and those that stayed, with the reasons.
MoveReport reportOf(const MovePlan &plan, const TransferResult &transfer) {
  MoveReport report;
  std::size_t nextStayed = 0;
  for (std::size_t index = 0; index < plan.cacheNames.size(); ++index) {
    const bool stayed = nextStayed < transfer.stayed.size() && transfer.stayed[nextStayed].index == index;
    if (!stayed) {
      report.moved.push_back({utNameOfDestination(plan.destinations[index]), plan.cacheNames[index], ""});
      continue;
    }
    const TransferFailure &failure = transfer.stayed[nextStayed++];
    std::string reason = failure.message.empty() ? std::string("Could not be moved") : failure.message;
    if (failure.error != 0)
      reason += std::string(" (") + std::strerror(failure.error) + ")";
    report.stayed.push_back({failure.utName, failure.cacheName, std::move(reason)});
  }
  return report;
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

  const TransferSettings settings{
      cacheDirectory(),
      unrealDir,
      [this](const std::string &destination, const std::string &source) { return sameVolume(destination, source); },
      [this](const TransferFailure &failure) { platform_.runMoveAlert(failure.message, describeFailure(failure)); },
      [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); },
  };

  // A journal is only left over when an earlier move's index could not be
  // written; the lists then still hold the packages it brought into the game.
  const std::string journal = journalPath(settings.cacheDirectory);
  std::vector<JournalRecord> earlierInGame;
  if (std::optional<std::vector<JournalRecord>> earlier = readJournal(journal))
    earlierInGame = packagesInTheGame(std::move(*earlier), settings.cacheDirectory);

  const auto transferTicked = [&]() -> TransferResult {
    if (plan.cacheNames.empty())
      return {};
    if (!unrealDir) {
      platform_.runAlertPanel(kNoInstallationMessage);
      return keepAllInCache(plan, kNoInstallationMessage);
    }
    if (!appendToJournal(journal, journalRecords(plan, settings))) {
      // Without the journal an interruption could not be finished later.
      platform_.runAlertPanel(kCannotWriteIndex);
      return keepAllInCache(plan, kCannotWriteIndex);
    }
    return transferFiles(plan, settings);
  };
  const TransferResult transfer = transferTicked();
  const MoveReport report = reportOf(plan, transfer);

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
  else if (transfer.settled)
    ::unlink(journal.c_str());

  // Gives the file system a moment before the index is read back.
  platform_.waitBeforeReload(reloadDelay_);
  const bool read = readAllCategories();
  platform_.endMoveProgress();
  if (!read)
    return;
  reloadAllTables();
  platform_.reportMove(report);
}

bool AppController::sameVolume(const std::string &first, const std::string &second) const {
  return pathsShareVolume(first, second, volumesPrefix());
}
