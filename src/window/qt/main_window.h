#pragma once

#include "window/surface.h"

#include <QMainWindow>

#include <array>
#include <functional>

class AppController;
class CategoryTableModel;
class CategoryTableView;
class QAction;
class QTabWidget;

// The one window: a tab per category, each with its table, and the command
// buttons with their menu actions and shortcuts.
class MainWindow final : public QMainWindow, public TabView {
  Q_OBJECT

public:
  explicit MainWindow(AppController &controller, QWidget *parent = nullptr);

  // Sets the controller's outlets to this window's tables and tab view.
  void connectOutlets();
  // Makes every table fetch its rows, as when the window is first shown.
  void reloadAllTables();

  int indexOfSelectedTab() const override;

  QTabWidget *tabs() const { return tabs_; }
  CategoryTableView *tableView(int category) const { return views_[static_cast<std::size_t>(category)]; }

private:
  QAction *addCommand(const QString &text, const QKeySequence &shortcut, const std::function<void()> &command);
  void buildMenus();
  void updateTabLabel(int category);
  void switchTab(int step);

  AppController &controller_;
  QTabWidget *tabs_ = nullptr;
  std::array<CategoryTableModel *, 8> models_{};
  std::array<CategoryTableView *, 8> views_{};
  QAction *tickAllAction_ = nullptr;
  QAction *tickTabAction_ = nullptr;
  QAction *moveAction_ = nullptr;
};
