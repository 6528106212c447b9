// Start-up to a shown window: a fresh process creates the application, runs
// the program's start-up on a sandbox (offscreen) and quits as soon as the
// event loop runs, that is once the window is shown.
#include "bench_inputs.h"

#include "window/qt/application_main.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void startAndQuit(const Locations &locations) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The chosen folders are read from the benchmark's own folder.
  ::setenv("XDG_CONFIG_HOME", (locations.homeFolder + "/.config").c_str(), 1);
  int argc = 1;
  char name[] = "cache-sorter";
  char *argv[] = {name, nullptr};
  QApplication application(argc, argv);
  QTimer::singleShot(0, &application, &QCoreApplication::quit);
  ::_exit(runCacheSorter(locations));
}

void BM_StartupToShownWindow(benchmark::State &state) {
  const IndexedCache cache(static_cast<std::size_t>(state.range(0)));
  const Locations locations = cache.locations();

  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0)
      startAndQuit(locations);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      state.SkipWithError("the program did not start");
    state.SetIterationTime(elapsed.count());
  }
}
BENCHMARK(BM_StartupToShownWindow)
    ->Arg(0)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

} // namespace
