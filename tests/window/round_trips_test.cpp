// Round trips driven by keys: keeping the game's downloads for good and back,
// and installing a map pack.
#include "app/app_controller.h"
#include "window/move_texts.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"
#include "window/qt/question_dialog.h"

#include "archive_writer.h"
#include "sandbox.h"
#include "start_and_show.h"
#include "wait_for.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
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

// Ctrl+I, the archive's path typed, and the question answered with Return:
// the new texture goes in, the different map stays as the player had it.
TEST(RoundTripsWindow, InstallsAMapPackByKeysAndKeepsTheDifferentMap) {
  const LinuxGame layout;
  writeFile(layout.game + "/Maps/DM-One.ut2", "the player's DM-One");
  const std::string archive = layout.sandbox.root() + "/pack.zip";
  ASSERT_TRUE(writeArchive(archive, ArchiveFormat::Zip,
                           {{"Pack/Maps/DM-One.ut2", "the pack's DM-One"}, {"Pack/Textures/Sky.utx", "sky"}}));
  QtPlatform platform;
  AppController controller{platform, layout.sandbox.locations()};
  MainWindow window{controller};
  startAndShow(window, platform, controller);

  QString question, questionReplacing;
  bool keepTicked = false;
  whenShown(
      &window, [] { return qobject_cast<QFileDialog *>(QApplication::activeModalWidget()); },
      [&](QWidget &shown) {
        auto &dialog = static_cast<QFileDialog &>(shown);
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        auto *model = dialog.findChild<QFileSystemModel *>();
        waitUntil([&] {
          const QModelIndex listed = model ? model->index(dialog.directory().absolutePath()) : QModelIndex();
          return !model || (listed.isValid() && !model->canFetchMore(listed));
        });
        settleEvents();
        QTest::keyClicks(name, QString::fromStdString(archive));
        whenShown(
            &window, [] { return qobject_cast<QuestionDialog *>(QApplication::activeModalWidget()); },
            [&](QWidget &asked) {
              auto &box = static_cast<QuestionDialog &>(asked);
              question = box.question();
              QCheckBox *keep = box.choice(QString::fromUtf8(kKeepDifferentText));
              keepTicked = keep && keep->isChecked();
              ASSERT_NE(keep, nullptr);
              // Unticked and ticked again: the headline follows.
              QTest::keyClick(keep, Qt::Key_Space);
              questionReplacing = box.question();
              QTest::keyClick(keep, Qt::Key_Space);
              QTest::keyClick(&box, Qt::Key_Return);
            });
        QTest::keyClick(name, Qt::Key_Return);
      });
  QTest::keyClick(&window, Qt::Key_I, Qt::ControlModifier);
  ASSERT_TRUE(waitUntil([&] { return exists(layout.game + "/Textures/Sky.utx"); }));
  EXPECT_EQ(question, QStringLiteral("Install 1 file from pack.zip into the game?")) << "the kept map is not counted";
  EXPECT_EQ(questionReplacing, QStringLiteral("Install 2 files from pack.zip into the game?"));
  EXPECT_TRUE(keepTicked) << "a different file is kept unless the player says otherwise";
  EXPECT_EQ(readFile(layout.game + "/Textures/Sky.utx"), "sky");
  EXPECT_EQ(readFile(layout.game + "/Maps/DM-One.ut2"), "the player's DM-One");
  ASSERT_TRUE(waitUntil([&] { return window.reportLabel()->text() == "Installed 1 file; 1 not installed"; }));
}

} // namespace
