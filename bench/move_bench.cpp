// The whole move of many small packages, by copy and by rename, against cp
// and a loop of renames.
#include "bench_inputs.h"

#include "app/app_controller.h"
#include "catalogue/category.h"
#include "posix/flush.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPackageSize = 4096;

// A home folder with a cache of `count` small packages over the eight
// categories, and the game on the volume "Games". With `sameVolume` the home
// folder lies on that volume too, and the move renames.
class ManyPackages {
public:
  ManyPackages(std::size_t count, bool sameVolume)
      : home_(sameVolume ? folder_.path("Volumes/Games/Users/player") : folder_.path("home")) {
    const std::string cache = cacheDirectory();
    fs::create_directories(cache);
    for (const Category &category : kCategories)
      fs::create_directories(game() + "/" + std::string(category.name));
    const std::string bytes(kPackageSize, 'p');
    std::string index = "[Cache]\n";
    for (std::size_t package = 0; package < count; ++package) {
      const Category &category = kCategories[package % kCategories.size()];
      const std::string cacheName = "P" + std::to_string(package);
      names_.push_back(std::string(category.name) + "/Package-" + std::to_string(package) +
                       std::string(category.ending));
      index += cacheName + "=" + names_.back().substr(category.name.size() + 1) + "\n";
      writeWholeFile(cache + "/" + cacheName + ".uxx", bytes);
    }
    writeWholeFile(cache + "/cache.ini", index);
    // What the set-up wrote is on disk before the clock starts, so that no
    // flush measured pays for it.
    ::sync();
  }

  Locations locations() const { return {home_, folder_.path("Volumes")}; }
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

// range(0): 1 for one volume (renames), 0 for two (copies); range(1): the
// number of packages. Counts the flushes the move asks for.
void BM_MovePackages(benchmark::State &state) {
  const bool sameVolume = state.range(0) == 1;
  const auto count = static_cast<std::size_t>(state.range(1));
  // One iteration each: the set-up and the removal stay outside the clock.
  const ManyPackages packages(count, sameVolume);
  SilentPlatform platform;
  AppController controller(platform, packages.locations(), std::chrono::milliseconds(0));
  controller.awakeFromNib();
  controller.selectAll();
  const std::uint64_t before = flushCallCount();
  for (auto _ : state)
    controller.moveFiles();
  state.counters["flushes"] = static_cast<double>(flushCallCount() - before);
  if (!fs::exists(packages.game() + "/" + packages.destination(count - 1)))
    state.SkipWithError("the move failed");
}
BENCHMARK(BM_MovePackages)
    ->Args({0, 100})
    ->Args({1, 100})
    ->Args({0, 10000})
    ->Args({1, 10000})
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// cp -r of the cache folder, sync, and the removal of the cached files.
void BM_MovePackagesCopyBaseline(benchmark::State &state) {
  const ManyPackages packages(static_cast<std::size_t>(state.range(0)), false);
  const std::string cache = packages.cacheDirectory();
  const std::string command =
      "cp -r '" + cache + "/.' '" + packages.game() + "/Maps' && sync && find '" + cache + "' -name '*.uxx' -delete";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("cp failed");
  }
}
BENCHMARK(BM_MovePackagesCopyBaseline)
    ->Arg(10000)
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A loop of rename calls, then a flush of each folder they touched.
void BM_MovePackagesRenameBaseline(benchmark::State &state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const ManyPackages packages(count, true);
  const std::string cache = packages.cacheDirectory();
  for (auto _ : state) {
    for (std::size_t index = 0; index < count; ++index) {
      const std::string source = cache + "/P" + std::to_string(index) + ".uxx";
      if (std::rename(source.c_str(), (packages.game() + "/" + packages.destination(index)).c_str()) != 0)
        state.SkipWithError("a rename failed");
    }
    for (const Category &category : kCategories)
      flushFolder(packages.game() + "/" + std::string(category.name));
    flushFolder(cache);
  }
}
BENCHMARK(BM_MovePackagesRenameBaseline)
    ->Arg(10000)
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
