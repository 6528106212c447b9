// The move command: collect the ticked entries, move their files, rewrite the
// index, read it again.
#include "app/app_controller.h"
#include "posix/beneath.h"
#include "relocation/index_writer.h"
#include "relocation/interrupted_move.h"
#include "relocation/move_journal.h"
#include "relocation/move_plan.h"
#include "relocation/replacement_file.h"
#include "relocation/same_volume.h"
#include "relocation/transfer.h"

#include <array>
#include <unistd.h>

namespace {

constexpr const char *kCannotWriteIndex = "Could not write cache file";
constexpr const char *kJournalUnusable =
    "Could not move packages: the journal of an earlier move (.cache-sorter-journal in the cache folder) "
    "cannot be read. Nothing was moved; move that file away to move packages again.";

// The packages that moved and those that stayed, with the reasons.
MoveReport reportOf(const std::vector<PlannedMove> &plan, const TransferResult &transfer) {
  MoveReport report;
  std::size_t nextStayed = 0;
  for (std::size_t index = 0; index < plan.size(); ++index) {
    const bool stayed = nextStayed < transfer.stayed.size() && transfer.stayed[nextStayed].index == index;
    if (!stayed) {
      report.moved.push_back({plan[index].utName, plan[index].cacheName, ""});
      continue;
    }
    report.stayed.push_back({plan[index].utName, plan[index].cacheName, reasonOf(transfer.stayed[nextStayed++])});
  }
  return report;
}

std::vector<CacheEntry> failedEntries(const std::vector<PlannedMove> &plan, const TransferResult &transfer) {
  std::vector<CacheEntry> failed;
  failed.reserve(transfer.stayed.size());
  for (const TransferFailure &failure : transfer.stayed)
    failed.push_back(plan[failure.index].entry());
  return failed;
}

} // namespace

void AppController::moveFiles() {
  if (terminationRequested_)
    return;
  const std::string cache = cacheDirectory();
  const std::string journal = journalPath(cache);
  const JournalRead earlier = readJournal(journal);
  if (earlier.state == JournalRead::State::Unusable) {
    platform_.runAlertPanel(kJournalUnusable);
    platform_.endMoveProgress();
    return;
  }

  std::vector<PlannedMove> plan;
  std::array<std::vector<CacheEntry> *, kCategoryCount> lists{};
  std::array<std::size_t, kCategoryCount> untickedCounts{};
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    lists[index] = &listAt(index);
    collectTicked(index, *lists[index], plan);
    untickedCounts[index] = lists[index]->size();
  }
  for (PlannedMove &move : plan)
    move.temporaryName = newTemporaryName();
  const FileDescriptor cacheFolder = openFolder(cache);
  const std::string indexTemporary = cacheFolder.valid() ? newTemporaryName(cacheFolder.get()) : newTemporaryName();

  // Packages an earlier move of this session brought into the game while its
  // index could not be written: the lists, read back from that index, still
  // name them.
  const std::size_t earlierRecords = earlier.journal.moves.size();
  const Settlement earlierSettlement =
      earlier.state == JournalRead::State::Present ? settleRecords(earlier.journal, cache, unrealDir) : Settlement{};

  const TransferSettings settings{
      cache,
      unrealDir,
      [this](const std::string &destination, const std::string &source) { return sameVolume(destination, source); },
      [this](const PlannedMove &move, const TransferFailure &failure) {
        platform_.runMoveAlert(failure.message, describeFailure(move, failure));
      },
      [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); },
  };
  // Every file the move may create is named in the journal first.
  const bool journalled = journalMoves(journal, unrealDir ? plan : std::vector<PlannedMove>{}) &&
                          journalIndexTemporary(journal, indexTemporary);
  const auto transferTicked = [&]() -> TransferResult {
    if (plan.empty())
      return {};
    if (!unrealDir) {
      platform_.runAlertPanel(kNoInstallationMessage);
      return keepAllInCache(plan, kNoInstallationMessage);
    }
    if (!journalled) {
      // Without the journal an interruption could not be finished later.
      platform_.runAlertPanel(kCannotWriteIndex);
      return keepAllInCache(plan, kCannotWriteIndex);
    }
    return transferFiles(plan, settings);
  };
  const TransferResult transfer = transferTicked();
  const MoveReport report = reportOf(plan, transfer);

  // The lists are read anew below; their entries can move into the index.
  std::vector<CacheEntry> keptEntries = takeKeptEntries(lists, failedEntries(plan, transfer));
  HeldEntries held{{}, plan};
  std::size_t offset = 0;
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    held.unticked[index] = std::span<const CacheEntry>(keptEntries).subspan(offset, untickedCounts[index]);
    offset += untickedCounts[index];
  }
  // The held entries still point into keptEntries, so the earlier move's
  // packages are dropped from a copy, in the rare case there are any.
  std::vector<CacheEntry> withoutEarlier;
  if (!earlierSettlement.inTheGame.empty()) {
    withoutEarlier = keptEntries;
    dropRecordedEntries(withoutEarlier, earlier.journal, earlierSettlement.inTheGame);
  }
  const std::vector<CacheEntry> &written = earlierSettlement.inTheGame.empty() ? keptEntries : withoutEarlier;
  if (!journalled || !rewriteIndex(cacheFile, indexTemporary, written, held)) {
    platform_.runAlertPanel(kCannotWriteIndex);
  } else if (transfer.settled && earlierSettlement.unknown.empty()) {
    removeJournal(journal);
  } else {
    // What is on disk settles the rest at the next start; what this move
    // settled of an earlier one is marked, so that it is not settled twice.
    std::vector<std::size_t> settled = earlierSettlement.inTheGame;
    settled.insert(settled.end(), earlierSettlement.stayed.begin(), earlierSettlement.stayed.end());
    if (transfer.settled) {
      for (std::size_t index = 0; index < plan.size(); ++index)
        settled.push_back(earlierRecords + index);
    }
    journalSettled(journal, settled);
  }

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
