#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What putting packages back into the cache is about to do, written whole
// beside the index and flushed before any file is touched, and removed once
// every package is settled. Finding it at start-up says that it was
// interrupted: what it names is then settled by what is on disk, which
// gives the same result however often it is done.
struct ReturnRecord {
  std::size_t category = 0;
  std::string cacheName;
  std::string utName;
  // The package's file in the game, relative to the cache folder, so that
  // the record holds wherever the two folders are seen from.
  std::string gameFile;
  // The name a copy across volumes is staged under in the cache folder.
  std::string temporaryName;
};

struct ReturnJournal {
  std::string indexTemporary; // in the cache folder
  std::vector<ReturnRecord> records;
};

std::string returnJournalPath(const std::string &cacheDirectory);

// Creates the journal at `path` (never over one that stands there), and
// flushes it and its folder. False when any step fails, or a record holds a
// line break or a NUL byte, which it could not be read back with.
bool writeReturnJournal(const std::string &path, const ReturnJournal &journal);

// Never waits and never follows a link; nothing when there is no journal,
// it is not a plain file of a journal's size, or it is in another form. A
// record cut short by an interruption is left out; a journal cut short in
// its first line reads as one with no record.
enum class ReturnJournalState { Absent, Present, Unusable };
struct ReturnJournalRead {
  ReturnJournalState state = ReturnJournalState::Absent;
  ReturnJournal journal;
};
ReturnJournalRead readReturnJournal(const std::string &path);
