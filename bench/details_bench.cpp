// From selecting a map row to the details pane showing it: its texts, and
// its decoded preview, a DXT1 screenshot of 512 pixels a side in a map of
// 20 MB. Each repetition is a fresh process with the window shown
// offscreen.
#include "bench_inputs.h"

#include "offscreen_window.h"
#include "package_writer.h"
#include "texture_writer.h"
#include "window/qt/category_table_view.h"
#include "window/qt/details_pane.h"
#include "window/qt/picture_view.h"

#include <benchmark/benchmark.h>

#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

enum Shown { Texts, Preview };

constexpr std::size_t kMapBytes = 20 * 1024 * 1024;
constexpr std::uint32_t kShotSide = 512;
constexpr const char *kTitle = "Big Deck";

// A map of 20 MB whose summary's screenshot is a DXT1 texture of one mip,
// 512 by 512 of blocks of any colours, its other objects one large one.
std::string bigMap() {
  PackageWriter writer;
  std::mt19937 random(2004);
  std::string pixels(std::size_t{kShotSide / 4} * (kShotSide / 4) * 8, '\0');
  for (char &byte : pixels)
    byte = static_cast<char>(random() & 0xFF);
  const std::int32_t shot = writer.addExport(classImport(writer, "Texture"), "Shot",
                                             textureData(writer, 3, {{kShotSide, kShotSide, pixels}}));
  writer.addExport(classImport(writer, "LevelSummary"), "LevelSummary",
                   writer.property("Title", 13, latin1Value(kTitle)) +
                       writer.property("Screenshot", 5, compactIndex(shot)) + writer.endOfProperties());
  writer.addExport(classImport(writer, "StaticMesh"), "Terrain", std::string(kMapBytes, 'm'));
  return writer.bytes();
}

// A small map first, then the big one, written once for the run.
class BigMapCache {
public:
  BigMapCache() {
    const std::string cache = folder_.path("home/Library/Application Support/Unreal Tournament 2004/Cache");
    std::filesystem::create_directories(cache);
    std::filesystem::create_directories(folder_.path("Volumes/Games/Applications/Unreal Tournament 2004.app/Maps"));
    writeWholeFile(cache + "/cache.ini", "[Cache]\nSMALL=DM-Small.ut2\nBIG=DM-Big.ut2\n");
    writeWholeFile(cache + "/SMALL.uxx", PackageWriter().bytes());
    writeWholeFile(cache + "/BIG.uxx", bigMap());
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

// Handles events until `done` holds; false after 10 s.
bool spinUntil(const std::function<bool()> &done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return true;
}

// The seconds from Down on the small map's row to the pane showing `shown`
// of the big one; -1 when it never did.
double timeDetails(const Locations &locations, Shown shown) {
  OffscreenWindow started(locations, std::chrono::milliseconds(500));
  if (!started.shown())
    return -1;
  MainWindow &window = started.window();
  window.tabs()->setCurrentIndex(2);
  CategoryTableView *table = window.tableView(2);
  const DetailsPane *pane = window.detailsPane();
  if (!spinUntil([&] { return pane->heading()->text() == "DM-Small.ut2"; }))
    return -1;
  QTest::qWait(50);

  const auto start = std::chrono::steady_clock::now();
  QTest::keyClick(table, Qt::Key_Down);
  const bool done = spinUntil([&] {
    return shown == Texts ? pane->heading()->text() == kTitle
                          : pane->picture()->picture().width() == static_cast<int>(kShotSide);
  });
  window.repaint();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return done ? seconds : -1;
}

void BM_DetailsPane(benchmark::State &state) {
  static const BigMapCache cache;
  const auto shown = static_cast<Shown>(state.range(0));
  timeInFreshProcesses(
      state, [&] { return timeDetails(cache.locations(), shown); }, "the pane did not show the map");
}
BENCHMARK(BM_DetailsPane)
    ->Arg(Texts)
    ->Arg(Preview)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

} // namespace
