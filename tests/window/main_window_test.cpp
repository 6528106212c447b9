#include "app/app_controller.h"
#include "window/qt/category_table_model.h"
#include "window/qt/category_table_view.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"

#include "sandbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTest>

namespace {

constexpr int kMaps = 2;
constexpr int kTextures = 7;

std::vector<int> ticks(const std::vector<CacheEntry> &list) {
  std::vector<int> selected;
  for (const CacheEntry &entry : list)
    selected.push_back(entry.selected);
  return selected;
}

// The real window and controller on a sandbox, shown on the offscreen
// platform.
class MainWindowTest : public ::testing::Test {
protected:
  MainWindowTest() {
    sandbox.addInstallation("Games");
    sandbox.writeIndex("[Cache]\nM0=DM-0.ut2\nM1=DM-1.ut2\nM2=DM-2.ut2\nM3=DM-3.ut2\nM4=DM-4.ut2\n"
                       "X0=Sky.utx\nX1=Sand.utx\nU0=Caf\xC3\xA9.u\nU1=Caf\xE9.u\n");
    window.connectOutlets();
    platform.setWindow(&window);
    controller.awakeFromNib();
    window.reloadAllTables();
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  CategoryTableView *table(int category) { return window.tableView(category); }

  void clickTick(int category, int row) {
    CategoryTableView *view = table(category);
    const QModelIndex tick = view->model()->index(row, CategoryTableModel::TickColumn);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(tick);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
  }

  void press(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  }

  Sandbox sandbox;
  QtPlatform platform;
  AppController controller{platform, sandbox.locations()};
  MainWindow window{controller};
};

TEST_F(MainWindowTest, ShowsEveryCategoryWithItsCount) {
  EXPECT_EQ(window.windowTitle(), "Cache Sorter");
  const QStringList expected = {"Animations (0)", "KarmaData (0)",    "Maps (5)",   "Music (0)",
                                "Sounds (0)",     "StaticMeshes (0)", "System (2)", "Textures (2)"};
  for (int tab = 0; tab < 8; ++tab)
    EXPECT_EQ(window.tabs()->tabText(tab), expected[tab]);

  QAbstractItemModel *system = table(6)->model();
  EXPECT_EQ(system->headerData(0, Qt::Horizontal).toString(), "");
  EXPECT_EQ(system->headerData(1, Qt::Horizontal).toString(), "UT Name");
  EXPECT_EQ(system->headerData(2, Qt::Horizontal).toString(), "Cache Name");
  EXPECT_EQ(system->index(0, 1).data().toString(), QString::fromUtf8("Caf\xC3\xA9.u"));
  EXPECT_EQ(system->index(1, 1).data().toString(), QString::fromUtf8("Caf\xC3\xA9.u")) << "Latin-1 fallback";
  EXPECT_FALSE(system->index(0, 0).data(Qt::DisplayRole).isValid()) << "the tick column shows no digits";
  EXPECT_EQ(controller.system[1].utName, "Caf\xE9.u") << "the bytes stay as read";
}

TEST_F(MainWindowTest, TicksWithMouseSpaceAndShortcuts) {
  QWidget *tabs = window.tabs();
  table(0)->setFocus();
  press(table(0), Qt::Key_PageDown, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
  ASSERT_EQ(window.tabs()->currentIndex(), kMaps);
  ASSERT_EQ(QApplication::focusWidget(), table(kMaps));

  clickTick(kMaps, 3);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 0, 1, 0}));
  EXPECT_EQ(table(kMaps)->model()->index(3, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);

  table(kMaps)->setCurrentIndex(table(kMaps)->model()->index(1, CategoryTableModel::UtNameColumn));
  press(table(kMaps), Qt::Key_Space);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 1, 0, 1, 0}));
  press(table(kMaps), Qt::Key_Down);
  press(table(kMaps), Qt::Key_Space);
  press(table(kMaps), Qt::Key_Space);
  press(table(kMaps), Qt::Key_Space);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 1, 1, 1, 0})) << "the current row stays after a tick";

  press(table(kMaps), Qt::Key_PageUp, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  ASSERT_EQ(window.tabs()->currentIndex(), kTextures) << "previous tab wraps around";
  press(table(kTextures), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(window.tabs()->currentIndex(), 0) << "Ctrl+Tab keeps working";
  press(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  ASSERT_EQ(window.tabs()->currentIndex(), kTextures);
  press(table(kTextures), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(ticks(controller.textures), (std::vector<int>{1, 1}));
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 1, 1, 1, 0}));
  EXPECT_EQ(ticks(controller.system), (std::vector<int>{0, 0}));

  press(table(kTextures), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{1, 1, 1, 1, 1}));
  EXPECT_EQ(ticks(controller.system), (std::vector<int>{1, 1}));
  EXPECT_EQ(table(6)->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (5)");
  EXPECT_TRUE(tabs->isVisible());
}

TEST_F(MainWindowTest, MovesTheTickedFilesAndShowsTheNewState) {
  sandbox.writeCachedFile("M1", "map one");
  sandbox.writeCachedFile("X1", "sand");
  const std::string bundle = sandbox.volumes() + "/Games/Applications/Unreal Tournament 2004.app";

  window.tabs()->setCurrentIndex(kMaps);
  clickTick(kMaps, 1);
  table(kMaps)->setFocus();
  press(table(kMaps), Qt::Key_PageUp, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  ASSERT_EQ(window.tabs()->currentIndex(), kTextures);
  table(kTextures)->setCurrentIndex(table(kTextures)->model()->index(1, CategoryTableModel::UtNameColumn));
  press(table(kTextures), Qt::Key_Space);

  QElapsedTimer timer;
  timer.start();
  press(table(kTextures), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_GE(timer.elapsed(), 1000) << "the index is read again a second after it is written";

  EXPECT_EQ(readFile(bundle + "/Maps/DM-1.ut2"), "map one");
  EXPECT_EQ(readFile(bundle + "/Textures/Sand.utx"), "sand");
  EXPECT_FALSE(exists(sandbox.cachedFile("M1")));
  EXPECT_FALSE(exists(sandbox.cachedFile("X1")));
  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nM0=DM-0.ut2\nM2=DM-2.ut2\nM3=DM-3.ut2\nM4=DM-4.ut2\n"
                                           "U0=Caf\xC3\xA9.u\nU1=Caf\xE9.u\nX0=Sky.utx\n");
  EXPECT_EQ(window.tabs()->currentIndex(), kTextures) << "the shown tab stays";
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (4)");
  EXPECT_EQ(window.tabs()->tabText(kTextures), "Textures (1)");
  QAbstractItemModel *maps = table(kMaps)->model();
  ASSERT_EQ(maps->rowCount(), 4);
  EXPECT_EQ(maps->index(1, CategoryTableModel::UtNameColumn).data().toString(), "DM-2.ut2");
  EXPECT_EQ(maps->index(1, CategoryTableModel::TickColumn).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_EQ(table(kTextures)->model()->index(0, CategoryTableModel::UtNameColumn).data().toString(), "Sky.utx");
}

} // namespace

int main(int argc, char **argv) {
  // In-process window tests never need a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
