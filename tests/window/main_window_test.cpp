#include "app/app_controller.h"
#include "window/qt/category_table_model.h"
#include "window/qt/category_table_view.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"

#include "memory_choice_store.h"
#include "package_writer.h"
#include "posix/file_descriptor.h"
#include "relocation/uz2_writer.h"
#include "sandbox.h"
#include "start_and_show.h"
#include "wait_for.h"
#include "window/move_texts.h"
#include "window/qt/elided_label.h"
#include "window/qt/empty_cache_page.h"
#include "window/qt/program_settings.h"
#include "window/qt/question_dialog.h"
#include "window/qt/settings_choice_store.h"
#include "window/qt/single_instance.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr int kMaps = 2;
constexpr int kTextures = 7;

// A sound download: the package signature, then `body`.
std::string package(std::string_view body) { return std::string("\xC1\x83\x2A\x9E", 4) + std::string(body); }

std::vector<int> ticks(const std::vector<CacheEntry> &list) {
  std::vector<int> selected;
  for (const CacheEntry &entry : list)
    selected.push_back(entry.selected);
  return selected;
}

// The index of `count` maps "<prefix><n>=DM-<prefix><n>.ut2"; `lay` writes
// the files of each, given its cache name and number.
std::string mapsIndex(int count, const char *prefix, const std::function<void(const std::string &, int)> &lay) {
  std::string index = "[Cache]\n";
  for (int map = 0; map < count; ++map) {
    const std::string name = prefix + std::to_string(map);
    index += name + "=DM-" + name + ".ut2\n";
    lay(name, map);
  }
  return index;
}

// The real window and controller on a sandbox, shown on the offscreen
// platform.
class MainWindowTest : public ::testing::Test {
protected:
  MainWindowTest() {
    sandbox.addInstallation("Games");
    sandbox.writeIndex("[Cache]\nM0=DM-0.ut2\nM1=DM-1.ut2\nM2=DM-2.ut2\nM3=DM-3.ut2\nM4=DM-4.ut2\n"
                       "X0=Sky.utx\nX1=Sand.utx\nU0=Caf\xC3\xA9.u\nU1=Caf\xE9.u\n");
    startAndShow(window, platform, controller);
  }

  CategoryTableView *table(int category) { return window.tableView(category); }

  // DM-0 in the game with the same bytes as its cached file, DM-1 in
  // another version.
  void layMapsInTheGame() {
    const std::string bundle = sandbox.volumes() + "/Games/Applications/Unreal Tournament 2004.app";
    sandbox.writeCachedFile("M0", package("same map"));
    writeFile(bundle + "/Maps/DM-0.ut2", package("same map"));
    sandbox.writeCachedFile("M1", package("newer map"));
    writeFile(bundle + "/Maps/DM-1.ut2", "the older map");
  }

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

  // How a person answers one dialog: a message box, a question, or either.
  class Answer {
  public:
    template <typename OnBox>
    requires std::is_invocable_v<OnBox, QMessageBox &> Answer(OnBox onBox)
        : run_(as<QMessageBox>(std::function<void(QMessageBox &)>(std::move(onBox)))) {}
    template <typename OnQuestion>
    requires std::is_invocable_v<OnQuestion, QuestionDialog &> Answer(OnQuestion onQuestion)
        : run_(as<QuestionDialog>(std::function<void(QuestionDialog &)>(std::move(onQuestion)))) {}
    static Answer any(std::function<void(QDialog &)> onDialog) { return Answer(std::move(onDialog), 0); }
    void operator()(QDialog &dialog) const { run_(dialog); }

  private:
    Answer(std::function<void(QDialog &)> run, int) : run_(std::move(run)) {}
    template <typename Dialog> static std::function<void(QDialog &)> as(std::function<void(Dialog &)> answer) {
      return [answer](QDialog &dialog) {
        if (auto *expected = qobject_cast<Dialog *>(&dialog))
          return answer(*expected);
        ADD_FAILURE() << "another kind of dialog came up: " << dialog.windowTitle().toStdString();
        dialog.reject();
      };
    }
    std::function<void(QDialog &)> run_;
  };
  // Answers the dialogs that come up while a command runs, in order, as a
  // person would; each answer must close its dialog. The progress is not
  // one of them.
  void answerMessageBoxes(std::vector<Answer> answers) {
    auto remaining = std::make_shared<std::deque<Answer>>(answers.begin(), answers.end());
    auto answered = std::make_shared<QPointer<QDialog>>();
    auto *timer = new QTimer(&window);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, remaining, answered] {
      auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      if (!box || qobject_cast<QProgressDialog *>(box) || box == *answered || remaining->empty())
        return;
      *answered = box;
      const Answer answer = remaining->front();
      remaining->pop_front();
      answer(*box);
      if (remaining->empty())
        timer->deleteLater();
    });
    timer->start();
    unanswered_ = remaining;
  }
  bool allAnswered() const { return !unanswered_ || unanswered_->empty(); }

  static Answer pressing(int key) {
    return Answer::any([key](QDialog &dialog) { QTest::keyClick(&dialog, static_cast<Qt::Key>(key)); });
  }

  // Types `folder` into the folder dialog and presses Return, as a person
  // who knows where the copies go.
  static Answer typingFolder(const std::string &folder) {
    return Answer::any([folder](QDialog &dialog) {
      auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr) << "not a folder dialog: " << dialog.windowTitle().toStdString();
      typeFolder(static_cast<QFileDialog &>(dialog), folder);
    });
  }

  std::shared_ptr<std::deque<Answer>> unanswered_;

public:
  // Types `folder` into a folder dialog and presses Return; Escape, and a
  // failure, unless the dialog then has exactly that folder chosen: nothing
  // is copied anywhere but where the test says. The dialog may list its
  // first folder over what was typed while it loads, so it is typed again
  // until it holds.
  static void typeFolder(QFileDialog &dialog, const std::string &folder) {
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    const QStringList wanted{QString::fromStdString(folder)};
    // It takes typing once it has listed the folder it opened in.
    auto *model = dialog.findChild<QFileSystemModel *>();
    waitUntil([&] {
      const QModelIndex shown = model ? model->index(dialog.directory().absolutePath()) : QModelIndex();
      return !model || (shown.isValid() && !model->canFetchMore(shown));
    });
    bool typed = false;
    for (int attempt = 0; attempt < 10 && !typed; ++attempt) {
      settleEvents();
      name->selectAll();
      QTest::keyClicks(name, wanted.front());
      typed = dialog.selectedFiles() == wanted;
    }
    EXPECT_TRUE(typed) << dialog.selectedFiles().join(QLatin1Char(',')).toStdString();
    QTest::keyClick(name, typed ? Qt::Key_Return : Qt::Key_Escape);
  }

  Sandbox sandbox;
  QtPlatform platform;
  AppController controller{platform, sandbox.locations()};
  MainWindow window{controller};
};

TEST_F(MainWindowTest, ShowsEveryCategoryWithItsCount) {
  EXPECT_EQ(window.windowTitle(), "Cache Sorter");
  EXPECT_FALSE(window.windowIcon().isNull()) << "the icon comes from the program's own resources";
  EXPECT_EQ(window.windowIcon().availableSizes().value(0), QSize(256, 256));
  const QStringList expected = {"Animations (0)", "KarmaData (0)",    "Maps (5)",   "Music (0)",
                                "Sounds (0)",     "StaticMeshes (0)", "System (2)", "Textures (2)"};
  for (int tab = 0; tab < 8; ++tab)
    EXPECT_EQ(window.tabs()->tabText(tab), expected[tab]);

  QAbstractItemModel *system = table(6)->model();
  EXPECT_EQ(system->headerData(0, Qt::Horizontal).toString(), "");
  EXPECT_EQ(system->headerData(CategoryTableModel::UtNameColumn, Qt::Horizontal).toString(), "UT Name");
  EXPECT_EQ(system->headerData(CategoryTableModel::CacheNameColumn, Qt::Horizontal).toString(), "Cache Name");
  EXPECT_TRUE(system->headerData(CategoryTableModel::CacheNameColumn, Qt::Horizontal, Qt::ToolTipRole)
                  .toString()
                  .contains("cached file"))
      << "the tooltip names the thing as the rest of the window does";
  EXPECT_EQ(system->index(0, CategoryTableModel::UtNameColumn).data().toString(), QString::fromUtf8("Caf\xC3\xA9.u"));
  EXPECT_EQ(system->index(1, CategoryTableModel::UtNameColumn).data().toString(), QString::fromUtf8("Caf\xC3\xA9.u"))
      << "Latin-1 fallback";
  EXPECT_FALSE(system->index(0, 0).data(Qt::DisplayRole).isValid()) << "the tick column shows no digits";
  EXPECT_EQ(controller.system[1].utName, "Caf\xE9.u") << "the bytes stay as read";
}

