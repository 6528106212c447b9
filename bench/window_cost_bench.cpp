// What the window adds to a move of many small packages: the same move with
// and without it, each in a fresh process of its own. The packages lie in
// memory (/dev/shm) where the machine has it, so that the disk's moods do not
// drown what the window costs; the move's own work is then as small as it
// gets, and the window's share as large. So that the share counts painting,
// the progress shows from the first package on rather than after half a
// second.
#include "bench_inputs.h"

#include "offscreen_window.h"

#include "app/app_controller.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Moves `packages` in a window shown offscreen, or without one; the seconds
// the move took.
double timeMove(const ManyPackages &packages, bool withWindow) {
  if (withWindow) {
    OffscreenWindow shown(packages.locations(), std::chrono::milliseconds(0));
    if (!shown.shown())
      return -1;
    shown.controller().selectAll();
    const auto start = std::chrono::steady_clock::now();
    shown.window().moveConfirmed();
    QCoreApplication::processEvents();
    return secondsSince(start);
  }
  // The same process, with its application, but no window.
  const OffscreenApplication application;
  SilentPlatform platform;
  AppController controller(platform, packages.locations(), std::chrono::milliseconds(0));
  controller.awakeFromNib();
  controller.selectAll();
  const auto start = std::chrono::steady_clock::now();
  controller.moveFiles();
  return secondsSince(start);
}

std::string inMemory() { return std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : ""; }

// range(0): 1 with the window, 0 without; range(1): the number of packages.
void BM_MoveWindowCost(benchmark::State &state) {
  const bool withWindow = state.range(0) == 1;
  for (auto _ : state) {
    const ManyPackages packages(static_cast<std::size_t>(state.range(1)), false, inMemory());
    const double seconds = measureInFreshProcess([&] { return timeMove(packages, withWindow); });
    if (seconds < 0) {
      state.SkipWithError("the move did not run");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_MoveWindowCost)
    ->Args({0, 10000})
    ->Args({1, 10000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(11);

} // namespace
