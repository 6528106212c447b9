// Round trips driven by keys: keeping the game's downloads for good and back.
#include "app/app_controller.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"

#include "sandbox.h"
#include "start_and_show.h"
#include "wait_for.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <filesystem>

namespace {

// The Linux client's layout, its settings written by the game on Windows.
struct LinuxGame {
  LinuxGame() {
    std::filesystem::remove_all(sandbox.volumes());
    for (const char *folder : {"System", "Maps", "Textures"})
      makeFolders(game + "/" + folder);
    makeFolders(own + "/System");
    makeFolders(own + "/Cache");
    writeFile(ini, settings);
    writeFile(own + "/Cache/cache.ini", "[Cache]\nM1=DM-One.ut2\n");
    writeFile(own + "/Cache/M1.uxx", "bytes of M1");
  }
  Sandbox sandbox;
  const std::string game = sandbox.root() + "/usr/local/games/ut2004";
  const std::string own = sandbox.home() + "/.ut2004";
  const std::string ini = own + "/System/UT2004.ini";
  const std::string settings = "[Core.System]\r\nPurgeCacheDays=30\r\nPaths=../Maps/*.ut2\r\n[Other]\r\nA=1\r\n";
};

// Chooses Edit > Keep Downloads for Good by its access keys.
void chooseKeepDownloads(MainWindow &window) {
  ASSERT_TRUE(waitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
  // The offscreen platform leaves the menu that closed the active window,
  // where a window manager gives the main window back.
  QApplication::setActiveWindow(&window);
  QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
  auto *edit = qobject_cast<QMenu *>(QApplication::activePopupWidget());
  ASSERT_NE(edit, nullptr) << "Alt+E opens no menu";
  QTest::keyClick(edit, Qt::Key_K);
  ASSERT_TRUE(waitUntil([edit] { return !edit->isVisible(); }));
  settleEvents();
}

TEST(RoundTripsWindow, KeepsDownloadsForGoodAndBackByKeys) {
  const LinuxGame layout;
  QtPlatform platform;
  AppController controller{platform, layout.sandbox.locations()};
  MainWindow window{controller};
  startAndShow(window, platform, controller);
  const QString purging = QStringLiteral("The game deletes downloads older than 30 days");
  ASSERT_TRUE(waitUntil([&] { return window.purging()->text() == purging; }));
  EXPECT_TRUE(window.purging()->isVisible());

  chooseKeepDownloads(window);
  ASSERT_TRUE(waitUntil([&] { return !window.purging()->isVisible(); }));
  EXPECT_EQ(readFile(layout.ini), "[Core.System]\r\nPurgeCacheDays=0\r\nPaths=../Maps/*.ut2\r\n[Other]\r\nA=1\r\n");
  EXPECT_EQ(window.reportLabel()->text(), QStringLiteral("The game now keeps downloads for good"));

  chooseKeepDownloads(window);
  ASSERT_TRUE(waitUntil([&] { return window.purging()->isVisible(); }));
  EXPECT_EQ(readFile(layout.ini), layout.settings);
  EXPECT_EQ(window.reportLabel()->text(), purging);
}

} // namespace
