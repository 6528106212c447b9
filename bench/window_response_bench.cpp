// How quickly the window answers on a cache of 100,000 entries: a keystroke
// in the filter, Tick All and Untick All, each to the repainted view, a
// keystroke while the packages are read in the background, and a state
// chosen in the Show menu: the ticked (all of them), and the missing, which
// looks at every cached file once. Each repetition
// is a fresh process with the window shown offscreen.
#include "bench_inputs.h"

#include "offscreen_window.h"
#include "package_writer.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace {

enum Response { FilterKeystroke, TickAll, UntickAll, FilterWhileReading, ShowTicked, ShowMissing };

// The index of IndexedCache with a small package for every line, each of
// which needs three others: what the background reading reads. Written
// once for the run.
class ReadableCache {
public:
  explicit ReadableCache(std::size_t entries) {
    const std::string cache = folder_.path("home/Library/Application Support/Unreal Tournament 2004/Cache");
    std::filesystem::create_directories(cache);
    std::filesystem::create_directories(folder_.path("Volumes/Games/Applications/Unreal Tournament 2004.app/Maps"));
    const std::string index = generateIndex(entries);
    writeWholeFile(cache + "/cache.ini", index);
    PackageWriter writer;
    for (const char *name : {"Engine", "Core", "MapTextures"})
      writer.needs(name);
    const std::string package = writer.bytes();
    for (std::size_t line = 0, end; (end = index.find('\n', line)) != std::string::npos; line = end + 1) {
      const std::size_t equals = index.find('=', line);
      if (equals < end && index.compare(line, 1, "[") != 0)
        writeWholeFile(cache + "/" + index.substr(line, equals - line) + ".uxx", package);
    }
    ::sync();
  }
  Locations locations() const {
    return {folder_.path("home"), folder_.path("Volumes"),
            folder_.path("."),    folder_.path("home/.local/share"),
            folder_.path("proc"), ""};
  }

private:
  BenchFolder folder_;
};

const ReadableCache &readableCache() {
  static const ReadableCache cache(100000);
  return cache;
}

// The seconds from the input to the repainted window; -1 when the window
// did not show.
double timeResponse(const Locations &locations, Response response) {
  OffscreenWindow shown(locations, std::chrono::milliseconds(500));
  if (!shown.shown())
    return -1;
  MainWindow &window = shown.window();
  window.tabs()->setCurrentIndex(2);
  if (response == UntickAll || response == ShowTicked)
    shown.controller().selectAll();
  if (response == FilterWhileReading) {
    window.startReadingPackages();
    if (!QTest::qWaitFor([&] { return shown.controller().packageReading().done > 0; }, 10000))
      return -1;
  }
  QTest::qWait(50);

  const auto start = std::chrono::steady_clock::now();
  switch (response) {
  case FilterKeystroke:
  case FilterWhileReading:
    QTest::keyClick(window.filter(), Qt::Key_7);
    break;
  case TickAll:
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    break;
  case UntickAll:
    QTest::keyClick(&window, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    break;
  case ShowTicked:
  case ShowMissing:
    window.stateMenu()->setCurrentIndex(
        window.stateMenu()->findText(response == ShowTicked ? QStringLiteral("Ticked") : QStringLiteral("Missing")));
    break;
  }
  window.repaint();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // A reading that ended before the keystroke measured nothing of it.
  if (response == FilterWhileReading) {
    const AppController::ReadingState reading = shown.controller().packageReading();
    if (reading.done == reading.total)
      return -1;
  }
  return seconds;
}

// range(0): the response measured; range(1): the number of entries.
void BM_WindowResponse(benchmark::State &state) {
  const auto response = static_cast<Response>(state.range(0));
  if (response == FilterWhileReading) {
    const Locations locations = readableCache().locations();
    timeInFreshProcesses(
        state, [&] { return timeResponse(locations, response); }, "the window did not answer while reading");
    return;
  }
  const IndexedCache cache(static_cast<std::size_t>(state.range(1)));
  timeInFreshProcesses(
      state, [&] { return timeResponse(cache.locations(), response); }, "the window did not answer");
}
BENCHMARK(BM_WindowResponse)
    ->Args({FilterKeystroke, 100000})
    ->Args({TickAll, 100000})
    ->Args({UntickAll, 100000})
    ->Args({FilterWhileReading, 100000})
    ->Args({ShowTicked, 100000})
    ->Args({ShowMissing, 100000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

} // namespace
