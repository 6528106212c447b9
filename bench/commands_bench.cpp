// Ticking everything and collecting the ticked entries.
#include "bench_inputs.h"

#include "app/app_controller.h"
#include "relocation/move_plan.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SelectAll(benchmark::State &state) {
  SilentPlatform platform;
  AppController controller(
      platform, Locations{"/nonexistent", "/nonexistent", "/nonexistent", "/nonexistent", "/nonexistent", ""});
  controller.maps = generateEntries(static_cast<std::size_t>(state.range(0)), false);
  for (auto _ : state) {
    state.PauseTiming();
    evictCaches();
    state.ResumeTiming();
    controller.selectAll();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SelectAll)->Arg(100000)->Arg(400000)->Iterations(20)->Repetitions(9)->Unit(benchmark::kMicrosecond);

void BM_Collect(benchmark::State &state) {
  const std::vector<CacheEntry> entries = generateEntries(static_cast<std::size_t>(state.range(0)), true);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<PlannedMove> plan;
    evictCaches();
    state.ResumeTiming();
    collectTicked(2, entries, plan);
    benchmark::DoNotOptimize(plan);
    state.PauseTiming();
    {
      // Freeing the plan is not part of collecting.
      const std::vector<PlannedMove> discarded = std::move(plan);
    }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Collect)->Arg(100000)->Arg(400000)->Iterations(20)->Repetitions(9)->Unit(benchmark::kMillisecond);

// Linear work of the same kind on the same machine: copying the list once,
// which allocates and writes every name, from cold caches.
void BM_CopyEntriesBaseline(benchmark::State &state) {
  const std::vector<CacheEntry> entries = generateEntries(static_cast<std::size_t>(state.range(0)), true);
  for (auto _ : state) {
    state.PauseTiming();
    evictCaches();
    state.ResumeTiming();
    std::vector<CacheEntry> copy = entries;
    benchmark::DoNotOptimize(copy);
    state.PauseTiming();
    copy = {};
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CopyEntriesBaseline)
    ->Arg(100000)
    ->Arg(400000)
    ->Iterations(20)
    ->Repetitions(9)
    ->Unit(benchmark::kMillisecond);

} // namespace