TEST_F(MainWindowTest, AVeryLongNameIsShownCut) {
  const std::string longName = "DM-" + std::string(10 << 20, 'x') + ".ut2";
  controller.maps.push_back(CacheEntry{0, longName, std::string(1 << 20, 'c')});
  window.reloadAllTables();
  window.tabs()->setCurrentIndex(kMaps);
  QAbstractItemModel *maps = table(kMaps)->model();
  for (const int column : {CategoryTableModel::UtNameColumn, CategoryTableModel::CacheNameColumn}) {
    for (const int role : {Qt::DisplayRole, Qt::ToolTipRole}) {
      const QString shown = maps->index(5, column).data(role).toString();
      EXPECT_LT(shown.size(), 300) << column;
      EXPECT_TRUE(shown.contains(QChar(0x2026))) << column;
    }
  }
  EXPECT_TRUE(maps->index(5, CategoryTableModel::UtNameColumn).data().toString().endsWith("xxx.ut2"));
  window.repaint();
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

  press(table(kMaps), Qt::Key_Up);
  press(table(kMaps), Qt::Key_Up);
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

TEST_F(MainWindowTest, MovesTheTickedFilesAfterConfirmingAndShowsTheNewState) {
  sandbox.writeCachedFile("M1", package("map one"));
  sandbox.writeCachedFile("X1", package("sand"));
  const std::string bundle = sandbox.volumes() + "/Games/Applications/Unreal Tournament 2004.app";
  writeFile(bundle + "/Maps/DM-1.ut2", "the older map");

  window.tabs()->setCurrentIndex(kMaps);
  clickTick(kMaps, 1);
  EXPECT_EQ(table(kMaps)->model()->index(1, CategoryTableModel::UtNameColumn).data(Qt::ToolTipRole).toString(),
            QString::fromStdString("A different file of that name is in the game: " + bundle + "/Maps/DM-1.ut2"));
  EXPECT_FALSE(table(kMaps)->model()->index(1, CategoryTableModel::MarkColumn).data(Qt::DecorationRole).isNull())
      << "marked as replacing";
  EXPECT_FALSE(table(kMaps)
                   ->model()
                   ->index(0, CategoryTableModel::UtNameColumn)
                   .data(Qt::ToolTipRole)
                   .toString()
                   .contains("in the game"))
      << "not marked";
  table(kMaps)->setFocus();
  press(table(kMaps), Qt::Key_PageUp, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  ASSERT_EQ(window.tabs()->currentIndex(), kTextures);
  press(table(kTextures), Qt::Key_Down);
  press(table(kTextures), Qt::Key_Space);

  QString title, question, questionReplacing, explanation;
  bool keepOffered = false;
  answerMessageBoxes({[&](QuestionDialog &box) {
    title = box.windowTitle();
    question = box.question();
    explanation = box.explanation();
    // The different map would be kept; the player chooses to replace it,
    // and the headline counts it again.
    QCheckBox *keep = box.choice(kKeepDifferentText);
    keepOffered = keep && keep->isChecked();
    if (keep)
      QTest::keyClick(keep, Qt::Key_Space);
    questionReplacing = box.question();
    QTest::keyClick(&box, Qt::Key_Return);
  }});
  QElapsedTimer timer;
  timer.start();
  press(table(kTextures), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_GE(timer.elapsed(), 1000) << "the index is read again a second after it is written";
  EXPECT_TRUE(allAnswered());
  EXPECT_EQ(title, "Move Packages");
  EXPECT_EQ(question.toStdString(), "Move 1 of 2 ticked packages (8 bytes) into the game?");
  EXPECT_EQ(questionReplacing.toStdString(), "Move 2 packages (19 bytes) into the game?");
  EXPECT_EQ(explanation.toStdString(),
            "They go from ~/Library/Application Support/Unreal Tournament 2004/Cache to " + bundle +
                " (Mac, 2004 release).\n\n1 of them is in the game already (1 differs from the file in the "
                "game):\nMaps/DM-1.ut2");
  EXPECT_TRUE(keepOffered) << "a different file is kept unless the player says otherwise";

  EXPECT_EQ(readFile(bundle + "/Maps/DM-1.ut2"), package("map one"));
  EXPECT_EQ(readFile(bundle + "/Textures/Sand.utx"), package("sand"));
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
  EXPECT_EQ(window.reportLabel()->text(), "Moved 2 packages into the game");

  // Ctrl+Z puts both back, each line after the others; the map it replaced
  // is not the program's to bring back. (The offscreen platform gives the
  // window back no activation when the question closes.)
  QApplication::setActiveWindow(&window);
  press(table(kTextures), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(readFile(sandbox.cachedFile("M1")), package("map one"));
  EXPECT_EQ(readFile(sandbox.cachedFile("X1")), package("sand"));
  EXPECT_FALSE(exists(bundle + "/Maps/DM-1.ut2"));
  EXPECT_FALSE(exists(bundle + "/Textures/Sand.utx"));
  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nM0=DM-0.ut2\nM2=DM-2.ut2\nM3=DM-3.ut2\nM4=DM-4.ut2\n"
                                           "U0=Caf\xC3\xA9.u\nU1=Caf\xE9.u\nX0=Sky.utx\nM1=DM-1.ut2\nX1=Sand.utx\n");
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (5)");
  EXPECT_EQ(window.reportLabel()->text(), "Put 2 packages back into the cache");
}

TEST_F(MainWindowTest, CancellingTheConfirmationLeavesEverythingAsItWas) {
  sandbox.writeCachedFile("M1", package("map one"));
  struct stat before {};
  ASSERT_EQ(::stat(sandbox.cacheFile().c_str(), &before), 0);
  clickTick(kMaps, 1);
  answerMessageBoxes({pressing(Qt::Key_Escape)});
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(allAnswered());
  struct stat after {};
  ASSERT_EQ(::stat(sandbox.cacheFile().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the index was not written anew";
  EXPECT_EQ(readFile(sandbox.cachedFile("M1")), package("map one"));
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 1, 0, 0, 0})) << "the ticks stay";
  EXPECT_TRUE(window.reportLabel()->text().isEmpty());
}

TEST_F(MainWindowTest, NamesEachFailureKeepsTheTablesAndReportsTheMove) {
  // The home folder lies outside the volumes, so moves are copies; two of the
  // three cached files are missing.
  sandbox.writeCachedFile("M3", package("map three"));
  window.tabs()->setCurrentIndex(kMaps);
  for (const int row : {0, 1, 3})
    clickTick(kMaps, row);
  QAbstractItemModel *maps = table(kMaps)->model();
  std::vector<QString> rowsDuringAlert;
  QString labelDuringAlert, alertTitle, alertText, alertDetail;
  bool alertHasOnlyOk = false;
  answerMessageBoxes(
      {pressing(Qt::Key_Return), [&](QMessageBox &box) {
         for (int row = 0; row < maps->rowCount(); ++row)
           rowsDuringAlert.push_back(maps->index(row, CategoryTableModel::UtNameColumn).data().toString());
         labelDuringAlert = window.tabs()->tabText(kMaps);
         alertTitle = box.windowTitle();
         alertText = box.text();
         alertDetail = box.informativeText();
         alertHasOnlyOk = box.buttons().size() == 1 && box.defaultButton() == box.button(QMessageBox::Ok);
         ASSERT_NE(box.checkBox(), nullptr);
         EXPECT_EQ(box.checkBox()->text(), "Don't show this again during this move");
         box.checkBox()->setChecked(true);
         QTest::keyClick(&box, Qt::Key_Return);
       }});
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);

  EXPECT_TRUE(allAnswered()) << "the second failure was not shown";
  EXPECT_EQ(rowsDuringAlert, (std::vector<QString>{"DM-0.ut2", "DM-1.ut2", "DM-2.ut2", "DM-3.ut2", "DM-4.ut2"}));
  EXPECT_EQ(labelDuringAlert, "Maps (5)");
  EXPECT_EQ(alertTitle, "Error");
  EXPECT_EQ(alertText, "Could not open file for reading!");
  EXPECT_EQ(alertDetail, "DM-0.ut2 (cached as M0.uxx): No such file or directory");
  EXPECT_TRUE(alertHasOnlyOk);

  EXPECT_EQ(window.reportLabel()->text(), "Moved 1 package into the game; 2 stayed in the cache");
  ASSERT_TRUE(window.detailsButton()->isVisible());
  QTest::mouseClick(window.detailsButton(), Qt::LeftButton);
  MoveReportWindow *report = window.reportWindow();
  ASSERT_NE(report, nullptr);
  EXPECT_TRUE(report->isVisible());
  EXPECT_FALSE(report->isModal());
  EXPECT_EQ(report->windowTitle(), "Move Report");
  const auto *tree = report->findChild<QTreeWidget *>();
  ASSERT_NE(tree, nullptr);
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  const QTreeWidgetItem *stayed = tree->topLevelItem(0);
  EXPECT_EQ(stayed->text(0), "Stayed in the cache (2)");
  ASSERT_EQ(stayed->childCount(), 2);
  EXPECT_EQ(stayed->child(1)->text(0), "DM-1.ut2");
  EXPECT_EQ(stayed->child(1)->text(1), "M1.uxx");
  // The question's words, not the system's, which the alert gave.
  EXPECT_EQ(stayed->child(1)->text(2), "It has no cached file");
  EXPECT_EQ(tree->topLevelItem(1)->text(0), "Moved into the game (1)");
  EXPECT_EQ(tree->topLevelItem(1)->child(0)->text(0), "DM-3.ut2");
  // The lines of those that stayed go last in the index.
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 1, 1})) << "the two that stayed keep their ticks";
}

TEST_F(MainWindowTest, StartsWithTheFocusOnTheTableAndUnticksAll) {
  QApplication::setActiveWindow(&window);
  EXPECT_EQ(QApplication::focusWidget(), table(0)) << "the first tab's table, not the tab bar";
  press(table(0), Qt::Key_PageDown, Qt::ControlModifier);
  press(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
  ASSERT_EQ(QApplication::focusWidget(), table(kMaps));
  EXPECT_EQ(table(kMaps)->currentIndex().row(), 0) << "a visible current row, so Space works at once";
  EXPECT_TRUE(table(kMaps)->selectionModel()->isRowSelected(0, {})) << "highlighted as on the first tab";
  press(table(kMaps), Qt::Key_Space);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{1, 0, 0, 0, 0}));

  press(table(kMaps), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(ticks(controller.textures), (std::vector<int>{1, 1}));
  press(table(kMaps), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    for (const CacheEntry &entry : controller.listAt(category))
      EXPECT_EQ(entry.selected, 0) << entry.utName;
  }
  EXPECT_EQ(table(kTextures)->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_EQ(table(kMaps)->model()->headerData(0, Qt::Horizontal, Qt::AccessibleTextRole).toString(), "Ticked");
  EXPECT_EQ(table(kMaps)->accessibleName(), "Maps packages");
}

TEST_F(MainWindowTest, FiltersEveryTabAsOneTypes) {
  EXPECT_EQ(table(0)->placeholderText(), "No packages in Animations");
  press(table(0), Qt::Key_F, Qt::ControlModifier);
  ASSERT_EQ(QApplication::focusWidget(), window.filter());
  QTest::keyClicks(window.filter(), "caf");
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (0 of 5)");
  EXPECT_EQ(window.tabs()->tabText(6), "System (2 of 2)");
  QTest::keyClick(window.filter(), Qt::Key_Escape);
  EXPECT_TRUE(window.filter()->text().isEmpty());
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (5)");

  window.tabs()->setCurrentIndex(kMaps);
  window.filter()->setFocus();
  QTest::keyClicks(window.filter(), "DM-3");
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (1 of 5)");
  EXPECT_EQ(window.tabs()->tabText(kTextures), "Textures (0 of 2)");
  QTest::keyClick(window.filter(), Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), table(kMaps));
  press(table(kMaps), Qt::Key_Space);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 0, 1, 0})) << "the shown row's entry, by list position";
  waitUntil([&] { return window.tabCounts()->text() == "5 packages, 1 ticked"; });
  EXPECT_EQ(window.tabCounts()->text(), "5 packages, 1 ticked");

  press(table(kMaps), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget()->accessibleName(), "Tick All") << "Tab goes on to the buttons";
  window.filter()->setFocus();
  press(window.filter(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), window.stateMenu()) << "Tab goes from the filter to the state menu";
  press(window.stateMenu(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), table(kMaps)) << "and on to the table";

  window.filter()->setFocus();
  QTest::keyClicks(window.filter(), "x");
  EXPECT_EQ(table(kMaps)->model()->rowCount(), 0);
  EXPECT_EQ(table(kMaps)->placeholderText(), "No packages in Maps match the filter");
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (0 of 5)");
}

