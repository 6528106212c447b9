#pragma once

#include "window/qt/package_key.h"

#include <QTableView>

#include <optional>
#include <vector>

class CategoryFilterModel;
class QAction;

// A category's table: fixed row heights so that a list of any length stays
// quick; many rows selected with Shift and Ctrl, and Space ticking or
// unticking them together; a click on a column's header sorting by it, a
// second reversing, a third going back to index order; and a short text in
// place of a bare grid when it shows no rows.
class CategoryTableView final : public QTableView {
  Q_OBJECT

signals:
  // The folder of the selected row's cached file, or of its file in the
  // game, is asked for in the file manager.
  void showFolderRequested(bool inTheGame);
  // Tick What It Needs, from the row menu.
  void tickNeedsRequested();
  // Put Back into the Cache, from the row menu: the selected rows' files in
  // the game go back into the cache.
  void putBackRequested(const std::vector<int> &rows);

public:
  CategoryTableView(CategoryFilterModel *model, QWidget *parent);

  // The window's commands on the ticked packages (Move, Trash, the
  // copies), offered in the row menu after the ticks.
  void setRowCommands(const QList<QAction *> &commands) { rowCommands_ = commands; }
  void setPlaceholderText(const QString &text);
  const QString &placeholderText() const { return placeholder_; }
  // The list positions of the selected rows, or of the current one.
  std::vector<int> selectedSourceRows() const;
  // Shows the maps' titles after the real names.
  void showTitles();

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  // The cache names' column is as wide as 32 hex digits, but never more than
  // two fifths of the table (a quarter beside titles), and the titles' a
  // fifth, so that the real names keep the room in a narrow or scaled
  // window; a column the user has sized stays.
  void fitNameColumns();
  void toggleSelectedTicks();
  // Ctrl+C: the real names of the selected rows, a line each; with
  // `cacheNames`, their cache names.
  void copySelectedNames(bool cacheNames = false) const;
  void cycleSort(int column);
  // Across a reading of the lists anew, the selection and the current row
  // follow the packages, not the row numbers.
  void rememberSelectedPackages();
  void restoreSelectedPackages();

  CategoryFilterModel *model_;
  QString placeholder_;
  QList<QAction *> rowCommands_; // owned by the window
  bool cacheNameSizedByUser_ = false;
  bool titleSizedByUser_ = false;
  bool fitting_ = false;
  PackageKeys remembered_;
  std::optional<PackageKey> rememberedCurrent_;
  int rememberedColumn_ = 0;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
