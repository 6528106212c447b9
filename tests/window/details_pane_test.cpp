#include "app/app_controller.h"
#include "window/qt/category_table_model.h"
#include "window/qt/category_table_view.h"
#include "window/qt/details_pane.h"
#include "window/qt/details_presenter.h"
#include "window/qt/main_window.h"
#include "window/qt/picture_view.h"
#include "window/qt/qt_platform.h"
#include "window/qt/window_state.h"

#include "package_writer.h"
#include "sandbox.h"
#include "start_and_show.h"
#include "texture_writer.h"
#include "wait_for.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include <condition_variable>
#include <mutex>

namespace {

constexpr int kMaps = 2;
constexpr int kTextures = 7;
constexpr std::uint8_t kInt = 2, kObject = 5, kString = 13, kDxt1 = 3;

// A map called `title` whose screenshot, in the map, is 8 by 8 of one
// colour (RGB565).
std::string mapWithShot(const std::string &title, std::uint16_t colour) {
  PackageWriter writer;
  const std::string block = oneColourBlock(colour);
  const std::int32_t shot = writer.addExport(classImport(writer, "Texture"), "Shot",
                                             textureData(writer, kDxt1, {{8, 8, block + block + block + block}}));
  writer.addExport(classImport(writer, "LevelSummary"), "LevelSummary",
                   writer.property("Title", kString, latin1Value(title)) +
                       writer.property("Author", kString, latin1Value("Andr\xE9")) +
                       writer.property("IdealPlayerCountMin", kInt, wordValue(4)) +
                       writer.property("IdealPlayerCountMax", kInt, wordValue(6)) +
                       writer.property("Description", kString, latin1Value("Low gravity, long falls.")) +
                       writer.property("Screenshot", kObject, compactIndex(shot)) + writer.endOfProperties());
  return writer.bytes();
}

// The real window on a cache of three maps with titles and screenshots, a
// texture, a damaged download and a package cut short, driven by keys.
class DetailsPaneTest : public ::testing::Test {
protected:
  DetailsPaneTest() {
    sandbox.addInstallation("Games");
    sandbox.writeCachedFile("M0", mapWithShot("Zeta Station", 0xF800));
    sandbox.writeCachedFile("M1", mapWithShot("Alpha Deck", 0x07E0));
    sandbox.writeCachedFile("M2", mapWithShot("Middle Ground", 0x001F));
    sandbox.writeCachedFile("M3", "<html><body>404 Not Found</body></html>");
    sandbox.writeCachedFile("X0", PackageWriter().bytes());
    sandbox.writeCachedFile("X1", std::string("\xC1\x83\x2A\x9E", 4) + "cut");
    sandbox.writeIndex("[Cache]\nM0=DM-Zeta.ut2\nM1=DM-Alpha.ut2\nM2=CTF-Middle.ut2\nM3=DM-Broken.ut2\n"
                       "X0=Sky.utx\nX1=Cut.utx\n");
    startAndShow(window, platform, controller);
  }

  // Goes to the tab `category` and down to its row `row`, as a person does.
  void selectRow(int category, int row) {
    window.tabs()->setCurrentIndex(category);
    CategoryTableView *table = window.tableView(category);
    QTest::keyClick(table, Qt::Key_Home, Qt::ControlModifier);
    for (int step = 0; step < row; ++step)
      QTest::keyClick(table, Qt::Key_Down);
  }
  // Waits until the pane shows a picture or says there is none.
  bool previewSettled() {
    return waitUntil([this] {
      const PictureView *picture = window.detailsPane()->picture();
      return !picture->picture().isNull() || picture->text() == "No preview";
    });
  }
  QString field(DetailsPane::Field field) const {
    const QLabel *label = window.detailsPane()->field(field);
    return label->isVisibleTo(window.detailsPane()) ? label->text() : QString();
  }
  QStringList column(int column) const {
    QStringList cells;
    const QAbstractItemModel *model = window.tableView(kMaps)->model();
    for (int row = 0; row < model->rowCount(); ++row)
      cells << model->index(row, column).data().toString();
    return cells;
  }