TEST_F(MainWindowTest, GathersPackagesByStateWithTheNameFilter) {
  layMapsInTheGame();
  sandbox.writeCachedFile("M3", "<html><body>404 Not Found</body></html>");
  window.tabs()->setCurrentIndex(kMaps);
  clickTick(kMaps, 0);
  clickTick(kMaps, 1);
  QAbstractItemModel *maps = table(kMaps)->model();
  const auto shown = [maps] {
    QStringList names;
    for (int row = 0; row < maps->rowCount(); ++row)
      names << maps->index(row, CategoryTableModel::UtNameColumn).data().toString();
    return names;
  };
  const auto dimmed = [this](int tab) { return window.tabs()->tabBar()->tabTextColor(tab).isValid(); };

  // Alt+S reaches the menu; each Down shows the next state in every tab.
  press(table(kMaps), Qt::Key_S, Qt::AltModifier);
  ASSERT_EQ(QApplication::focusWidget(), window.stateMenu());
  const std::vector<std::pair<QString, QStringList>> states = {
      {"Damaged", {"DM-3.ut2"}},
      {"Missing", {"DM-2.ut2", "DM-4.ut2"}},
      {"In the Game, Identical", {"DM-0.ut2"}},
      {"In the Game, Different", {"DM-1.ut2"}},
      {"Ticked", {"DM-0.ut2", "DM-1.ut2"}},
  };
  for (const auto &[state, names] : states) {
    press(window.stateMenu(), Qt::Key_Down);
    EXPECT_EQ(window.stateMenu()->currentText(), state);
    EXPECT_EQ(shown(), names) << state.toStdString();
    EXPECT_EQ(window.tabs()->tabText(kMaps), QStringLiteral("Maps (%1 of 5)").arg(names.size()));
    EXPECT_FALSE(dimmed(kMaps)) << state.toStdString();
  }
  // No texture is ticked: the tab is dimmed, and still opens.
  EXPECT_EQ(window.tabs()->tabText(kTextures), "Textures (0 of 2)");
  EXPECT_TRUE(dimmed(kTextures));
  EXPECT_TRUE(window.tabs()->isTabEnabled(kTextures));

  // The name filter narrows what the state leaves.
  window.stateMenu()->setCurrentIndex(window.stateMenu()->findText("Missing"));
  EXPECT_FALSE(dimmed(kTextures)) << "both textures have no cached file";
  window.filter()->setFocus();
  QTest::keyClicks(window.filter(), "4");
  EXPECT_EQ(shown(), QStringList{"DM-4.ut2"});

  // A move says how many ticked packages the state hides.
  window.filter()->clear();
  window.stateMenu()->setCurrentIndex(window.stateMenu()->findText("Damaged"));
  QString explanation;
  answerMessageBoxes({[&](QuestionDialog &box) {
    explanation = box.explanation();
    QTest::keyClick(&box, Qt::Key_Escape);
  }});
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(explanation.contains("2 ticked packages are hidden by the filter.")) << explanation.toStdString();
  EXPECT_TRUE(exists(sandbox.cachedFile("M0"))) << "nothing moved";

  // Back to all: the labels and the tabs are as before.
  window.stateMenu()->setFocus();
  press(window.stateMenu(), Qt::Key_Home);
  EXPECT_EQ(window.stateMenu()->currentText(), "All Packages");
  EXPECT_EQ(window.tabs()->tabText(kTextures), "Textures (2)");
  EXPECT_FALSE(dimmed(kTextures));

  // The mark column gathers them too: the damaged first, then the missing,
  // then what the game holds; a second click turns the order.
  QHeaderView *header = table(kMaps)->horizontalHeader();
  header->sectionClicked(CategoryTableModel::MarkColumn);
  EXPECT_EQ(shown(), (QStringList{"DM-3.ut2", "DM-2.ut2", "DM-4.ut2", "DM-1.ut2", "DM-0.ut2"}));
  header->sectionClicked(CategoryTableModel::MarkColumn);
  EXPECT_EQ(shown(), (QStringList{"DM-0.ut2", "DM-1.ut2", "DM-2.ut2", "DM-4.ut2", "DM-3.ut2"}));
  EXPECT_EQ(maps->headerData(CategoryTableModel::MarkColumn, Qt::Horizontal, Qt::AccessibleTextRole), "State");
}

TEST_F(MainWindowTest, SortsByAClickedColumnAndBack) {
  window.tabs()->setCurrentIndex(kMaps);
  clickTick(kMaps, 3);
  QHeaderView *header = table(kMaps)->horizontalHeader();
  const auto names = [this] {
    std::vector<QString> shown;
    QAbstractItemModel *model = table(kMaps)->model();
    for (int row = 0; row < model->rowCount(); ++row)
      shown.push_back(model->index(row, CategoryTableModel::UtNameColumn).data().toString());
    return shown;
  };
  const auto clickHeader = [header](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  };
  clickHeader(CategoryTableModel::UtNameColumn);
  clickHeader(CategoryTableModel::UtNameColumn);
  EXPECT_EQ(names(), (std::vector<QString>{"DM-4.ut2", "DM-3.ut2", "DM-2.ut2", "DM-1.ut2", "DM-0.ut2"}));
  clickHeader(CategoryTableModel::UtNameColumn);
  EXPECT_EQ(names(), (std::vector<QString>{"DM-0.ut2", "DM-1.ut2", "DM-2.ut2", "DM-3.ut2", "DM-4.ut2"}));
  clickHeader(CategoryTableModel::TickColumn);
  EXPECT_EQ(names().front(), "DM-3.ut2") << "the ticked first";
  EXPECT_TRUE(header->isSortIndicatorShown());
  // The view is sorted; a tick still reaches the entry by its list position.
  clickTick(kMaps, 1);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{1, 0, 0, 1, 0}));
  EXPECT_EQ(names().front(), "DM-3.ut2") << "rows stay where they are";
  EXPECT_FALSE(header->isSortIndicatorShown()) << "the order no longer follows the ticks";
  clickHeader(CategoryTableModel::TickColumn);
  EXPECT_EQ(names().front(), "DM-0.ut2") << "a click sorts by the new ticks";
  EXPECT_TRUE(header->isSortIndicatorShown());
}

TEST_F(MainWindowTest, SpaceTicksTheSelectedRowsTogether) {
  window.tabs()->setCurrentIndex(kMaps);
  CategoryTableView *maps = table(kMaps);
  clickTick(kMaps, 1);
  EXPECT_EQ(maps->currentIndex().row(), 1) << "a click on a tick box makes its row current";
  press(maps, Qt::Key_Down, Qt::ShiftModifier);
  press(maps, Qt::Key_Down, Qt::ShiftModifier);
  press(maps, Qt::Key_Space);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 1, 1, 1, 0})) << "one unticked: all ticked";
  press(maps, Qt::Key_Space);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 0, 0, 0})) << "all ticked: all unticked";
  press(maps, Qt::Key_A, Qt::ControlModifier);
  press(maps, Qt::Key_Space);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{1, 1, 1, 1, 1}));
  EXPECT_EQ(ticks(controller.textures), (std::vector<int>{0, 0}));
}

TEST_F(MainWindowTest, TheStatusBarCountsAndSizesTheTicks) {
  sandbox.writeCachedFile("M0", package(std::string(1532, 'm')));
  sandbox.writeCachedFile("X0", package("sky"));
  window.tabs()->setCurrentIndex(kMaps);
  press(table(kMaps), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  waitUntil([&] { return window.tabCounts()->text() == "5 packages, 5 ticked"; });
  EXPECT_EQ(window.tabCounts()->text(), "5 packages, 5 ticked");
  EXPECT_EQ(window.tickedTotals()->text(), "9 ticked in all, 1.5 KiB, 7 missing");
  EXPECT_EQ(window.location()->toolTip(),
            QString::fromStdString("Mac, 2004 release · Cache ~/Library/Application Support/Unreal Tournament "
                                   "2004/Cache · Game " +
                                   sandbox.volumes() + "/Games/Applications/Unreal Tournament 2004.app"));
  press(table(kMaps), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
  waitUntil([&] { return window.tickedTotals()->text() == "0 ticked in all, 0 bytes"; });
  EXPECT_EQ(window.tickedTotals()->text(), "0 ticked in all, 0 bytes");

  // All eight tabs fit the window at its size, six-digit counts and all.
  for (int tab = 0; tab < 8; ++tab)
    window.tabs()->setTabText(tab, window.tabs()->tabText(tab) + " (888,888 of 888,888)");
  QTabBar *bar = window.tabs()->tabBar();
  EXPECT_LE(bar->tabRect(7).right(), bar->width());
  EXPECT_EQ(window.tabs()->tabText(0), "Animations (0) (888,888 of 888,888)");
}

TEST_F(MainWindowTest, TheHelpMenuSaysWhatThisIs) {
  QMenu *help = nullptr;
  for (QAction *menu : window.menuBar()->actions()) {
    if (menu->text() == "&Help")
      help = menu->menu();
  }
  ASSERT_NE(help, nullptr);
  ASSERT_EQ(help->actions().size(), 2);
  EXPECT_EQ(help->actions()[1]->text(), "About &Qt");
  QString title, text;
  answerMessageBoxes({[&](QMessageBox &box) {
    title = box.windowTitle();
    text = box.text();
    QTest::keyClick(&box, Qt::Key_Return);
  }});
  help->actions()[0]->trigger();
  EXPECT_TRUE(allAnswered());
  EXPECT_EQ(title, "About Cache Sorter");
  EXPECT_TRUE(text.contains(QStringLiteral("Cache Sorter " CACHE_SORTER_VERSION))) << text.toStdString();
  EXPECT_TRUE(text.contains("MIT License"));
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

namespace {

// The window where neither the Mac release nor another layout is: no volumes
// folder, no cache. The user chooses the folders with the dialogs.
class EmptyWindowTest : public ::testing::Test {
protected:
  EmptyWindowTest() {
    std::filesystem::remove_all(sandbox.volumes());
    std::filesystem::remove_all(sandbox.home() + "/Library");
    makeFolders(cacheFolder);
    writeFile(cacheFolder + "/cache.ini", "[Cache]\r\nM1=DM-Chosen.ut2\r\n");
    for (const char *folder : {"System", "Maps"})
      makeFolders(gameFolder + "/" + folder);
    startAndShow(window, platform, controller);
  }

  // Presses Ctrl+O with `modifiers`, then types `folder` into the folder dialog
  // that comes up and presses Return, as a person would.
  void chooseWithDialog(Qt::KeyboardModifiers modifiers, const std::string &folder) {
    QString title;
    whenShown(
        &window, [] { return qobject_cast<QFileDialog *>(QApplication::activeModalWidget()); },
        [&title, folder](QWidget &dialog) {
          title = dialog.windowTitle();
          MainWindowTest::typeFolder(static_cast<QFileDialog &>(dialog), folder);
        });
    // The window manager gives the window back the keyboard once a dialog
    // closes; the offscreen platform leaves that to the test.
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &window, Qt::Key_O, modifiers);
    EXPECT_FALSE(title.isEmpty()) << "no folder dialog came up";
  }

  Sandbox sandbox;
  const std::string cacheFolder = sandbox.root() + "/Downloads/Cache";
  const std::string gameFolder = sandbox.root() + "/Games/UT2004";
  QtPlatform platform;
  MemoryChoiceStore store;
  AppController controller{platform, sandbox.locations(), &store};
  MainWindow window{controller};
};

TEST_F(EmptyWindowTest, SaysWhereItLookedAndTakesTheChosenFolders) {
  EXPECT_FALSE(window.showsTables());
  const QString said = window.emptyPage()->body()->text();
  EXPECT_TRUE(said.contains(QStringLiteral("~/.ut2004/Cache/cache.ini"))) << said.toStdString();
  EXPECT_TRUE(said.contains(QString::fromStdString(sandbox.root() + "/usr/local/games/ut2004")));
  // This platform's places come first, the Mac release's last.
  EXPECT_LT(said.indexOf(QStringLiteral("~/.ut2004/Cache/cache.ini")),
            said.indexOf(QStringLiteral("~/Library/Application Support/Unreal Tournament 2004/Cache/cache.ini")));
  EXPECT_LT(said.indexOf(QString::fromStdString(sandbox.root() + "/usr/local/games/ut2004")),
            said.indexOf(QStringLiteral("/*/Applications/Unreal Tournament 2004.app")));
  EXPECT_EQ(window.location()->text(), "No cache found");

  chooseWithDialog(Qt::ControlModifier, cacheFolder);
  EXPECT_TRUE(window.showsTables());
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (1)");
  EXPECT_EQ(store.chosen.cacheFolder, cacheFolder);
  EXPECT_EQ(window.reportLabel()->text().toStdString(), "Opened the cache " + cacheFolder + ": 1 package");

  // A move without a game offers to choose its folder in its alert.
  window.tabs()->setCurrentIndex(kMaps);
  window.tableView(kMaps)->setFocus();
  QTest::keyClick(window.tableView(kMaps), Qt::Key_Space);
  ASSERT_EQ(controller.maps[0].selected, 1);
  QString alert;
  QStringList buttons;
  whenShown(
      &window, [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); },
      [&](QWidget &shown) {
        auto &box = static_cast<QMessageBox &>(shown);
        alert = box.text();
        QAbstractButton *choose = nullptr;
        for (QAbstractButton *button : box.buttons()) {
          buttons << button->text();
          choose = button->text() == "Choose Game Folder…" ? button : choose;
        }
        if (choose)
          QTest::mouseClick(choose, Qt::LeftButton);
        else
          box.close();
      });
  whenShown(
      &window, [] { return qobject_cast<QFileDialog *>(QApplication::activeModalWidget()); },
      [this](QWidget &dialog) { MainWindowTest::typeFolder(static_cast<QFileDialog &>(dialog), gameFolder); });
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_M,
                  Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(alert, "Could not find installation of Unreal Tournament 2004");
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{"Choose Game Folder…", "OK"})) << "beside the alert's own OK";
  EXPECT_TRUE(exists(cacheFolder + "/M1.uxx") || !exists(gameFolder + "/Maps/DM-Chosen.ut2")) << "nothing moved";
  const QString chosen =
      QString::fromStdString("Cache " + cacheFolder + " (chosen) · Game " + gameFolder + " (chosen)");
  waitUntil([&] { return window.location()->toolTip() == chosen; });
  EXPECT_EQ(window.location()->toolTip(), chosen);

  // A folder that is no game folder is refused with a message.
  QString refusal;
  // Once the folder dialog has gone, the refusal comes up.
  whenShown(
      &window, [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); },
      [&refusal](QWidget &box) {
        refusal = box.windowTitle();
        QTest::keyClick(&box, Qt::Key_Return);
      });
  chooseWithDialog(Qt::ControlModifier | Qt::ShiftModifier, cacheFolder);
  EXPECT_EQ(refusal, "Cannot Use This Folder");
  EXPECT_EQ(controller.unrealDir, gameFolder);

  window.folderChoices()->forgetChosenFolders();
  EXPECT_FALSE(window.showsTables());
  EXPECT_TRUE(store.chosen.empty());
}

