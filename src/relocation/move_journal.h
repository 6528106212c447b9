#pragma once

#include <optional>
#include <string>
#include <vector>

// What a move is about to do, written beside the index and flushed before the
// first package moves, and removed once the new index is on disk. Finding it
// at start-up says that a move was interrupted.
struct JournalRecord {
  std::string cacheName;
  std::string utName;
  std::string destination; // the full path the package is moved to
};

std::string journalPath(const std::string &cacheDirectory);

// Adds the records to the journal at `path`, after any it holds already, and
// flushes it and its folder. False when any step fails.
bool appendToJournal(const std::string &path, const std::vector<JournalRecord> &records);

// The journal's records; std::nullopt when there is no journal. A record cut
// short by an interruption is left out.
std::optional<std::vector<JournalRecord>> readJournal(const std::string &path);

// The records whose package reached the game: the cached file is gone and a
// plain file stands at the destination.
std::vector<JournalRecord> packagesInTheGame(std::vector<JournalRecord> records, const std::string &cacheDirectory);
