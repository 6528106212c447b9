#pragma once

#include "app/platform.h"
#include "catalogue/category.h"
#include "window/browse_texts.h"
#include "window/qt/folder_choice_flow.h"
#include "window/qt/move_flow.h"
#include "window/qt/move_report_window.h"
#include "window/qt/side_tabs.h"
#include "window/qt/status_bar_presenter.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>

class AppController;
class CategoryFilterModel;
class CategoryTableModel;
class QLineEdit;
class QComboBox;
class QHBoxLayout;
class CategoryTableView;
class QAction;
class QtPlatform;
class QLabel;
class QPushButton;

class QHBoxLayout;
class QStackedWidget;
class CleanupFlow;
class KeepDownloadsAction;
class PutBackFlow;
class InstallArchiveFlow;
class CopyOutFlow;
class EmptyCachePage;
class MoveReportWindow;
class NeedsPresenter;
class DetailsPane;
class DetailsPresenter;
class QSplitter;

// The one window: a tab per category, each with its table, the command
// buttons with their menu actions and shortcuts, the filter, and the status
// bar. The move's flow and the status bar's contents are classes of their
// own.
class MainWindow final : public QMainWindow, public TabView {
  Q_OBJECT

public:
  explicit MainWindow(AppController &controller, QWidget *parent = nullptr);

  // Sets the controller's outlets to this window's tables and tab view.
  void connectOutlets();
  // Makes `platform` put its alerts and progress over this window and hand it
  // the reports of moves.
  void connectPlatform(QtPlatform &platform);
  // Makes every table fetch its rows, as when the window is first shown,
  // and shows the tables, or where the search looked when there is no cache.
  void reloadAllTables();
  // Says in the status bar which settings files start-up passed over: the
  // search's, and `settingsFile` (empty, or "<path>: <why>").
  void showPassedOverFiles(const QString &settingsFile);

  int indexOfSelectedTab() const override;

  // Starts reading what the cache's packages need, once the event loop
  // has painted the window.
  void startReadingPackages();
  // Ticks what the shown table's selected packages need, on every tab.
  void tickWhatSelectedNeed();

  void requestMove() { moveFlow_->request(); }
  void moveConfirmed() { moveFlow_->moveConfirmed(); }
  void showAbout();