// The status bar names the layout; File > Game lists both installations
// found and switches between them by keys.
TEST(LayoutStatusTest, TheStatusBarNamesTheLayoutAndFileGameSwitches) {
  Sandbox sandbox;
  std::filesystem::remove_all(sandbox.volumes());
  makeFolders(sandbox.home() + "/.ut2004/Cache");
  writeFile(sandbox.home() + "/.ut2004/Cache/cache.ini", "[Cache]\nM1=DM-One.ut2\n");
  const std::string linux = sandbox.root() + "/usr/local/games/ut2004";
  const std::string wine = sandbox.home() + "/.wine/drive_c/UT2004";
  for (const std::string &game : {linux, wine})
    for (const char *folder : {"System", "Maps", "Textures"})
      makeFolders(game + "/" + folder);
  writeFile(wine + "/System/UT2004.exe", "MZ");
  makeFolders(wine + "/Cache");
  writeFile(wine + "/Cache/cache.ini", "[Cache]\nW1=DM-Wine.ut2\nW2=CTF-Wine.ut2\n");
  QtPlatform platform;
  MemoryChoiceStore store;
  AppController controller{platform, sandbox.locations(), &store};
  MainWindow window{controller};
  startAndShow(window, platform, controller);
  const QString linuxStatus = QString::fromStdString("Linux · Cache ~/.ut2004/Cache · Game " + linux);
  waitUntil([&] { return window.location()->toolTip() == linuxStatus; });
  EXPECT_TRUE(window.showsTables());
  EXPECT_EQ(window.location()->toolTip(), linuxStatus);

  QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
  auto *file = qobject_cast<QMenu *>(QApplication::activePopupWidget());
  ASSERT_NE(file, nullptr) << "Alt+F opens no menu";
  QTest::keyClick(file, Qt::Key_G);
  auto *games = qobject_cast<QMenu *>(QApplication::activePopupWidget());
  ASSERT_NE(games, nullptr);
  ASSERT_NE(games, file) << "G opens no submenu";
  QStringList texts;
  for (const QAction *action : games->actions())
    texts << (action->isChecked() ? "* " : "") + action->text();
  EXPECT_EQ(texts, (QStringList{QString::fromStdString("* Linux · " + linux), "Wine · ~/.wine/drive_c/UT2004", "",
                                "Choose &Cache Folder…", "Choose &Game Folder…", "&Forget Chosen Folders"}));
  QTest::keyClick(games, Qt::Key_Down);
  QTest::keyClick(games, Qt::Key_Return);
  waitUntil([&] { return window.tabs()->tabText(kMaps) == "Maps (2)"; });
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (2)");
  EXPECT_EQ(controller.unrealDir, wine);
  EXPECT_EQ(store.chosen.layout, "Wine");
  const QString status = QStringLiteral("Wine · Cache ~/.wine/drive_c/UT2004/Cache · Game ~/.wine/drive_c/UT2004");
  waitUntil([&] { return window.location()->toolTip() == status; });
  EXPECT_EQ(window.location()->toolTip(), status);
}

// What stands at the game's settings file or the program's own may be
// anything: what is not a plain file of a settings file's size is passed
// over, said in the status bar, and start-up goes on as if it were absent.
TEST(StartUpFilesTest, FilesThatAreNotSettingsFilesArePassedOver) {
  const auto fifo = [](const std::string &path) { ::mkfifo(path.c_str(), 0600); };
  const auto sparse = [](const std::string &path) {
    writeFile(path, "");
    std::filesystem::resize_file(path, std::uintmax_t(1) << 30);
  };
  const auto folder = [](const std::string &path) { makeFolders(path); };
  const std::vector<std::pair<std::function<void(const std::string &)>, const char *>> shapes = {
      {fifo, "it is not a plain file"},
      {sparse, "it is larger than a settings file can be"},
      {folder, "it is not a plain file"}};
  for (const auto &[lay, why] : shapes) {
    Sandbox sandbox;
    std::filesystem::remove_all(sandbox.volumes());
    makeFolders(sandbox.home() + "/.ut2004/System");
    lay(sandbox.home() + "/.ut2004/System/UT2004.ini");
    makeFolders(sandbox.home() + "/.ut2004/Cache");
    writeFile(sandbox.home() + "/.ut2004/Cache/cache.ini", "[Cache]\nM1=DM-One.ut2\n");
    const std::string settingsPath = sandbox.home() + "/.config/cache-sorter/cache-sorter.ini";
    makeFolders(sandbox.home() + "/.config/cache-sorter");
    lay(settingsPath);

    QString settingsNote;
    EXPECT_EQ(openProgramSettings(QString::fromStdString(settingsPath), settingsNote), nullptr) << why;
    QtPlatform platform;
    AppController controller{platform, sandbox.locations()};
    MainWindow window{controller};
    window.connectOutlets();
    controller.awakeFromNib();
    window.reloadAllTables();
    window.showPassedOverFiles(settingsNote);
    EXPECT_TRUE(window.showsTables()) << "the default cache beside System is read";
    EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (1)");
    EXPECT_EQ(window.reportLabel()->toolTip().toStdString(), std::string("Passed over ~/.ut2004/System/UT2004.ini: ") +
                                                                 why +
                                                                 "; ~/.config/cache-sorter/cache-sorter.ini: " + why);
  }
}

TEST(StartUpFilesTest, AChosenFolderWithANulByteIsNotUsed) {
  const TemporaryFolder folder;
  const QString path = QString::fromStdString(folder / "cache-sorter.ini");
  QString note;
  std::unique_ptr<QSettings> settings = openProgramSettings(path, note);
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(note.isEmpty());
  settings->setValue("folders/cache", QString::fromUtf8("/srv/cache\0junk", 15));
  settings->setValue("folders/game", QStringLiteral("/srv/game"));
  const ChosenFolders chosen = SettingsChoiceStore(settings.get()).load();
  EXPECT_EQ(chosen.cacheFolder, std::nullopt);
  EXPECT_EQ(chosen.gameFolder, "/srv/game");
}

} // namespace

namespace {

TEST(CancelMoveTest, EscapeInTheProgressStopsTheMoveAfterThePackageInHand) {
  Sandbox sandbox;
  const std::string bundle = sandbox.addInstallation("Games");
  sandbox.writeIndex(mapsIndex(5, "M", [&](const std::string &name, int) {
    sandbox.writeCachedFile(name, package(std::string(1 << 20, 'm')));
  }));
  QtPlatform platform{std::chrono::milliseconds(0)};
  AppController controller{platform, sandbox.locations(), nullptr, std::chrono::milliseconds(0)};
  MainWindow window{controller};
  startAndShow(window, platform, controller);

  // Escape goes to the progress as soon as it shows; Return answers the
  // question before it.
  bool pressedEscape = false;
  // What the progress shows once Escape is pressed.
  QString cancelling;
  bool stillShown = false, cancelEnabled = true;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *question = qobject_cast<QuestionDialog *>(modal)) {
      QTest::keyClick(question, Qt::Key_Return);
    } else if (auto *progress = qobject_cast<QProgressDialog *>(modal);
               progress && progress->windowTitle() == "Moving Packages" && !pressedEscape) {
      pressedEscape = true;
      // Through the window, as the window system delivers it, so that the
      // shortcuts see it first.
      QTest::keyClick(progress->windowHandle(), Qt::Key_Escape);
      cancelling = progress->labelText();
      stillShown = progress->isVisible();
      // scripts/screenshot pictures the state, which lasts a moment.
      if (const QString pictures = qEnvironmentVariable("CACHE_SORTER_PICTURES"); !pictures.isEmpty())
        progress->grab().save(pictures + "/cancelling-move.png");
      const QPushButton *cancel = progress->findChild<QPushButton *>();
      cancelEnabled = cancel && cancel->isEnabled();
    }
  });
  poll.start(0);
  QTest::keyClick(window.tableView(kMaps), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(window.tableView(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  poll.stop();

  EXPECT_TRUE(pressedEscape);
  EXPECT_EQ(cancelling.toStdString(), "Cancelling after DM-M0.ut2…");
  EXPECT_TRUE(stillShown) << "the progress stays up until the move has stopped";
  EXPECT_FALSE(cancelEnabled);
  EXPECT_EQ(window.reportLabel()->text(),
            "Cancelled after 1 of 5 packages: moved 1 package into the game; 4 stayed in the cache");
  EXPECT_TRUE(exists(bundle + "/Maps/DM-M0.ut2"));
  EXPECT_EQ(controller.maps.size(), 4u);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{1, 1, 1, 1})) << "so that the move can go on";
}

} // namespace

