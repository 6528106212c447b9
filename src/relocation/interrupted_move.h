#pragma once

#include "catalogue/cache_entry.h"
#include "relocation/move_journal.h"

#include <optional>
#include <string>
#include <vector>

// Finishes what an interrupted move left behind, before the index is read:
// removes this program's temporary files (plain files only) from the cache
// folder and from the installation's category folders, and takes out of the
// index the lines of the packages that the move had already brought into
// the game. Writes nothing when no move was interrupted. When the index
// cannot be read whole or written, it stays as it is and the journal is kept
// for the next start.
void finishInterruptedMove(const std::string &indexPath, const std::optional<std::string> &installation);

// Takes out of `entries` one entry for each record, matched by both names.
// For the entries of an earlier move whose index could not be written: the
// lists were read back from the old index, which still names them.
void dropRecordedEntries(std::vector<CacheEntry> &entries, const std::vector<JournalRecord> &records);
