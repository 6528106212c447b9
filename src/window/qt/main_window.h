#pragma once

#include "app/platform.h"
#include "window/browse_texts.h"
#include "window/qt/move_report_window.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>

class AppController;
class CategoryFilterModel;
class CategoryTableModel;
class QLineEdit;
class CategoryTableView;
class QAction;
class QtPlatform;
class QLabel;
class QPushButton;
class QTabWidget;
struct MovePreview;

// The one window: a tab per category, each with its table, and the command
// buttons with their menu actions and shortcuts.
class MainWindow final : public QMainWindow, public TabView {
  Q_OBJECT

public:
  explicit MainWindow(AppController &controller, QWidget *parent = nullptr);

  // Sets the controller's outlets to this window's tables and tab view.
  void connectOutlets();
  // Makes `platform` put its alerts and progress over this window and hand it
  // the reports of moves.
  void connectPlatform(QtPlatform &platform);
  // Makes every table fetch its rows, as when the window is first shown.
  void reloadAllTables();

  int indexOfSelectedTab() const override;

  // Asks the user to confirm a move of what is ticked, then moves. With
  // nothing ticked, or no installation, it moves at once.
  void requestMove();
  // The move itself, confirmed: the tables hold still and the cursor is busy
  // until it ends.
  void moveConfirmed();
  // Shows in the status bar what a move did, with the details a click away.
  void showMoveReport(const MoveReport &report);
  void showMoveReportDetails();
  void showAbout();

  QTabWidget *tabs() const { return tabs_; }
  QLineEdit *filter() const { return filter_; }
  QLabel *tabCounts() const { return tabCounts_; }
  QLabel *tickedTotals() const { return tickedTotals_; }
  QLabel *installation() const { return installation_; }
  QLabel *reportLabel() const { return reportLabel_; }
  QPushButton *detailsButton() const { return detailsButton_; }
  MoveReportWindow *reportWindow() const { return reportWindow_; }
  CategoryTableView *tableView(int category) const { return views_[static_cast<std::size_t>(category)]; }

protected:
  // Escape in the filter clears it; Return or Down goes on to the table.
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void applyFilter(const QString &text);
  // The status bar is brought up to date once the event loop is idle, so
  // that a command that changes many ticks repaints first.
  void scheduleStatus();
  void updateStatus();
  QAction *addCommand(const QString &text, const QKeySequence &shortcut, const std::function<void()> &command);
  void buildMenus();
  void updateTabLabel(int category);
  void switchTab(int step);
  // Gives the shown tab's table the focus, with a current row when it has
  // rows.
  void focusShownTable();
  bool confirmMove(const MovePreview &preview);

  AppController &controller_;
  QTabWidget *tabs_ = nullptr;
  std::array<CategoryTableModel *, 8> models_{};
  std::array<CategoryFilterModel *, 8> filters_{};
  QLineEdit *filter_ = nullptr;
  QLabel *tabCounts_ = nullptr;
  QLabel *tickedTotals_ = nullptr;
  QLabel *installation_ = nullptr;
  QTimer statusTimer_;
  PackageSizes sizes_;
  std::array<CategoryTableView *, 8> views_{};
  QAction *tickAllAction_ = nullptr;
  QAction *tickTabAction_ = nullptr;
  QAction *untickAllAction_ = nullptr;
  QAction *findAction_ = nullptr;
  QAction *moveAction_ = nullptr;
  QLabel *reportLabel_ = nullptr;
  QPushButton *detailsButton_ = nullptr;
  std::optional<MoveReport> lastReport_;
  QPointer<MoveReportWindow> reportWindow_;
};
