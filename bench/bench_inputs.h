#pragma once

#include "catalogue/cache_entry.h"
#include "window/surface.h"

#include <cstddef>
#include <string>
#include <vector>

// An index as a heavy player's cache holds it: coded names of 32 hex digits,
// real names like "DM-Example-1234.ut2" spread over the eight categories, one
// foreign line in fifty and carriage returns on every third line.
std::string generateIndex(std::size_t entries);

// `count` entries of one category, every second one ticked when `halfTicked`.
std::vector<CacheEntry> generateEntries(std::size_t count, bool halfTicked);

// Pushes everything a benchmark touched out of the processor's caches, so
// that a command starts from memory as it does when the user clicks after a
// pause, whatever the size of its data.
void evictCaches();

// A folder for one benchmark run, removed with its contents at the end.
class BenchFolder {
public:
  BenchFolder();
  BenchFolder(const BenchFolder &) = delete;
  BenchFolder &operator=(const BenchFolder &) = delete;
  ~BenchFolder();
  std::string path(const std::string &name) const { return root_ + "/" + name; }

private:
  std::string root_;
};

void writeWholeFile(const std::string &path, const std::string &bytes);

// A platform that shows nothing, for commands run without a window.
class SilentPlatform final : public Platform {
public:
  void runAlertPanel(const std::string &) override {}
  void runMoveAlert(const std::string &, const std::string &) override {}
  void terminate(int) override {}
  void showMoveProgress(const MoveProgress &) override {}
  void waitBeforeReload(std::chrono::milliseconds) override {}
  void endMoveProgress() override {}
  void reportMove(const MoveReport &) override {}
};

// Waits, when it goes, until everything written, and removed, is on disk.
// Declared before a fixture's folder, it outlives the folder's removal, so
// that no later benchmark's flush pays for this one's files.
struct SyncWhenGone {
  SyncWhenGone() = default;
  SyncWhenGone(const SyncWhenGone &) = delete;
  SyncWhenGone &operator=(const SyncWhenGone &) = delete;
  ~SyncWhenGone();
};
