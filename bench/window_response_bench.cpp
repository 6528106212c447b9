// How quickly the window answers on a cache of 100,000 entries: a keystroke
// in the filter, Tick All and Untick All, each to the repainted view. Each
// repetition is a fresh process with the window shown offscreen.
#include "bench_inputs.h"

#include "offscreen_window.h"

#include <benchmark/benchmark.h>

#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <unistd.h>

namespace {

enum Response { FilterKeystroke, TickAll, UntickAll };

// The seconds from the input to the repainted window; -1 when the window
// did not show.
double timeResponse(const Locations &locations, Response response) {
  OffscreenWindow shown(locations, std::chrono::milliseconds(500));
  if (!shown.shown())
    return -1;
  MainWindow &window = shown.window();
  window.tabs()->setCurrentIndex(2);
  if (response == UntickAll)
    shown.controller().selectAll();
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
  const IndexedCache cache(static_cast<std::size_t>(state.range(1)));
  const auto response = static_cast<Response>(state.range(0));
  timeInFreshProcesses(
      state, [&] { return timeResponse(cache.locations(), response); }, "the window did not answer");
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
