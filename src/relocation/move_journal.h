#pragma once

#include "relocation/move_plan.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What a move is about to do, written beside the index and flushed before
// anything is created or moved, and removed once every package it names is
// settled: in the game with its line gone, or in the cache with its line
// kept. Finding it at start-up says that a move was interrupted.
//
// It also names every temporary file the move may create, before it is
// created: those, and only those, are removed after an interruption.
struct JournalRecord {
  PlannedMove move;
  bool settled = false;
  // A package put in the Trash (or deleted): only its cached file and its
  // line go; `move.temporaryName` is no file, only the record's own name.
  bool discard = false;
  // The folder whose category folders received the package, as the move
  // journalled it before its records, for a move into the user's own
  // folders; none for a move into the installation found at start-up.
  std::optional<std::string> destination;
};

struct Journal {
  std::vector<JournalRecord> moves;
  std::vector<std::string> indexTemporaries; // in the cache folder
};

struct JournalRead {
  enum class State {
    Absent,
    Present,
    // Something other than a regular file stands there (a link, a FIFO, a
    // folder), it is not in a form this program writes, or reading it
    // failed. It is left as it is, and no move runs while it is there.
    Unusable,
  };
  State state = State::Absent;
  Journal journal;
};

std::string journalPath(const std::string &cacheDirectory);

// Each of these adds to the journal at `path`, creating it when there is
// none, and flushes it and its folder. False when any step fails, or when
// what stands at `path` is not a journal this program wrote.
bool journalMoves(const std::string &path, std::span<const PlannedMove> moves);
// The folder the move records after this one go to. False too for a path
// that a journal line cannot hold (one with a line break).
bool journalDestination(const std::string &path, const std::string &folder);
bool journalDiscards(const std::string &path, std::span<const PlannedMove> discards);
bool journalIndexTemporary(const std::string &path, const std::string &temporaryName);
// These move records are settled. A record is known by its temporary name,
// which is random and its own: positions would shift when a record cut
// short is closed.
bool journalSettled(const std::string &path, const std::vector<const PlannedMove *> &moves);

// Never waits and never follows a link. A record cut short by an
// interruption is left out.
JournalRead readJournal(const std::string &path);

// Removes the journal and flushes its folder.
bool removeJournal(const std::string &path);
