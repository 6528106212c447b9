#pragma once

#include "posix/file_identity.h"
#include "relocation/move_progress.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A package in the game to put back into the cache: its file leaves the
// game and becomes "<cacheName>.uxx" with its index line, as if the game had
// just downloaded it.
struct ReturnedPackage {
  std::size_t category = 0;
  std::string cacheName;
  std::string utName;
  std::string gameFile; // its full path in the game now
  // What the file must still be (the one a move put there): volume, inode,
  // size and modification time. Nothing for any plain file.
  std::optional<FileIdentity> expected;
};

struct ReturnSettings {
  std::string indexPath;      // cache.ini
  std::string cacheDirectory; // the folder that holds it
  std::function<bool(const std::string &gameFile, const std::string &cacheDirectory)> sameVolume;
  std::function<void(const MoveProgress &progress)> progress;
};

// Why a package stays in the game.
inline constexpr const char *kChangedSinceReason = "Stayed in the game: its file changed since it was moved";
inline constexpr const char *kCacheNameTakenReason = "Stayed in the game: the cache holds a file of that name";

// Puts `packages` back into the cache, each that can be, in order, with
// the same care as a move the other way: the journal first; a rename on one
// volume that never replaces anything; across volumes a copy staged beside,
// flushed, checked against its source and renamed into place before the
// file in the game goes; one flush per folder; then the lines added to the
// index, compare and swap. An interruption at any point loses nothing, and
// the next start finishes it (finishInterruptedReturn()). `report.moved`
// holds the packages put back; `report.stayed` the others and why.
struct ReturnOutcome {
  MoveReport report;
  // Set when nothing could be done, or the index could not be written (the
  // packages put back then get their lines at the next start).
  std::optional<std::string> problem;
};
ReturnOutcome returnToCache(const std::vector<ReturnedPackage> &packages, const ReturnSettings &settings);

// Settles what an interrupted return left, before the index is read:
// removes its staged copies, removes a file in the game whose copy reached
// the cache whole, and adds the line of each package whose file is in the
// cache. The journal goes once all is done; a start without one touches
// nothing.
void finishInterruptedReturn(const std::string &indexPath);

// Whether `now` is still the file `moved` was: the same file, size and
// modification time (a rename changes its change time, not its bytes).
bool stillTheFile(const FileIdentity &now, const FileIdentity &moved);