namespace {

TEST_F(MainWindowTest, AStaleCacheShowsWhatIsMissingAndWhatIsInTheGame) {
  const std::string bundle = sandbox.volumes() + "/Games/Applications/Unreal Tournament 2004.app";
  sandbox.writeCachedFile("M0", package("same map"));
  writeFile(bundle + "/Maps/DM-0.ut2", package("same map"));
  sandbox.writeCachedFile("M1", package(std::string(1532, 'n')));
  writeFile(bundle + "/Maps/DM-1.ut2", "the older map");
  sandbox.writeCachedFile("M3", package("three"));
  window.tabs()->setCurrentIndex(kMaps);
  QAbstractItemModel *maps = table(kMaps)->model();

  // M2 and M4 have no cached file: greyed, said in the tooltip, no size.
  const QBrush grey = QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
  EXPECT_EQ(maps->index(2, CategoryTableModel::UtNameColumn).data(Qt::ForegroundRole).value<QBrush>(), grey);
  EXPECT_FALSE(maps->index(3, CategoryTableModel::UtNameColumn).data(Qt::ForegroundRole).isValid());
  EXPECT_TRUE(
      maps->index(4, CategoryTableModel::UtNameColumn).data(Qt::ToolTipRole).toString().contains("No cached file"));
  EXPECT_EQ(maps->headerData(CategoryTableModel::SizeColumn, Qt::Horizontal).toString(), "Size");
  EXPECT_EQ(maps->index(1, CategoryTableModel::SizeColumn).data().toString(), "1.5 KiB");
  EXPECT_EQ(maps->index(2, CategoryTableModel::SizeColumn).data().toString(), QString::fromUtf8("—"));

  // The size column sorts: missing first, then by size.
  table(kMaps)->horizontalHeader()->sectionClicked(CategoryTableModel::SizeColumn);
  QStringList bySize;
  for (int row = 0; row < maps->rowCount(); ++row)
    bySize << maps->index(row, CategoryTableModel::UtNameColumn).data().toString();
  EXPECT_EQ(bySize, (QStringList{"DM-2.ut2", "DM-4.ut2", "DM-3.ut2", "DM-0.ut2", "DM-1.ut2"}));
  table(kMaps)->horizontalHeader()->sectionClicked(CategoryTableModel::SizeColumn);
  table(kMaps)->horizontalHeader()->sectionClicked(CategoryTableModel::SizeColumn);

  // The files in the game: the same bytes, or others.
  EXPECT_EQ(maps->index(0, CategoryTableModel::UtNameColumn).data(Qt::ToolTipRole).toString(),
            QString::fromStdString("Already in the game (identical): " + bundle + "/Maps/DM-0.ut2"));
  EXPECT_TRUE(
      maps->index(1, CategoryTableModel::UtNameColumn).data(Qt::ToolTipRole).toString().startsWith("A different file"));

  // Tick All; the question counts the missing and both kinds of files in the
  // game, and keeps the different one by default.
  press(table(kMaps), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  QString explanation, details;
  bool keepChecked = false;
  answerMessageBoxes({[&](QuestionDialog &box) {
                        explanation = box.explanation();
                        details = box.details();
                        keepChecked = box.choice(kKeepDifferentText) && box.choice(kKeepDifferentText)->isChecked();
                        QTest::keyClick(&box, Qt::Key_Return);
                      },
                      // The packages without a file cannot be read: the first
                      // alert silences the others.
                      [](QMessageBox &alert) {
                        alert.checkBox()->setChecked(true);
                        QTest::keyClick(&alert, Qt::Key_Return);
                      }});
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(explanation.contains("6 of them have no cached file and stay in the cache."));
  EXPECT_TRUE(explanation.contains("2 of them are in the game already (1 identical; 1 differs from the file in the "
                                   "game):"))
      << explanation.toStdString();
  // Show Details names every package that stays and why, then the game's
  // files.
  EXPECT_TRUE(details.startsWith("Stay in the cache:\n")) << details.toStdString();
  EXPECT_TRUE(details.contains("DM-1.ut2: differs from the file in the game, which is kept\n"));
  EXPECT_EQ(details.count(": has no cached file\n"), 6);
  EXPECT_TRUE(details.endsWith(
      "In the game already:\nMaps/DM-0.ut2: identical\nMaps/DM-1.ut2: differs from the file in the game\n"));
  EXPECT_TRUE(keepChecked);

  EXPECT_EQ(readFile(bundle + "/Maps/DM-1.ut2"), "the older map") << "the different file stays in the game";
  EXPECT_TRUE(exists(sandbox.cachedFile("M1"))) << "and its package in the cache";
  EXPECT_FALSE(exists(sandbox.cachedFile("M0"))) << "the identical one moved";
  EXPECT_EQ(readFile(bundle + "/Maps/DM-3.ut2"), package("three"));
  EXPECT_TRUE(window.reportLabel()->text() == "Moved 2 packages into the game; 7 stayed in the cache")
      << window.reportLabel()->text().toStdString();
}

} // namespace

namespace {

TEST_F(MainWindowTest, CleansTheCacheByKeys) {
  // The Trash is the sandbox's own.
  const std::string dataHome = sandbox.home() + "/.local/share";
  sandbox.writeCachedFile("M0", package("map zero"));
  sandbox.writeCachedFile("M1", package("map one"));
  sandbox.writeCachedFile("X0", package("sky"));
  window.tabs()->setCurrentIndex(kMaps);

  // Ticking follows the filter: "dm-1" shows one map, and Tick All ticks it
  // alone.
  window.filter()->setFocus();
  QTest::keyClicks(window.filter(), "dm-1");
  QPushButton *tickAll = nullptr;
  for (QPushButton *button : window.findChildren<QPushButton *>())
    tickAll = button->accessibleName() == "Tick All" ? button : tickAll;
  ASSERT_TRUE(tickAll);
  EXPECT_EQ(tickAll->text(), "Tick &All Shown");
  press(window.filter(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 1, 0, 0, 0}));
  EXPECT_EQ(ticks(controller.textures), (std::vector<int>{0, 0})) << "no texture is shown";
  press(window.filter(), Qt::Key_Escape);
  EXPECT_EQ(tickAll->text(), "Tick &All");

  // Delete puts the ticked package in the Trash, after asking.
  QString trashQuestion, trashExplanation;
  QMessageBox::Icon trashIcon = QMessageBox::NoIcon;
  answerMessageBoxes({[&](QMessageBox &box) {
    trashQuestion = box.text();
    trashExplanation = box.informativeText();
    trashIcon = box.icon();
    QTest::keyClick(&box, Qt::Key_Return);
  }});
  table(kMaps)->setFocus();
  press(table(kMaps), Qt::Key_Delete);
  EXPECT_EQ(trashQuestion, "Move 1 package (11 bytes) to the Trash?");
  EXPECT_TRUE(trashExplanation.startsWith("Its cached file goes to the Trash and its entry leaves the cache index."))
      << trashExplanation.toStdString();
  EXPECT_EQ(trashIcon, QMessageBox::Warning) << "it takes packages out of the cache";
  EXPECT_FALSE(exists(sandbox.cachedFile("M1")));
  EXPECT_EQ(readFile(dataHome + "/Trash/files/M1.uxx"), package("map one"));
  EXPECT_EQ(window.reportLabel()->text(), "Put 1 package in the Trash");
  EXPECT_TRUE(window.detailsButton()->isVisible());
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (4)");

  // Ctrl+Shift+R takes out the lines that name no cached file.
  QString removeQuestion;
  answerMessageBoxes({[&](QMessageBox &box) {
    removeQuestion = box.text();
    QTest::keyClick(&box, Qt::Key_Return);
  }});
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  press(table(kMaps), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(removeQuestion, "Remove 6 entries that name no cached file from the cache index?");
  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nM0=DM-0.ut2\nX0=Sky.utx\n");
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (1)");
  // Each command replaces the last one's result, and its Details.
  EXPECT_EQ(window.reportLabel()->text().toStdString(), "Removed 6 entries that named no cached file");
  EXPECT_FALSE(window.detailsButton()->isVisible());

  // F5 reads the index again, whatever the platform's theme calls Refresh.
  sandbox.writeIndex("[Cache]\nM0=DM-0.ut2\nX0=Sky.utx\nS0=Step.uax\n");
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  press(table(kMaps), Qt::Key_F5);
  EXPECT_EQ(window.reportLabel()->text().toStdString(), "Read the cache index again: 3 packages");
}

// A game without its Textures folder: the map moves, the texture stays and
// the question says so; the folder is not made.
TEST_F(MainWindowTest, AMissingFolderKeepsBackOnlyItsOwnPackages) {
  const std::string bundle = sandbox.volumes() + "/Games/Applications/Unreal Tournament 2004.app";
  std::filesystem::remove(bundle + "/Textures");
  sandbox.writeCachedFile("M0", package("map zero"));
  sandbox.writeCachedFile("X0", package("sky"));
  window.tabs()->setCurrentIndex(kMaps);
  press(table(kMaps), Qt::Key_Space);
  controller.textures[0].selected = 1;
  QString explanation, alert;
  answerMessageBoxes({[&](QuestionDialog &box) {
                        explanation = box.explanation();
                        QTest::keyClick(&box, Qt::Key_Return);
                      },
                      // Across volumes, the copy into the missing folder fails
                      // with its alert.
                      [&](QMessageBox &box) {
                        alert = box.text();
                        QTest::keyClick(&box, Qt::Key_Return);
                      }});
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(explanation.contains("1 of them stays in the cache: the folder Textures is missing from the game or "
                                   "cannot be written by you."))
      << explanation.toStdString();
  EXPECT_EQ(alert, "Could not open file for writing!");
  EXPECT_EQ(readFile(bundle + "/Maps/DM-0.ut2"), package("map zero"));
  EXPECT_EQ(readFile(sandbox.cachedFile("X0")), package("sky"));
  EXPECT_FALSE(exists(bundle + "/Textures")) << "a missing folder is not made";
}

TEST_F(MainWindowTest, TheQuestionWarnsWhileTheGameRuns) {
  makeFolders(sandbox.root() + "/proc/4242");
  writeFile(sandbox.root() + "/proc/4242/comm", "ut2004-bin\n");
  sandbox.writeCachedFile("M0", package("map zero"));
  window.tabs()->setCurrentIndex(kMaps);
  QString explanation;
  answerMessageBoxes({[&](QuestionDialog &box) {
    explanation = box.explanation();
    QTest::keyClick(&box, Qt::Key_Escape);
  }});
  press(table(kMaps), Qt::Key_Space);
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(explanation.startsWith("Unreal Tournament 2004 is running.")) << explanation.toStdString();
  EXPECT_TRUE(exists(sandbox.cachedFile("M0")));
}

} // namespace

namespace {

TEST_F(MainWindowTest, MoveAndTrashWaitForATick) {
  window.tabs()->setCurrentIndex(kMaps);
  QPushButton *moveButton = nullptr;
  for (QPushButton *button : window.findChildren<QPushButton *>())
    moveButton = button->accessibleName() == "Move Ticked Packages…" ? button : moveButton;
  ASSERT_TRUE(moveButton);
  EXPECT_FALSE(moveButton->isEnabled()) << "nothing is ticked";
  struct stat info {};
  ::stat(sandbox.cacheFile().c_str(), &info);
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  press(table(kMaps), Qt::Key_Delete);
  struct stat after {};
  ::stat(sandbox.cacheFile().c_str(), &after);
  EXPECT_EQ(after.st_ino, info.st_ino) << "the index was not written anew";

  press(table(kMaps), Qt::Key_Space);
  EXPECT_TRUE(moveButton->isEnabled());
  press(table(kMaps), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(moveButton->isEnabled());
}

TEST_F(MainWindowTest, TheStatusBarCutsItsTextsWithAnEllipsisAndATooltip) {
  EXPECT_FALSE(window.detailsButton()->isFlat()) << "it reads as a button";
  EXPECT_TRUE(window.detailsButton()->focusPolicy() & Qt::TabFocus);
  window.resize(412, 400);
  settleEvents();
  for (QLabel *label : {window.tabCounts(), window.tickedTotals(), window.location()}) {
    EXPECT_EQ(label->toolTip(), label->text()) << "the whole text is the tooltip";
    EXPECT_LE(label->geometry().right(), window.statusBar()->width()) << label->text().toStdString();
  }
  EXPECT_LT(window.location()->width(), window.location()->fontMetrics().horizontalAdvance(window.location()->text()))
      << "the location is cut";
}

TEST_F(MainWindowTest, TheResultOfTheLastCommandIsCutLast) {
  auto *report = static_cast<ElidedLabel *>(window.reportLabel());
  report->setWholeText(QStringLiteral("Moved 58 packages into the game; 6 stayed in the cache"));
  const auto wholeWidth = [](const QLabel *label) {
    return label->fontMetrics().horizontalAdvance(label->text()) + label->contentsMargins().left() +
           label->contentsMargins().right();
  };
  // The location gives way first: the result is cut only once the location
  // is down to its few letters.
  for (const int width : {1366, 1000, 760, 600}) {
    SCOPED_TRACE(width);
    window.resize(width, 600);
    settleEvents();
    const QLabel *location = window.location();
    const bool locationAtItsLeast = location->width() <= location->minimumSizeHint().width();
    EXPECT_TRUE(report->width() >= wholeWidth(report) || locationAtItsLeast) << report->width();
    if (width <= 1000) {
      EXPECT_LT(location->width(), wholeWidth(location)) << "the location is cut";
    }
  }
}

} // namespace

namespace {

TEST_F(MainWindowTest, ReturnDoubleClickAndCopyWorkOnRows) {
  window.tabs()->setCurrentIndex(kMaps);
  CategoryTableView *maps = table(kMaps);
  press(maps, Qt::Key_Down);
  press(maps, Qt::Key_Down);
  press(maps, Qt::Key_Return);
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 1, 0, 0})) << "Return ticks the row";
  QTest::mouseDClick(maps->viewport(), Qt::LeftButton, Qt::NoModifier,
                     maps->visualRect(maps->model()->index(2, CategoryTableModel::UtNameColumn)).center());
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 0, 0, 0})) << "a double-click unticks it";

  maps->selectRow(1);
  press(maps, Qt::Key_Down, Qt::ShiftModifier);
  press(maps, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "DM-1.ut2\nDM-2.ut2");

  // The real names take the room, and every name starts in one place.
  QHeaderView *header = maps->horizontalHeader();
  EXPECT_EQ(header->sectionResizeMode(CategoryTableModel::UtNameColumn), QHeaderView::Stretch);
  EXPECT_FALSE(maps->model()->index(0, CategoryTableModel::MarkColumn).data(Qt::DecorationRole).isNull());
  for (QPushButton *button : window.findChildren<QPushButton *>()) {
    if (!button->isVisible())
      continue;
    EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + 24)
        << button->text().toStdString();
  }
}

} // namespace

