#pragma once

#include "app/locations.h"
#include "app/platform.h"
#include "catalogue/cache_entry.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <functional>
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
  // In `parent`, or in the system's temporary folder.
  explicit BenchFolder(const std::string &parent = "");
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
  bool moveCancelled() override { return false; }
  bool askDeleteForGood(std::size_t) override { return false; }
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

// A home folder with a cache of `count` small packages over the eight
// categories, and the game on the volume "Games". With `sameVolume` the home
// folder lies on that volume too, and the move renames. What it writes is on
// disk before it is done, so that no flush measured pays for it. In `parent`,
// or in the system's temporary folder.
class ManyPackages {
public:
  ManyPackages(std::size_t count, bool sameVolume, const std::string &parent = "");

  Locations locations() const {
    return {home_, folder_.path("Volumes"), folder_.path("."), home_ + "/.local/share", folder_.path("proc"), ""};
  }
  std::string cacheDirectory() const { return home_ + "/Library/Application Support/Unreal Tournament 2004/Cache"; }
  std::string game() const { return folder_.path("Volumes/Games/Applications/Unreal Tournament 2004.app"); }
  // "<Category>/<utName>" of package `index`.
  const std::string &destination(std::size_t index) const { return names_[index]; }
  std::size_t count() const { return names_.size(); }

private:
  SyncWhenGone syncWhenGone_;
  BenchFolder folder_;
  std::string home_;
  std::vector<std::string> names_;
};

// A home folder whose cache holds only an index of `entries` lines, as
// generateIndex() writes it, and the game on the volume "Games".
class IndexedCache {
public:
  explicit IndexedCache(std::size_t entries);
  Locations locations() const {
    return {folder_.path("home"), folder_.path("Volumes"),
            folder_.path("."),    folder_.path("home/.local/share"),
            folder_.path("proc"), ""};
  }

private:
  BenchFolder folder_;
};

// Runs `measure` in a forked process of its own and returns the seconds it
// returns; -1 when it returns a negative figure or the process fails. For
// what must start afresh each time, such as the application object.
double measureInFreshProcess(const std::function<double()> &measure);

// Times each iteration of `state` by measureInFreshProcess(); the run stops
// with `failure` when a measurement fails.
// The peak resident memory, in KiB, of a fresh process of this benchmark
// run as `<self> <option> <source> <destination>`, which prints it (see
// bench_main.cpp); -1 when that fails.
long peakKibOfChild(const std::string &option, const std::string &source, const std::string &destination);

// Runs `work` on a 1 MiB and a 256 MiB input in fresh processes and records
// their peaks (peak_kib_1MiB, peak_kib_256MiB) and the difference
// (extra_kib): what a larger file costs in memory.
void recordPeakMemory(benchmark::State &state, const std::function<long(bool large)> &work);

void timeInFreshProcesses(benchmark::State &state, const std::function<double()> &measure, const char *failure);
