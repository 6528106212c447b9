// How quickly the window answers on a cache of 100,000 entries: a keystroke
// in the filter, Tick All and Untick All, each to the repainted view. Each
// repetition is a fresh process with the window shown offscreen.
#include "bench_inputs.h"

#include "app/app_controller.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace {

enum Response { FilterKeystroke, TickAll, UntickAll };

const char *const kCache = "home/Library/Application Support/Unreal Tournament 2004/Cache";
const char *const kBundle = "Volumes/Games/Applications/Unreal Tournament 2004.app/Maps";

// The seconds from the input to the repainted window; -1 when the window
// did not show.
double timeResponse(const Locations &locations, Response response) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "cache-sorter";
  char *argv[] = {name, nullptr};
  QApplication application(argc, argv);
  QtPlatform platform;
  AppController controller(platform, locations, std::chrono::milliseconds(0));
  MainWindow window(controller);
  window.connectOutlets();
  window.connectPlatform(platform);
  controller.awakeFromNib();
  window.reloadAllTables();
  window.show();
  if (!QTest::qWaitForWindowExposed(&window))
    return -1;
  window.tabs()->setCurrentIndex(2);
  if (response == UntickAll)
    controller.selectAll();
  QTest::qWait(50);

  const auto start = std::chrono::steady_clock::now();
  switch (response) {
  case FilterKeystroke:
    QTest::keyClick(window.filter(), Qt::Key_7);
    break;
  case TickAll:
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    break;
  case UntickAll:
    QTest::keyClick(&window, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    break;
  }
  window.repaint();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// range(0): the response measured; range(1): the number of entries.
void BM_WindowResponse(benchmark::State &state) {
  const BenchFolder folder;
  std::filesystem::create_directories(folder.path(kCache));
  std::filesystem::create_directories(folder.path(kBundle));
  writeWholeFile(folder.path(kCache) + "/cache.ini", generateIndex(static_cast<std::size_t>(state.range(1))));
  const Locations locations{folder.path("home"), folder.path("Volumes")};
  const auto response = static_cast<Response>(state.range(0));

  for (auto _ : state) {
    const double seconds = measureInFreshProcess([&] { return timeResponse(locations, response); });
    if (seconds < 0) {
      state.SkipWithError("the window did not answer");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_WindowResponse)
    ->Args({FilterKeystroke, 100000})
    ->Args({TickAll, 100000})
    ->Args({UntickAll, 100000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

} // namespace