namespace {

TEST_F(MainWindowTest, F5ReadsTheListsAgainAndTheRowMenuTicksCopiesAndPutsBack) {
  window.tabs()->setCurrentIndex(kMaps);
  writeFile(sandbox.cacheFile(), readFile(sandbox.cacheFile()) + "M5=DM-5.ut2\n");
  press(table(kMaps), Qt::Key_F5);
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (6)");

  // The row menu, opened with Shift+F10 on the current row: `pick` is
  // chosen by its text; what it offered is kept.
  CategoryTableView *maps = table(kMaps);
  maps->setFocus();
  maps->selectRow(4);
  QStringList offered;
  const auto choose = [&](const QString &pick) {
    whenShown(
        maps, [] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()); },
        [&offered, pick](QWidget &shown) {
          auto &menu = static_cast<QMenu &>(shown);
          offered.clear();
          for (QAction *action : menu.actions())
            if (!action->isSeparator())
              offered << QString(action->text()).remove(QLatin1Char('&'));
          for (QAction *action : menu.actions())
            if (QString(action->text()).remove(QLatin1Char('&')) == pick)
              menu.setActiveAction(action);
          QTest::keyClick(&menu, Qt::Key_Return);
        });
    press(maps, Qt::Key_F10, Qt::ShiftModifier);
  };
  choose("Tick");
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 0, 0, 1, 0})) << "Tick";
  EXPECT_EQ(offered, (QStringList{"Tick", "Tick What It Needs", "Move Ticked Packages…", "Move to Trash…",
                                  "Copy to Folder…", "Export for Redirect Server…", "Copy Name", "Copy Cache Name",
                                  "Show Cached File", "Show in the Game Folder", "Put Back into the Cache…"}));
  choose("Copy Cache Name");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "M4");
  EXPECT_EQ(offered.front(), "Untick") << "the row is ticked";
  choose("Untick");
  EXPECT_EQ(ticks(controller.maps), (std::vector<int>{0, 0, 0, 0, 0, 0}));

  // The game holds another version of DM-0: the row menu puts it back into
  // the cache, as the download it is, once the player confirms.
  PackageWriter mine;
  mine.guid = {0xA1B2C3D4, 1, 2, 3};
  const std::string installed = sandbox.volumes() + "/Games/Applications/Unreal Tournament 2004.app/Maps/DM-0.ut2";
  writeFile(installed, mine.bytes());
  maps->selectRow(0);
  answerMessageBoxes({[](QMessageBox &box) {
    EXPECT_EQ(box.text(), "Put 1 package back into the cache?");
    QTest::keyClick(&box, Qt::Key_Return);
  }});
  choose("Put Back into the Cache…");
  EXPECT_TRUE(allAnswered());
  EXPECT_FALSE(exists(installed));
  EXPECT_EQ(readFile(sandbox.cachedFile("A1B2C3D4000000010000000200000003")), mine.bytes());
  EXPECT_TRUE(readFile(sandbox.cacheFile()).ends_with("\nA1B2C3D4000000010000000200000003=DM-0.ut2\n"));
  EXPECT_EQ(window.tabs()->tabText(kMaps), "Maps (7)");
  EXPECT_EQ(window.reportLabel()->text(), "Put 1 package back into the cache");
}

} // namespace

namespace {

TEST_F(MainWindowTest, TabLabelsAreReadWholeWithSixDigitCountsAndAFilter) {
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    std::vector<CacheEntry> &list = controller.listAt(category);
    list.clear();
    for (int row = 0; row < 100'000; ++row)
      list.push_back(CacheEntry{0, "P" + std::to_string(row) + std::string(kCategories[category].ending),
                                "C" + std::to_string(row)});
  }
  window.reloadAllTables();
  settleEvents();
  const int unfiltered = window.tabs()->tabBar()->width();
  window.findChild<QLineEdit *>()->setFocus();
  QTest::keyClicks(QApplication::focusWidget(), "P1");
  ASSERT_EQ(window.tabs()->tabText(5), "StaticMeshes (11,111 of 100,000)");
  settleEvents();
  EXPECT_EQ(window.tabs()->tabBar()->width(), unfiltered) << "the column keeps its width as the filter starts";

  for (const QSize size : {QSize(1100, 640), QSize(640, 480)}) {
    window.resize(size);
    settleEvents();
    QTabBar *bar = window.tabs()->tabBar();
    for (int tab = 0; tab < bar->count(); ++tab) {
      const QRect rect = bar->tabRect(tab);
      EXPECT_GE(rect.width(), bar->fontMetrics().horizontalAdvance(bar->tabText(tab)) + 8)
          << bar->tabText(tab).toStdString() << " at " << size.width();
      EXPECT_TRUE(bar->rect().contains(rect)) << "no tab scrolls out of sight at " << size.width();
    }
    EXPECT_GE(window.tableView(0)->width(), size.width() * 2 / 5) << "the table keeps the most room";
  }
}

} // namespace

namespace {

TEST_F(MainWindowTest, TheShownTabIsMarkedOnADarkPalette) {
  window.tabs()->setCurrentIndex(kMaps);
  QTabBar *bar = window.tabs()->tabBar();
  // Adwaita's dark colours, in which the style's own shown tab is nearly
  // the grey of the others.
  QPalette dark = bar->palette();
  dark.setColor(QPalette::Window, QColor(0x24, 0x24, 0x24));
  dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
  dark.setColor(QPalette::WindowText, QColor(0xff, 0xff, 0xff));
  dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
  bar->setPalette(dark);
  const QImage shown = bar->grab().toImage();
  const auto highlighted = [&](int tab) {
    const QRect rect = bar->tabRect(tab);
    int pixels = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        pixels += QColor(shown.pixel(x, y)) == dark.color(QPalette::Highlight) ? 1 : 0;
    return pixels;
  };
  EXPECT_GE(highlighted(kMaps), 3 * bar->tabRect(kMaps).height()) << "a bar of the highlight beside its page";
  EXPECT_EQ(highlighted(kTextures), 0);
}

TEST_F(MainWindowTest, AtTheLeastSizeTheCacheNamesGiveWayFirst) {
  window.tabs()->setCurrentIndex(kMaps);
  CategoryTableView *maps = table(kMaps);
  const int wholeCacheName = maps->fontMetrics().horizontalAdvance(QString(32, QLatin1Char('D')));
  const int longRealName = maps->fontMetrics().horizontalAdvance(QStringLiteral("DM-Rankin-Tournament-Ed.ut2"));
  for (const QSize size : {QSize(1366, 768), QSize(760, 480), window.minimumSizeHint()}) {
    window.resize(size);
    settleEvents();
    const int realNames = maps->columnWidth(CategoryTableModel::UtNameColumn);
    const int cacheNames = maps->columnWidth(CategoryTableModel::CacheNameColumn);
    EXPECT_GE(realNames, cacheNames) << "at " << window.width();
    EXPECT_GT(cacheNames, 0) << "at " << window.width();
    if (realNames < longRealName) {
      EXPECT_LT(cacheNames, wholeCacheName / 3) << "cut to a few digits first, at " << window.width();
    }
  }
  EXPECT_LT(window.width(), 760);
}

TEST_F(MainWindowTest, TheMarksReadAlikeUnderEveryStyle) {
  layMapsInTheGame();
  window.tabs()->setCurrentIndex(kMaps);
  const QString before = QApplication::style()->name();
  std::vector<QImage> identical, different;
  for (const QString &style : {QStringLiteral("Windows"), QStringLiteral("Fusion")}) {
    QApplication::setStyle(style);
    QAbstractItemModel *maps = table(kMaps)->model();
    const auto image = [maps](int row) {
      return maps->index(row, CategoryTableModel::MarkColumn)
          .data(Qt::DecorationRole)
          .value<QIcon>()
          .pixmap(16)
          .toImage();
    };
    identical.push_back(image(0));
    different.push_back(image(1));
  }
  QApplication::setStyle(before);
  EXPECT_EQ(identical[0], identical[1]) << "the information sign is the program's own";
  EXPECT_EQ(different[0], different[1]);
  EXPECT_NE(identical[0], different[0]);
  const QColor middle = identical[0].pixelColor(8, 3);
  EXPECT_GT(middle.blue(), middle.red()) << "an information sign is blue";
}

TEST_F(MainWindowTest, TickBoxesStayVisibleOnADarkPalette) {
  window.tabs()->setCurrentIndex(kMaps);
  CategoryTableView *maps = table(kMaps);
  QPalette dark = maps->palette();
  for (const QPalette::ColorRole role : {QPalette::Base, QPalette::AlternateBase, QPalette::Window})
    dark.setColor(role, QColor(0x2b, 0x2b, 0x2b));
  dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
  maps->setPalette(dark);
  QStyleOptionViewItem option;
  option.initFrom(maps);
  option.rect = maps->visualRect(maps->model()->index(2, CategoryTableModel::TickColumn));
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  const QRect box = maps->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, maps);
  const QImage shown = maps->viewport()->grab().toImage();
  EXPECT_GT(QColor(shown.pixel(box.left(), box.center().y())).lightness(), 80) << "the box's edge shows";
}

} // namespace