  // Whether Copy to Folder offers category folders first.
  bool copiesIntoCategoryFolders() const;
  void setCopiesIntoCategoryFolders(bool into);
  SideTabs *tabs() const { return tabs_; }
  QLineEdit *filter() const { return filter_; }
  QComboBox *stateMenu() const { return stateMenu_; }
  QLabel *tabCounts() const { return status_->tabCounts(); }
  QLabel *tickedTotals() const { return status_->tickedTotals(); }
  QLabel *location() const { return status_->location(); }
  QLabel *purging() const { return status_->purging(); }
  EmptyCachePage *emptyPage() const { return emptyPage_; }
  bool showsTables() const;
  FolderChoiceFlow *folderChoices() const { return folderChoices_; }
  InstallArchiveFlow *installArchive() const { return installArchive_; }
  CleanupFlow *cleanup() const { return cleanup_; }
  QLabel *reportLabel() const { return status_->reportLabel(); }
  QPushButton *detailsButton() const { return status_->detailsButton(); }
  MoveReportWindow *reportWindow() const { return moveFlow_->reportWindow(); }
  CategoryTableView *tableView(int category) const { return views_[static_cast<std::size_t>(category)]; }
  NeedsPresenter *needs() const { return needs_; }
  DetailsPane *detailsPane() const { return detailsPane_; }
  DetailsPresenter *details() const { return details_; }
  QSplitter *splitter() const { return splitter_; }
  QAction *detailsAction() const { return detailsAction_; }
  // Shows or hides the details pane, as View > Details Pane does.
  void setDetailsShown(bool shown);
  // The pane's width as the user left it, which it takes where the window
  // leaves room for it.
  void setDetailsWidth(int width);
  int detailsWidth() const { return detailsWidth_; }

protected:
  // Escape in the filter clears it; Return or Down goes on to the table.
  bool eventFilter(QObject *watched, QEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;

private:
  QWidget *buildBrowsePage(QWidget *parent);
  QSplitter *buildSplitter(QWidget *parent);
  // Gives the pane its width, within what the window leaves it.
  void fitDetailsPane();
  // The shown tab's model and the list position of its current row (-1 for
  // none).
  std::pair<CategoryTableModel *, int> shownRow() const;
  QHBoxLayout *buildFilterLine(QWidget *parent);
  SideTabs *buildTabs(QWidget *parent);
  void buildCommands();
  QHBoxLayout *buildButtons(QWidget *parent);
  void applyFilter();
  // Ticks the rows of `category` that the filter shows.
  void tickShownRows(std::size_t category);
  std::size_t tickedHiddenByFilter() const;
  QAction *addCommand(const QString &text, const QKeySequence &shortcut, const std::function<void()> &command);
  void buildMenus();
  void updateTabLabel(int category);
  // The tables with their commands, or the empty page.
  void showCacheOrSearch();
  // Move and Move to Trash, with their buttons, only while something is
  // ticked.
  void updateTickCommands();
  // The cache or the game changed on disk: sizes, missing files and the
  // files in the game are looked up again.
  void forgetFiles();
  // Entries of the eight lists, for the notes of commands that read them.
  std::size_t packageCount() const;
  void switchTab(int step);
  // Gives the shown tab's table the focus, with a current row when it has
  // rows.
  void focusShownTable();

  AppController &controller_;
  // The cached files' sizes, and which are missing, looked up as the tables
  // paint rows and the status bar counts the ticked ones.
  PackageSizes sizes_;
  SideTabs *tabs_ = nullptr;
  std::array<CategoryTableModel *, kCategoryCount> models_{};
  std::array<CategoryFilterModel *, kCategoryCount> filters_{};
  QLineEdit *filter_ = nullptr;
  QComboBox *stateMenu_ = nullptr;
  std::array<CategoryTableView *, kCategoryCount> views_{};
  QAction *tickAllAction_ = nullptr;
  QAction *tickTabAction_ = nullptr;
  QAction *untickAllAction_ = nullptr;
  QAction *findAction_ = nullptr;
  QAction *moveAction_ = nullptr;
  QAction *chooseCacheAction_ = nullptr;
  QAction *chooseGameAction_ = nullptr;
  QAction *forgetAction_ = nullptr;
  QAction *undoMoveAction_ = nullptr;
  QAction *putBackAction_ = nullptr;
  PutBackFlow *putBack_ = nullptr;
  QAction *installAction_ = nullptr;
  InstallArchiveFlow *installArchive_ = nullptr;
  KeepDownloadsAction *keepDownloadsAction_ = nullptr;
  QAction *openCacheAction_ = nullptr;
  QAction *openGameAction_ = nullptr;
  QAction *reloadAction_ = nullptr;
  QStackedWidget *pages_ = nullptr;
  QWidget *browsePage_ = nullptr;
  EmptyCachePage *emptyPage_ = nullptr;
  FolderChoiceFlow *folderChoices_ = nullptr;
  CleanupFlow *cleanup_ = nullptr;
  CopyOutFlow *copyOut_ = nullptr;
  QAction *copyAction_ = nullptr;
  QAction *exportAction_ = nullptr;
  QAction *trashAction_ = nullptr;
  QAction *removeMissingAction_ = nullptr;
  QAction *tickNeedsAction_ = nullptr;
  StatusBarPresenter *status_ = nullptr;
  MoveFlow *moveFlow_ = nullptr;
  NeedsPresenter *needs_ = nullptr;
  QSplitter *splitter_ = nullptr;
  DetailsPane *detailsPane_ = nullptr;
  DetailsPresenter *details_ = nullptr;
  QAction *detailsAction_ = nullptr;
  int detailsWidth_ = 300;
};
