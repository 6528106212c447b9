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

// range(0): 1 for one volume (renames), 0 for two (copies); range(1): the
// number of packages. Counts the flushes the move asks for.
void BM_MovePackages(benchmark::State &state) {
  const bool sameVolume = state.range(0) == 1;
  const auto count = static_cast<std::size_t>(state.range(1));
  // One iteration each: the set-up and the removal stay outside the clock.
  const ManyPackages packages(count, sameVolume);
  SilentPlatform platform;
  AppController controller(platform, packages.locations(), nullptr, std::chrono::milliseconds(0));
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
