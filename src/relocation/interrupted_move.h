#pragma once

#include "catalogue/cache_entry.h"
#include "relocation/move_journal.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Where the journalled packages stand on disk now.
struct Settlement {
  // The line must go: a move's cached file left the cache and its
  // destination is there, or a discarded package's cached file is gone.
  std::vector<std::size_t> gone;
  std::vector<std::size_t> stayed;  // nothing left to do: the line stays
  std::vector<std::size_t> unknown; // cannot be told now (a volume absent, a read error)
};

// Looks up each unsettled record of `journal`: the cached file beneath the
// cache folder, the destination beneath its category folder of
// `installation` (the one found now), neither followed through a link. Also
// removes the temporary files the journal names that are still there (plain
// files only); a record whose temporary file cannot be looked at is unknown.
Settlement settleRecords(const Journal &journal, const std::string &cacheDirectory,
                         const std::optional<std::string> &installation);

// Finishes what an interrupted move left behind, before the index is read:
// removes the temporary files its journal names, and takes out of the index
// the lines of the packages that had already reached the game. The journal
// is removed only when every record is settled; otherwise it stays, marked
// with what was settled, so that no line is taken out twice. A start without
// a journal, or with something unusable in its place, touches nothing.
void finishInterruptedMove(const std::string &indexPath, const std::optional<std::string> &installation);

// The journal an earlier run of this session left when its index could not
// be written, settled by what is on disk: the lists, read back from that
// index, still name the packages whose lines must go.
struct EarlierRun {
  JournalRead read;
  Settlement settlement;
  std::vector<CacheEntry> gone; // their lines go with the next rewrite
  // The earlier run's temporary indexes are removed; while one may still be
  // there, the journal stays to name it.
  bool temporariesGone = true;
};
EarlierRun settleEarlierRun(const std::string &journal, const std::string &cacheDirectory,
                            const std::optional<std::string> &installation);
// The same for a command about to change the cache; when the journal cannot
// be read, `alert` says `refusal` and nothing comes back: the command must
// then change nothing.
std::optional<EarlierRun> settleEarlierRunOrRefuse(const std::string &journal, const std::string &cacheDirectory,
                                                   const std::optional<std::string> &installation,
                                                   const std::function<void(const std::string &)> &alert,
                                                   const char *refusal);

// Once a run's index is written: removes the journal when all is settled,
// or marks what is (the earlier run's records it settled, and its own when
// `runSettled`), so that the next start settles the rest and nothing twice.
void closeJournal(const std::string &journal, const EarlierRun &earlier, std::span<const PlannedMove> run,
                  bool runSettled);

// The entries of the records at these positions.
std::vector<CacheEntry> entriesOf(const Journal &journal, const std::vector<std::size_t> &records);
