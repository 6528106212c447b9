// What the window adds to a move of many small packages: the same move with
// and without it, each in a fresh process of its own. The packages lie in
// memory (/dev/shm) where the machine has it, so that the disk's moods do not
// drown what the window costs; the move's own work is then as small as it
// gets, and the window's share as large. The window is measured as it ships
// (the progress shows once a move has run half a second, which this one does
// not), and, for comparison, with the progress shown from the first package
// on, painting and all.
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
enum Window { NoWindow, ShippedWindow, ProgressFromTheStart };

double timeMove(const ManyPackages &packages, Window window) {
  if (window != NoWindow) {
    const auto progressDelay = std::chrono::milliseconds(window == ShippedWindow ? 500 : 0);
    OffscreenWindow shown(packages.locations(), progressDelay);
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
  AppController controller(platform, packages.locations(), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  controller.selectAll();
  const auto start = std::chrono::steady_clock::now();
  controller.moveFiles();
  return secondsSince(start);
}

std::string inMemory() { return std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : ""; }

// range(0): the window, as in Window; range(1): the number of packages.
void BM_MoveWindowCost(benchmark::State &state) {
  const auto window = static_cast<Window>(state.range(0));
  const auto count = static_cast<std::size_t>(state.range(1));
  // The packages are laid out afresh for each move, in its own process.
  timeInFreshProcesses(
      state,
      [&] {
        const ManyPackages packages(count, false, inMemory());
        return timeMove(packages, window);
      },
      "the move did not run");
}
BENCHMARK(BM_MoveWindowCost)
    ->Args({NoWindow, 10000})
    ->Args({ShippedWindow, 10000})
    ->Args({ProgressFromTheStart, 10000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(11);

} // namespace
