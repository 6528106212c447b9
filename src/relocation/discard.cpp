#include "relocation/discard.h"

#include "posix/beneath.h"
#include "posix/flush.h"
#include "relocation/desktop_trash.h"
#include "relocation/index_writer.h"
#include "relocation/interrupted_move.h"
#include "relocation/move_journal.h"
#include "relocation/move_plan.h"
#include "relocation/mover.h"
#include "relocation/replacement_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *kNotTrashed = "Left in the cache: it was not put in the Trash";

} // namespace

Discarder::Outcome Discarder::run(const ListsView &lists) const {
  Outcome outcome;
  const std::string journal = journalPath(settings_.cacheDirectory);
  const std::optional<EarlierRun> earlier = settleEarlierRunOrRefuse(
      journal, settings_.cacheDirectory, settings_.installation, events_.alert, kJournalUnusableForCleanupMessage);
  if (!earlier)
    return outcome;
  const FileDescriptor cache = openFolder(settings_.cacheDirectory);
  if (!cache.valid()) {
    events_.alert(kCannotWriteIndexMessage);
    return outcome;
  }
  outcome.ran = true;
  std::vector<PlannedMove> plan = collectAllTicked(lists);
  // Each record's own name, by which it is marked settled.
  for (PlannedMove &discard : plan)
    discard.temporaryName = newTemporaryName();
  const std::string indexTemporary = newTemporaryName(cache.get());
  if (!journalDiscards(journal, plan) || !journalIndexTemporary(journal, indexTemporary)) {
    events_.alert(kCannotWriteIndexMessage);
    return outcome;
  }

  const DesktopTrash trash(settings_.dataHome, ::geteuid());
  std::vector<CacheEntry> stayed;
  bool forGood = false;
  bool stopped = false;
  for (std::size_t index = 0; index < plan.size(); ++index) {
    const PlannedMove &discard = plan[index];
    if (events_.progress)
      events_.progress(MoveProgress{index + 1, plan.size(), discard.utName, 0, 0});
    const auto keep = [&](const std::string &reason) {
      stayed.push_back(discard.entry());
      outcome.report.stayed.push_back({discard.utName, discard.cacheName, reason});
    };
    // Only a plain file right in the cache folder is discarded.
    const std::string leaf = discard.cacheName + ".uxx";
    const bool plainName = leaf.find('/') == std::string::npos;
    std::optional<struct stat> found;
    int lookError = 0;
    if (plainName && !(found = statLeaf(cache.get(), leaf)))
      lookError = errno;
    if (stopped || !plainName || (!found && lookError != ENOENT) || (found && !S_ISREG(found->st_mode))) {
      keep(stopped ? kNotTrashed : "Left in the cache: it is not a plain file in the cache folder");
      continue;
    }
    // A package whose file is gone already loses only its line.
    bool gone = !found;
    if (!gone && !forGood)
      gone = !trash.put(cache.get(), settings_.cacheDirectory, leaf);
    const bool deleted = !gone;
    if (!gone && !forGood) {
      forGood = events_.deleteForGood(plan.size() - index);
      stopped = !forGood;
    }
    if (!gone && forGood) {
      gone = ::unlinkat(cache.get(), leaf.c_str(), 0) == 0;
      if (!gone) {
        keep(std::string("Could not be deleted (") + std::strerror(errno) + ")");
        continue;
      }
    }
    if (!gone) {
      keep(kNotTrashed);
      continue;
    }
    outcome.report.moved.push_back({discard.utName, discard.cacheName, "", deleted});
  }
  // Deleted when none went to the Trash; else each deleted one says so.
  const bool anyTrashed = std::any_of(outcome.report.moved.begin(), outcome.report.moved.end(),
                                      [](const MoveReport::Package &package) { return !package.deletedForGood; });
  outcome.report.action = forGood && !anyTrashed ? MoveReport::Action::Delete : MoveReport::Action::Trash;

  // The files are gone for good before their lines go.
  const bool settled = flushFile(cache.get());
  if (!rewriteIndex(settings_.indexPath, indexTemporary, NewIndex{lists, stayed, earlier->gone}))
    events_.alert(kCannotWriteIndexMessage);
  else
    closeJournal(journal, *earlier, plan, settled);
  return outcome;
}
