// What the window adds to a move of many small packages: the same move with
// and without it, each in a fresh process of its own. The packages lie in
// memory (/dev/shm) where the machine has it, so that the disk's moods do not
// drown what the window costs; the move's own work is then as small as it
// gets, and the window's share as large. So that the share counts painting,
// the progress shows from the first package on rather than after half a
// second.
#include "bench_inputs.h"

#include "app/app_controller.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

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
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "cache-sorter";
  char *argv[] = {name, nullptr};
  QApplication application(argc, argv);
  if (withWindow) {
    QtPlatform platform(std::chrono::milliseconds(0));
    AppController controller(platform, packages.locations(), std::chrono::milliseconds(0));
    MainWindow window(controller);
    window.connectOutlets();
    window.connectPlatform(platform);
    controller.awakeFromNib();
    window.reloadAllTables();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
      return -1;
    controller.selectAll();
    const auto start = std::chrono::steady_clock::now();
    window.moveConfirmed();
    QCoreApplication::processEvents();
    return secondsSince(start);
  }
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