namespace {

// Two versions of one map, from two servers: both rows are marked, and the
// Size column's tooltip dates each file so that the newer can be kept.
TEST_F(MainWindowTest, TwoVersionsOfOneMapAreMarkedAndDated) {
  sandbox.writeIndex("[Cache]\nM0=DM-0.ut2\nM1=DM-1.ut2\nN0=dm-0.ut2\n");
  sandbox.writeCachedFile("M0", package("old"));
  sandbox.writeCachedFile("N0", package("new"));
  std::filesystem::last_write_time(sandbox.cachedFile("M0"),
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400));
  window.tabs()->setCurrentIndex(kMaps);
  press(table(kMaps), Qt::Key_F5);
  QAbstractItemModel *maps = table(kMaps)->model();
  const auto size = [maps](int row, int role) { return maps->index(row, CategoryTableModel::SizeColumn).data(role); };
  EXPECT_FALSE(size(0, Qt::DecorationRole).isNull());
  EXPECT_TRUE(size(1, Qt::DecorationRole).isNull()) << "one version only";
  EXPECT_FALSE(size(2, Qt::DecorationRole).isNull()) << "names compared as the game compares them";
  const QString older = size(0, Qt::ToolTipRole).toString(), newer = size(2, Qt::ToolTipRole).toString();
  EXPECT_TRUE(older.startsWith("Downloaded ")) << older.toStdString();
  EXPECT_TRUE(older.contains("One of 2 versions in the cache")) << older.toStdString();
  EXPECT_NE(older.section('\n', 0, 0), newer.section('\n', 0, 0)) << "each is dated";
}

