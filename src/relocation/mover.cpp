#include "relocation/mover.h"

#include "catalogue/package_check.h"
#include "posix/beneath.h"
#include "relocation/index_writer.h"
#include "relocation/interrupted_move.h"
#include "relocation/move_journal.h"
#include "relocation/move_plan.h"
#include "relocation/move_preview.h"
#include "relocation/replacement_file.h"
#include "relocation/transfer.h"

#include <sys/stat.h>

namespace {

std::vector<PlannedMove> planOf(const ListsView &lists) {
  std::vector<PlannedMove> plan = collectAllTicked(lists);
  for (PlannedMove &move : plan)
    move.temporaryName = newTemporaryName();
  return plan;
}

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

std::vector<CacheEntry> stayedEntries(const std::vector<PlannedMove> &plan, const TransferResult &transfer) {
  std::vector<CacheEntry> stayed;
  stayed.reserve(transfer.stayed.size());
  for (const TransferFailure &failure : transfer.stayed)
    stayed.push_back(plan[failure.index].entry());
  return stayed;
}

} // namespace

std::vector<Mover::Kept> Mover::takeKeptPackages(std::vector<PlannedMove> &plan) const {
  std::vector<Kept> kept;
  const CategoryFolders game(settings_.installation);
  std::erase_if(plan, [&](const PlannedMove &move) {
    if (const char *reason = settings_.keptCategories[move.category]) {
      kept.push_back({move, reason});
      return true;
    }
    if (settings_.leaveDamaged &&
        isDamaged(checkCachedFile(cachedFilePath(settings_.cacheDirectory, move.cacheName), move.utName))) {
      kept.push_back({move, kKeptDamagedReason});
      return true;
    }
    if (settings_.keepDifferentFiles &&
        replacesADifferentFile(game, move.category, move.entry(), settings_.cacheDirectory)) {
      kept.push_back({move, kKeptDifferentReason});
      return true;
    }
    return false;
  });
  return kept;
}

std::vector<ReturnedPackage> Mover::placedFiles(const std::vector<PlannedMove> &plan,
                                                const TransferResult &transfer) const {
  std::vector<ReturnedPackage> placed;
  const CategoryFolders game(settings_.installation);
  std::size_t nextStayed = 0;
  for (std::size_t index = 0; index < plan.size(); ++index) {
    if (nextStayed < transfer.stayed.size() && transfer.stayed[nextStayed].index == index) {
      ++nextStayed;
      continue;
    }
    const PlannedMove &move = plan[index];
    const std::optional<std::string> file = game.fileOf(move.category, move.utName);
    struct stat info {};
    if (file && ::lstat(file->c_str(), &info) == 0 && S_ISREG(info.st_mode))
      placed.push_back({move.category, move.cacheName, move.utName, *file, FileIdentity::of(info)});
  }
  return placed;
}

MoveOutcome Mover::run(const ListsView &lists) const {
  MoveOutcome outcome;
  const std::string journal = journalPath(settings_.cacheDirectory);
  const std::optional<EarlierRun> earlier = settleEarlierRunOrRefuse(
      journal, settings_.cacheDirectory, settings_.installation, events_.alert, kJournalUnusableMessage);
  if (!earlier)
    return outcome;
  outcome.ran = true;

  // Plan: the ticked entries, and the names of every file the move may
  // create.
  std::vector<PlannedMove> plan = planOf(lists);
  const std::vector<Kept> kept = takeKeptPackages(plan);
  const FileDescriptor cacheFolder = openFolder(settings_.cacheDirectory);
  const std::string indexTemporary = cacheFolder.valid() ? newTemporaryName(cacheFolder.get()) : newTemporaryName();

  // Journal: every file the move may create is named in it first.
  const bool journalled = (!settings_.ownFolder || journalDestination(journal, *settings_.installation)) &&
                          journalMoves(journal, settings_.installation ? plan : std::vector<PlannedMove>{}) &&
                          journalIndexTemporary(journal, indexTemporary);

  // Transfer.
  const auto transfer = [&]() -> TransferResult {
    if (plan.empty())
      return {};
    if (!settings_.installation) {
      events_.alert(kNoInstallationMessage);
      return keepAllInCache(plan, kNoInstallationMessage);
    }
    if (!journalled) {
      // Without the journal an interruption could not be finished later.
      events_.alert(kCannotWriteIndexMessage);
      return keepAllInCache(plan, kCannotWriteIndexMessage);
    }
    const TransferSettings transferSettings{
        settings_.cacheDirectory,
        settings_.installation,
        settings_.sameVolume,
        [this](const PlannedMove &move, const TransferFailure &failure) {
          events_.packageAlert(failure.message, describeFailure(move, failure));
        },
        events_.progress,
        events_.cancelled,
    };
    return transferFiles(plan, transferSettings);
  }();
  outcome.report = reportOf(plan, transfer);
  outcome.placed = placedFiles(plan, transfer);
  for (const Kept &keep : kept)
    outcome.report.stayed.push_back({keep.package.utName, keep.package.cacheName, keep.reason});
  if (transfer.cancelled > 0) {
    outcome.report.cancelled = true;
    outcome.report.planned = plan.size();
    outcome.report.handled = plan.size() - transfer.cancelled;
  }

  // Rewrite.
  std::vector<CacheEntry> stayed = stayedEntries(plan, transfer);
  for (const Kept &keep : kept)
    stayed.push_back(keep.package.entry());
  if (!journalled || !rewriteIndex(settings_.indexPath, indexTemporary, NewIndex{lists, stayed, earlier->gone}))
    events_.alert(kCannotWriteIndexMessage);
  else
    closeJournal(journal, *earlier, plan, transfer.settled);
  return outcome;
}