  Sandbox sandbox;
  QtPlatform platform;
  AppController controller{platform, sandbox.locations(), nullptr, std::chrono::milliseconds(0)};
  MainWindow window{controller};
};

TEST_F(DetailsPaneTest, AMapShowsItsSummaryThenItsPreview) {
  selectRow(kMaps, 0);
  ASSERT_TRUE(previewSettled());
  const DetailsPane *pane = window.detailsPane();
  EXPECT_EQ(pane->heading()->text(), "Zeta Station");
  EXPECT_EQ(pane->byline()->text(), QString::fromUtf8("by Andr\u00E9 \u00B7 4 to 6 players"));
  EXPECT_EQ(pane->description()->text(), "Low gravity, long falls.");
  EXPECT_EQ(field(DetailsPane::RealName), "DM-Zeta.ut2");
  EXPECT_EQ(field(DetailsPane::CacheName), "M0");
  EXPECT_EQ(field(DetailsPane::State), "This file is not the package its index line names")
      << "its cache name is not its GUID";
  const QImage picture = pane->picture()->picture();
  ASSERT_EQ(picture.size(), QSize(8, 8));
  EXPECT_EQ(picture.pixelColor(3, 3), QColor(255, 0, 0));
  // The texts can be selected and copied, never edited.
  EXPECT_TRUE(pane->heading()->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_FALSE(pane->heading()->textInteractionFlags() & Qt::TextEditable);

  // Down to the next map: its own picture.
  QTest::keyClick(window.tableView(kMaps), Qt::Key_Down);
  ASSERT_TRUE(waitUntil([&] { return pane->picture()->picture().pixelColor(3, 3) == QColor(0, 255, 0); }));
  EXPECT_EQ(pane->heading()->text(), "Alpha Deck");
}

TEST_F(DetailsPaneTest, EveryOtherPackageShowsItsFilesAndItsState) {
  struct Case {
    int category, row;
    const char *realName, *state;
    bool map;
  };
  const Case cases[] = {
      {kMaps, 3, "DM-Broken.ut2", "Damaged download", true},
      {kTextures, 0, "Sky.utx", "This file is not the package its index line names", false},
      {kTextures, 1, "Cut.utx", "Cannot be read: it is too short for a package", false},
  };
  for (const Case &expected : cases) {
    selectRow(expected.category, expected.row);
    ASSERT_TRUE(waitUntil([&] { return field(DetailsPane::RealName) == expected.realName; })) << expected.realName;
    EXPECT_TRUE(field(DetailsPane::State).contains(expected.state))
        << expected.realName << ": " << field(DetailsPane::State).toStdString();
    // A map without a summary is headed by its file name.
    EXPECT_EQ(window.detailsPane()->heading()->isVisibleTo(window.detailsPane()), expected.map);
    if (expected.map) {
      EXPECT_EQ(window.detailsPane()->heading()->text(), expected.realName);
    }
    EXPECT_FALSE(field(DetailsPane::Size).isEmpty());
  }
  // The texture needs nothing; the damaged download is not read.
  selectRow(kTextures, 0);
  ASSERT_TRUE(waitUntil([&] { return field(DetailsPane::RealName) == "Sky.utx"; }));
  EXPECT_EQ(field(DetailsPane::Needs), "Needs nothing beyond itself");
  selectRow(kMaps, 3);
  ASSERT_TRUE(waitUntil([&] { return field(DetailsPane::RealName) == "DM-Broken.ut2"; }));
  EXPECT_EQ(field(DetailsPane::Needs), "");
  EXPECT_TRUE(previewSettled());
  EXPECT_EQ(window.detailsPane()->picture()->text(), "No preview");
  EXPECT_EQ(window.detailsPane()->picture()->toolTip(), "No preview: the download is damaged");
}

TEST_F(DetailsPaneTest, ADecodeNoLongerWantedIsNotShown) {
  // The first decode is held on its thread while the user goes down two
  // rows: the middle row is never decoded, and the first row's picture,
  // when it comes, is not shown.
  std::mutex mutex;
  std::condition_variable released;
  bool held = false, release = false;
  window.details()->decoder()->setBeforeDecode([&](const PreviewRequest &) {
    std::unique_lock lock(mutex);
    if (held)
      return;
    held = true;
    released.notify_all();
    released.wait(lock, [&] { return release; });
  });
  selectRow(kMaps, 0);
  ASSERT_TRUE(waitUntil([&] {
    const std::lock_guard lock(mutex);
    return held;
  }));
  QTest::keyClick(window.tableView(kMaps), Qt::Key_Down);
  settleEvents();
  QTest::keyClick(window.tableView(kMaps), Qt::Key_Down);
  settleEvents();
  {
    const std::lock_guard lock(mutex);
    release = true;
  }
  released.notify_all();
  const PictureView *picture = window.detailsPane()->picture();
  ASSERT_TRUE(waitUntil([&] { return picture->picture().pixelColor(3, 3) == QColor(0, 0, 255); }));
  EXPECT_EQ(window.details()->decoder()->decodes(), 2u);

  // Back up to the first row: its picture was kept, not decoded again.
  QTest::keyClick(window.tableView(kMaps), Qt::Key_Home, Qt::ControlModifier);
  ASSERT_TRUE(waitUntil([&] { return picture->picture().pixelColor(3, 3) == QColor(255, 0, 0); }));
  EXPECT_EQ(window.details()->decoder()->decodes(), 2u);
}

TEST_F(DetailsPaneTest, TheTitleColumnSortsAndFilters) {
  window.startReadingPackages();
  ASSERT_TRUE(waitUntil([&] {
    const AppController::ReadingState state = controller.packageReading();
    return state.total > 0 && state.done == state.total;
  }));
  window.tabs()->setCurrentIndex(kMaps);
  CategoryTableView *table = window.tableView(kMaps);
  QHeaderView *header = table->horizontalHeader();
  EXPECT_EQ(header->visualIndex(CategoryTableModel::TitleColumn), CategoryTableModel::UtNameColumn + 1);
  EXPECT_FALSE(table->isColumnHidden(CategoryTableModel::TitleColumn));
  EXPECT_TRUE(window.tableView(kTextures)->isColumnHidden(CategoryTableModel::TitleColumn));
  EXPECT_EQ(column(CategoryTableModel::TitleColumn), (QStringList{"Zeta Station", "Alpha Deck", "Middle Ground", ""}));

  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(header->sectionViewportPosition(CategoryTableModel::TitleColumn) + 4, header->height() / 2));
  EXPECT_EQ(column(CategoryTableModel::UtNameColumn),
            (QStringList{"DM-Alpha.ut2", "CTF-Middle.ut2", "DM-Zeta.ut2", "DM-Broken.ut2"}));

  window.filter()->setFocus();
  QTest::keyClicks(window.filter(), "station");
  EXPECT_EQ(column(CategoryTableModel::UtNameColumn), QStringList{"DM-Zeta.ut2"});
}

TEST_F(DetailsPaneTest, ThePanesSizeAndHidingAreRemembered) {
  QTemporaryDir folder;
  const QString path = folder.filePath("settings.ini");
  // The first start shows the maps; the tab shown last is shown after.
  {
    MainWindow first(controller);
    QSettings none(folder.filePath("none.ini"), QSettings::IniFormat);
    restoreWindowState(first, &none);
    EXPECT_EQ(first.tabs()->currentIndex(), kMaps);
    EXPECT_FALSE(first.copiesIntoCategoryFolders());
    first.tabs()->setCurrentIndex(kTextures);
    first.setCopiesIntoCategoryFolders(true);
    saveWindowState(first, &none);
    MainWindow second(controller);
    restoreWindowState(second, &none);
    EXPECT_EQ(second.tabs()->currentIndex(), kTextures);
    EXPECT_TRUE(second.copiesIntoCategoryFolders()) << "Sort into category folders is remembered";
  }
  // The user drags the pane 100 pixels narrower.
  QSplitter *splitter = window.splitter();
  const int before = splitter->sizes().value(1);
  QWidget *handle = splitter->handle(1);
  const QPoint grip = handle->rect().center();
  QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, grip);
  QTest::mouseMove(handle, grip + QPoint(100, 0));
  QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, grip + QPoint(100, 0));
  const QList<int> sizes = splitter->sizes();
  ASSERT_EQ(sizes.value(1), before - 100);
  EXPECT_EQ(window.detailsWidth(), before - 100);
  {
    QSettings store(path, QSettings::IniFormat);
    saveWindowState(window, &store);
  }
  // F9 hides the pane, and the hiding is kept too.
  QTest::keyClick(window.tableView(kMaps), Qt::Key_F9);
  EXPECT_FALSE(window.detailsPane()->isVisible());
  EXPECT_FALSE(window.detailsAction()->isChecked());
  {
    MainWindow other(controller);
    QSettings store(path, QSettings::IniFormat);
    restoreWindowState(other, &store);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    EXPECT_TRUE(other.detailsPane()->isVisible());
    EXPECT_EQ(other.splitter()->sizes().value(1), sizes.value(1));
  }
  {
    QSettings store(path, QSettings::IniFormat);
    saveWindowState(window, &store);
  }
  MainWindow other(controller);
  QSettings store(path, QSettings::IniFormat);
  restoreWindowState(other, &store);
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  EXPECT_FALSE(other.detailsPane()->isVisible());
  EXPECT_FALSE(other.detailsAction()->isChecked());
  // F9 brings it back.
  QTest::keyClick(other.tableView(kMaps), Qt::Key_F9);
  EXPECT_TRUE(other.detailsPane()->isVisible());
  EXPECT_GT(other.splitter()->sizes().value(1), 0);
}

} // namespace