TEST_F(MainWindowTest, ADamagedDownloadIsMarkedInItsRow) {
  sandbox.writeCachedFile("M0", std::string("\xC1\x83\x2A\x9E", 4) + "a map");
  sandbox.writeCachedFile("M1", "<html><body>404 Not Found</body></html>");
  sandbox.writeCachedFile("M2", "");
  window.tabs()->setCurrentIndex(kMaps);
  QAbstractItemModel *maps = table(kMaps)->model();
  const auto tip = [maps](int row) { return maps->index(row, CategoryTableModel::UtNameColumn).data(Qt::ToolTipRole); };
  EXPECT_FALSE(tip(0).toString().contains("Trash")) << "a sound package";
  // Plain words and what to do; the format's terms stay in the details.
  EXPECT_EQ(tip(1).toString().toStdString(), "DM-1.ut2\nThe server sent something else (it begins like a web page): "
                                             "move it to the Trash and the game will download it again");
  EXPECT_EQ(tip(2).toString().toStdString(), "DM-2.ut2\nThe download is empty (it was cut off): move it to the "
                                             "Trash and the game will download it again");
  const QModelIndex mark = maps->index(1, CategoryTableModel::MarkColumn);
  EXPECT_FALSE(mark.data(Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_EQ(mark.data(Qt::AccessibleTextRole).toString(), "Damaged");
  EXPECT_EQ(mark.data(Qt::ToolTipRole), tip(1)) << "the mark says what the name's tooltip does";
  EXPECT_FALSE(tip(3).toString().contains("Trash")) << "a missing file is said to be missing, not damaged";

  // The question counts it, and it stays in the cache unless the player
  // says otherwise.
  press(table(kMaps), Qt::Key_Space);
  press(table(kMaps), Qt::Key_Down);
  press(table(kMaps), Qt::Key_Space);
  QString explanation;
  answerMessageBoxes({[&](QuestionDialog &box) {
    explanation = box.explanation();
    ASSERT_NE(box.choice(kLeaveDamagedText), nullptr);
    EXPECT_TRUE(box.choice(kLeaveDamagedText)->isChecked());
    QTest::keyClick(&box, Qt::Key_Return);
  }});
  press(table(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(explanation.contains("1 of them is a damaged download")) << explanation.toStdString();
  EXPECT_FALSE(exists(sandbox.cachedFile("M0")));
  EXPECT_TRUE(exists(sandbox.cachedFile("M1")));
  EXPECT_NE(readFile(sandbox.cacheFile()).find("M1=DM-1.ut2"), std::string::npos);
  EXPECT_EQ(window.reportLabel()->text(), "Moved 1 package into the game; 1 stayed in the cache");
}

} // namespace

namespace {

TEST_F(MainWindowTest, CopiesAndExportsTheTickedPackagesByKeys) {
  sandbox.writeCachedFile("M0", package("map zero"));
  sandbox.writeCachedFile("M1", "<html><body>502 Bad Gateway</body></html>");
  sandbox.writeCachedFile("X0", package("sky"));
  const std::string shared = sandbox.root() + "/Shared";
  makeFolders(shared + "/Textures");
  writeFile(shared + "/Textures/Sky.utx", "the player's own sky");
  const std::string index = readFile(sandbox.cacheFile());

  window.tabs()->setCurrentIndex(kMaps);
  press(table(kMaps), Qt::Key_Space);
  press(table(kMaps), Qt::Key_Down);
  press(table(kMaps), Qt::Key_Space);
  press(table(kMaps), Qt::Key_PageDown, Qt::ControlModifier);
  for (int step = 0; step < 4; ++step)
    press(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
  ASSERT_EQ(window.tabs()->currentIndex(), kTextures);
  press(table(kTextures), Qt::Key_Space);

  QString question, explanation, replaceQuestion;
  answerMessageBoxes({typingFolder(shared),
                      [&](QuestionDialog &box) {
                        question = box.question();
                        explanation = box.explanation();
                        EXPECT_TRUE(box.choice(kLeaveOutDamagedText)->isChecked());
                        QTest::keyClick(box.choice(kIntoCategoryFoldersText), Qt::Key_Space);
                        QTest::keyClick(&box, Qt::Key_Return);
                      },
                      [&](QMessageBox &box) {
                        replaceQuestion = box.text();
                        QTest::keyClick(&box, Qt::Key_Return); // Keep Them, the default
                      }});
  press(table(kTextures), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(allAnswered());
  EXPECT_EQ(question.toStdString(), "Copy 3 packages (60 bytes) to " + shared + "?");
  EXPECT_TRUE(explanation.contains("1 of them is a damaged download")) << explanation.toStdString();
  EXPECT_EQ(replaceQuestion.toStdString(), "1 file of that name is in " + shared + " already. Replace it?");
  EXPECT_EQ(readFile(shared + "/Maps/DM-0.ut2"), package("map zero"));
  EXPECT_FALSE(exists(shared + "/Maps/DM-1.ut2")) << "the damaged download is left out";
  EXPECT_EQ(readFile(shared + "/Textures/Sky.utx"), "the player's own sky");
  EXPECT_EQ(window.reportLabel()->text(), "Copied 1 package; 2 left out");
  EXPECT_TRUE(window.copiesIntoCategoryFolders()) << "the next copy offers category folders first";

  const std::string redirect = sandbox.root() + "/Redirect";
  makeFolders(redirect);
  answerMessageBoxes({typingFolder(redirect), [&](QuestionDialog &box) {
                        question = box.question();
                        EXPECT_EQ(box.choice(kIntoCategoryFoldersText), nullptr) << "a redirect folder is flat";
                        QTest::keyClick(&box, Qt::Key_Return);
                      }});
  // The window manager gives the window back the keyboard once a dialog
  // closes; the offscreen platform leaves that to the test.
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  press(table(kTextures), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(allAnswered());
  EXPECT_EQ(question.toStdString(), "Export 3 packages (60 bytes) for a redirect server to " + redirect + "?");
  for (const auto &[cacheName, exported] : {std::pair{"M0", "DM-0.ut2.uz2"}, std::pair{"X0", "Sky.utx.uz2"}}) {
    const FileDescriptor uz2(::open((redirect + "/" + exported).c_str(), O_RDONLY | O_CLOEXEC));
    const FileDescriptor source(::open(sandbox.cachedFile(cacheName).c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(uz2.valid()) << exported;
    EXPECT_EQ(checkUz2(uz2.get(), source.get(), readFile(sandbox.cachedFile(cacheName)).size()), 0) << exported;
  }
  EXPECT_FALSE(exists(redirect + "/DM-1.ut2.uz2"));
  EXPECT_EQ(window.reportLabel()->text(), "Exported 2 packages; 1 left out");
  EXPECT_EQ(readFile(sandbox.cacheFile()), index) << "the cache index is not touched";
  EXPECT_TRUE(exists(sandbox.cachedFile("M0")));
}

} // namespace

namespace {

// After a move, the lists are read again with the package that stayed at the
// end; what the user sees, ticks and trashes must be what the filter and the
// sort say, whichever rows the packages now stand in.
class ViewFollowsListsTest : public ::testing::TestWithParam<bool> {
protected:
  ViewFollowsListsTest() {
    const std::string bundle = sandbox.addInstallation("Games");
    sandbox.writeIndex("[Cache]\nJ0=JB-OceanicRuins.ut2\nG0=DM-Goliath.ut2\nA0=DM-Antalus.ut2\nC0=CTF-Face.ut2\n"
                       "R0=DM-Rankin.ut2\n");
    for (const char *name : {"J0", "G0", "A0", "C0", "R0"})
      sandbox.writeCachedFile(name, package(name));
    // A different Goliath is in the game, so the ticked one stays.
    writeFile(bundle + "/Maps/DM-Goliath.ut2", "the server's older version");
    startAndShow(window, platform, controller);
    window.tabs()->setCurrentIndex(kMaps);
  }

  std::vector<QString> shownNames() {
    std::vector<QString> shown;
    QAbstractItemModel *model = window.tableView(kMaps)->model();
    for (int row = 0; row < model->rowCount(); ++row)
      shown.push_back(model->index(row, CategoryTableModel::UtNameColumn).data().toString());
    return shown;
  }
  QString currentName() {
    return window.tableView(kMaps)->currentIndex().siblingAtColumn(CategoryTableModel::UtNameColumn).data().toString();
  }
  // Answers the one dialog the next command shows with Return.
  void confirmNextDialog() {
    auto *timer = new QTimer(&window);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
      if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
          dialog && !qobject_cast<QProgressDialog *>(dialog)) {
        QTest::keyClick(dialog, Qt::Key_Return);
        timer->deleteLater();
      }
    });
    timer->start();
  }

  Sandbox sandbox;
  QtPlatform platform;
  AppController controller{platform, sandbox.locations(), nullptr, std::chrono::milliseconds(0)};
  MainWindow window{controller};
};

TEST_P(ViewFollowsListsTest, AMoveThenTheTrashActOnlyOnTheShownPackages) {
  const bool filtered = GetParam();
  CategoryTableView *maps = window.tableView(kMaps);
  std::vector<QString> expected;
  if (filtered) {
    window.filter()->setFocus();
    QTest::keyClicks(window.filter(), "dm-");
    QTest::keyClick(window.filter(), Qt::Key_Down);
    expected = {"DM-Antalus.ut2", "DM-Rankin.ut2", "DM-Goliath.ut2"};
  } else {
    QHeaderView *header = maps->horizontalHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, Qt::NoModifier,
        QPoint(header->sectionViewportPosition(CategoryTableModel::UtNameColumn) + 5, header->height() / 2));
    ASSERT_EQ(shownNames().front(), "CTF-Face.ut2");
    maps->setFocus();
    QTest::keyClick(maps, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(maps, Qt::Key_Down);
    QTest::keyClick(maps, Qt::Key_Down);
    expected = {"CTF-Face.ut2", "DM-Antalus.ut2", "DM-Goliath.ut2", "DM-Rankin.ut2", "JB-OceanicRuins.ut2"};
  }
  ASSERT_EQ(currentName().toStdString(), "DM-Goliath.ut2");
  QTest::keyClick(maps, Qt::Key_Space);
  confirmNextDialog();
  QTest::keyClick(maps, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(controller.maps.back().utName, "DM-Goliath.ut2") << "the package stayed, at the end of the index";
  // The report of what stayed came up; the user goes back to the window.
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  EXPECT_EQ(shownNames(), expected);
  EXPECT_EQ(window.tabs()->tabText(kMaps), filtered ? "Maps (3 of 5)" : "Maps (5)");
  EXPECT_EQ(currentName().toStdString(), "DM-Goliath.ut2") << "the selection follows the package";
  EXPECT_TRUE(maps->selectionModel()->isRowSelected(maps->currentIndex().row(), QModelIndex()));

  // Tick Shown in Tab ticks what is shown, and nothing else.
  QTest::keyClick(maps, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
  std::vector<std::string> ticked;
  for (const CacheEntry &entry : controller.maps)
    if (entry.selected == 1)
      ticked.push_back(entry.utName);
  EXPECT_EQ(ticked.size(), expected.size());
  QTest::keyClick(maps, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);

  // The Trash takes the selected package, and only its line goes.
  QTest::keyClick(maps, Qt::Key_Space);
  confirmNextDialog();
  QTest::keyClick(maps, Qt::Key_Delete);
  EXPECT_EQ(readFile(sandbox.cacheFile()),
            "[Cache]\nJ0=JB-OceanicRuins.ut2\nA0=DM-Antalus.ut2\nC0=CTF-Face.ut2\nR0=DM-Rankin.ut2\n");
  EXPECT_EQ(readFile(sandbox.home() + "/.local/share/Trash/files/G0.uxx"), package("G0"));
  EXPECT_EQ(readFile(sandbox.cachedFile("J0")), package("J0"));
}

INSTANTIATE_TEST_SUITE_P(FilterOrSort, ViewFollowsListsTest, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "Filtered" : "Sorted"; });

} // namespace

namespace {

// The question before a move of 300,000 ticked packages: the comparing with
// the game's files shows its progress at once, and Cancel there brings the
// question with what was not compared yet, kept by default.
TEST(LargeMoveTest, CancellingTheComparingBringsTheQuestionAtOnce) {
  Sandbox sandbox;
  const std::string bundle = sandbox.addInstallation("Games");
  // The first few have a file of the same size in the game.
  const std::string index = mapsIndex(300'000, "P", [&](const std::string &name, int map) {
    if (map >= 2'000)
      return;
    sandbox.writeCachedFile(name, package("server's " + name));
    writeFile(bundle + "/Maps/DM-" + name + ".ut2", package("player's " + name));
  });
  sandbox.writeIndex(index);
  QtPlatform platform{std::chrono::milliseconds(0)};
  AppController controller{platform, sandbox.locations(), nullptr, std::chrono::milliseconds(0)};
  MainWindow window{controller};
  startAndShow(window, platform, controller);

  bool progressShown = false;
  whenShown(
      &window,
      [] {
        auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        return progress && progress->windowTitle() == "Comparing Packages" ? progress : nullptr;
      },
      [&](QWidget &progress) {
        progressShown = true;
        QTest::keyClick(&progress, Qt::Key_Escape);
      });
  QString explanation, details;
  bool keepChecked = false;
  whenShown(
      &window, [] { return qobject_cast<QuestionDialog *>(QApplication::activeModalWidget()); },
      [&](QWidget &shown) {
        auto &question = static_cast<QuestionDialog &>(shown);
        explanation = question.explanation();
        details = question.details();
        const QCheckBox *keep = question.choice(kKeepDifferentText);
        keepChecked = keep && keep->isChecked();
        QTest::keyClick(&question, Qt::Key_Escape);
      });
  QTest::keyClick(window.tableView(kMaps), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(window.tableView(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);

  EXPECT_TRUE(progressShown);
  // The cancel is seen before the first comparison.
  EXPECT_TRUE(explanation.contains("2,000 of them are in the game already (2,000 not compared yet)"))
      << explanation.toStdString();
  EXPECT_TRUE(details.contains("In the game already:\nMaps/DM-P0.ut2: not compared yet\nMaps/DM-P1.ut2: not "
                               "compared yet\n"))
      << details.left(200).toStdString();
  EXPECT_TRUE(keepChecked) << "what was not compared is kept unless the player says otherwise";
  EXPECT_EQ(readFile(sandbox.cacheFile()), index) << "nothing moved";
}

} // namespace

namespace {

std::string needing(std::initializer_list<const char *> names) {
  PackageWriter writer;
  for (const char *name : names)
    writer.needs(name);
  return writer.bytes();
}

// Maps that need textures and meshes on other tabs; DM-Kept stays in the
// cache throughout.
class NeedsWindowTest : public ::testing::Test {
protected:
  NeedsWindowTest() {
    bundle = sandbox.addInstallation("Games");
    sandbox.writeIndex("[Cache]\nM0=DM-Chain.ut2\nM1=DM-Kept.ut2\nM2=CTF-Other.ut2\nX0=ChainTex.utx\n"
                       "X1=KeptTex.utx\nS0=ChainMeshes.usx\n");
    sandbox.writeCachedFile("M0", needing({"ChainTex", "ChainMeshes"}));
    sandbox.writeCachedFile("M1", needing({"KeptTex"}));
    sandbox.writeCachedFile("M2", needing({}));
    for (const char *name : {"X0", "X1", "S0"})
      sandbox.writeCachedFile(name, needing({}));
    startAndShow(window, platform, controller);
    window.tabs()->setCurrentIndex(kMaps);
  }

  // Types `text` into the filter, goes down to the table and ticks its
  // first row, as a person who knows the map's name.
  void tickFirstShown(const char *text) {
    window.filter()->setFocus();
    QTest::keyClick(window.filter(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.filter(), text);
    QTest::keyClick(window.filter(), Qt::Key_Down);
    QTest::keyClick(window.tableView(kMaps), Qt::Key_Space);
  }
  // Answers the next dialog with `answer`, then waits for the command.
  void answerNext(std::function<void(QDialog &)> answer) {
    auto *timer = new QTimer(&window);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
      if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
          dialog && !qobject_cast<QProgressDialog *>(dialog)) {
        timer->deleteLater();
        answer(*dialog);
      }
    });
    timer->start();
  }
  bool ticked(const std::vector<CacheEntry> &list, const std::string &name) const {
    for (const CacheEntry &entry : list)
      if (entry.utName == name)
        return entry.selected != 0;
    return false;
  }

  Sandbox sandbox;
  std::string bundle;
  QtPlatform platform;
  AppController controller{platform, sandbox.locations(), nullptr, std::chrono::milliseconds(0)};
  MainWindow window{controller};
};

TEST_F(NeedsWindowTest, AMapMovesWithWhatItNeedsAndTheTrashKeepsWhatAKeptMapNeeds) {
  // The question before the move offers the two packages the ticked map
  // needs, checked; they move with it.
  tickFirstShown("chain");
  QString offered;
  answerNext([&](QDialog &dialog) {
    for (QCheckBox *box : dialog.findChildren<QCheckBox *>())
      if (box->text().startsWith("Also move") && box->isChecked())
        offered = box->text();
    QTest::keyClick(&dialog, Qt::Key_Return);
  });
  QTest::keyClick(window.tableView(kMaps), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(offered, "Also move the 2 packages these need (" + QString::number(2 * needing({}).size()) + " bytes)");
  for (const char *moved : {"Maps/DM-Chain.ut2", "Textures/ChainTex.utx", "StaticMeshes/ChainMeshes.usx"})
    EXPECT_TRUE(exists(bundle + "/" + moved)) << moved;
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  // Tick What It Needs on the filtered Maps tab ticks the texture on its
  // own tab, which the filter hides.
  tickFirstShown("dm-kept");
  QTest::keyClick(window.tableView(kMaps), Qt::Key_Space);
  EXPECT_FALSE(ticked(controller.maps, "DM-Kept.ut2"));
  QTest::keyClick(window.tableView(kMaps), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(ticked(controller.textures, "KeptTex.utx"));
  EXPECT_EQ(window.reportLabel()->text(), "Ticked 1 package these need");

  // The Trash, asked to take that texture and another map, names the map
  // that needs it and keeps it.
  tickFirstShown("ctf");
  QString explanation;
  answerNext([&](QDialog &dialog) {
    auto &box = static_cast<QMessageBox &>(dialog);
    explanation = box.informativeText();
    EXPECT_TRUE(box.checkBox() && box.checkBox()->isChecked());
    EXPECT_EQ(box.checkBox()->text(), "Keep the 1 package that kept maps need");
    QTest::keyClick(&dialog, Qt::Key_Return);
  });
  QTest::keyClick(window.tableView(kMaps), Qt::Key_Delete);
  EXPECT_TRUE(explanation.endsWith("DM-Kept.ut2 needs ticked packages: without them, it will not load."))
      << explanation.toStdString();
  EXPECT_FALSE(exists(sandbox.cachedFile("M2")));
  EXPECT_TRUE(exists(sandbox.cachedFile("X1")));
  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nM1=DM-Kept.ut2\nX1=KeptTex.utx\n");
}

} // namespace

namespace {

// The running program answers from a thread of its own, as another process
// would, while this one waits for the answer.
TEST(SingleInstanceTest, ASecondStartBringsTheRunningOneToTheFront) {
  const QString name = QStringLiteral("cache-sorter-test-%1").arg(QCoreApplication::applicationPid());
  EXPECT_FALSE(SingleInstance(name).askRunningToShow(100)) << "nothing runs yet";
  // A socket that a killed program left is taken over.
  writeFile(QFile::encodeName(QDir::tempPath() + "/" + name).toStdString(), "");

  QThread running;
  running.start();
  auto *first = new SingleInstance(name);
  first->moveToThread(&running);
  std::atomic<int> shown = 0;
  bool listening = false;
  QMetaObject::invokeMethod(
      first, [&] { listening = first->listen([&shown] { ++shown; }); }, Qt::BlockingQueuedConnection);
  ASSERT_TRUE(listening);

  EXPECT_TRUE(SingleInstance(name).askRunningToShow(5000));
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(SingleInstance(name).askRunningToShow(5000)) << "and again at the next start";
  EXPECT_EQ(shown, 2);

  // It goes with its thread, as a worker does.
  QObject::connect(&running, &QThread::finished, first, &QObject::deleteLater);
  running.quit();
  running.wait();
  EXPECT_FALSE(SingleInstance(name).askRunningToShow(100)) << "the socket went with the program";
}

} // namespace
