#include "window/qt/category_table_view.h"

#include "window/qt/category_filter_model.h"
#include "window/qt/category_table_model.h"
#include "window/qt/tick_box_delegate.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <set>

CategoryTableView::CategoryTableView(CategoryFilterModel *model, QWidget *parent) : QTableView(parent), model_(model) {
  setModel(model);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  // Names keep their start and their ending, which tells the kind.
  setTextElideMode(Qt::ElideMiddle);
  setItemDelegate(new TickBoxDelegate(this));
  setAlternatingRowColors(true);
  setShowGrid(false);
  // Tab leaves the table for the next control rather than moving by cell.
  setTabKeyNavigation(false);

  QHeaderView *rows = verticalHeader();
  rows->setVisible(false);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 8);

  QHeaderView *columns = horizontalHeader();
  columns->setHighlightSections(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  columns->setSectionResizeMode(CategoryTableModel::TickColumn, QHeaderView::Fixed);
  columns->resizeSection(CategoryTableModel::TickColumn, 32);
  columns->setSectionResizeMode(CategoryTableModel::MarkColumn, QHeaderView::Fixed);
  columns->resizeSection(CategoryTableModel::MarkColumn, style()->pixelMetric(QStyle::PM_SmallIconSize) + 12);
  // The real names take the room; the coded names are 32 hex digits.
  columns->setSectionResizeMode(CategoryTableModel::UtNameColumn, QHeaderView::Stretch);
  columns->setSectionResizeMode(CategoryTableModel::CacheNameColumn, QHeaderView::Interactive);
  connect(columns, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
    // A hidden column is resized to nothing, by the table and not the user,
    // whenever the list is read anew.
    if (fitting_ || size == 0 || isColumnHidden(column))
      return;
    cacheNameSizedByUser_ = cacheNameSizedByUser_ || column == CategoryTableModel::CacheNameColumn;
    titleSizedByUser_ = titleSizedByUser_ || column == CategoryTableModel::TitleColumn;
  });
  columns->setSectionResizeMode(CategoryTableModel::SizeColumn, QHeaderView::Interactive);
  columns->resizeSection(CategoryTableModel::SizeColumn,
                         fontMetrics().horizontalAdvance(QStringLiteral("999 MiB")) + 24);
  // Only the Maps table shows titles, after the real names.
  columns->moveSection(columns->visualIndex(CategoryTableModel::TitleColumn), CategoryTableModel::CacheNameColumn);
  columns->setSectionResizeMode(CategoryTableModel::TitleColumn, QHeaderView::Interactive);
  setColumnHidden(CategoryTableModel::TitleColumn, true);
  fitNameColumns();
  columns->setSectionsClickable(true);
  connect(columns, &QHeaderView::sectionClicked, this, &CategoryTableView::cycleSort);
  connect(model->categoryModel(), &CategoryTableModel::listAboutToChange, this,
          &CategoryTableView::rememberSelectedPackages);
  connect(model, &QAbstractItemModel::modelReset, this, &CategoryTableView::restoreSelectedPackages);
  connect(model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &first) {
    // Rows keep their places while ticks change, so a sort by the ticks no
    // longer holds: its arrow goes, and a click sorts anew.
    if (sortColumn_ == CategoryTableModel::TickColumn && first.column() == CategoryTableModel::TickColumn) {
      sortColumn_ = -1;
      horizontalHeader()->setSortIndicatorShown(false);
    }
  });
}

void CategoryTableView::showTitles() {
  // Shown, the column is resized, though not by the user.
  fitting_ = true;
  setColumnHidden(CategoryTableModel::TitleColumn, false);
  fitting_ = false;
  fitNameColumns();
}

void CategoryTableView::fitNameColumns() {
  // The real names keep the most room, since they say the game mode; then
  // the titles, then the cache names, which are 32 hex digits that few
  // read whole.
  const bool titles = !isColumnHidden(CategoryTableModel::TitleColumn);
  const int width = viewport()->width();
  const auto fit = [&](int column, int whole, int room) {
    fitting_ = true;
    horizontalHeader()->resizeSection(column, room > 0 ? std::min(whole, room) : whole);
    fitting_ = false;
  };
  // In a narrow table the titles give way first: a tooltip holds each.
  const int titleRoom = width >= fontMetrics().horizontalAdvance(QString(80, QLatin1Char('n'))) ? width / 5 : width / 8;
  if (titles && !titleSizedByUser_)
    fit(CategoryTableModel::TitleColumn, fontMetrics().horizontalAdvance(QString(20, QLatin1Char('n'))), titleRoom);
  if (cacheNameSizedByUser_)
    return;
  // What is left beside a real name of 24 letters; at the least a few
  // digits of each cache name, and never more than the real names get.
  const int others = columnWidth(CategoryTableModel::TickColumn) + columnWidth(CategoryTableModel::MarkColumn) +
                     columnWidth(CategoryTableModel::SizeColumn) +
                     (titles ? columnWidth(CategoryTableModel::TitleColumn) : 0);
  const int realNames = fontMetrics().horizontalAdvance(QString(24, QLatin1Char('n'))) + 24;
  const int least =
      std::min(fontMetrics().horizontalAdvance(QString(3, QLatin1Char('D'))) + 24, std::max(0, width - others) / 2);
  const int cacheRoom = std::max(least, std::min(titles ? width / 4 : width * 2 / 5, width - others - realNames));
  fit(CategoryTableModel::CacheNameColumn, fontMetrics().horizontalAdvance(QString(32, QLatin1Char('D'))) + 24,
      cacheRoom);
}

void CategoryTableView::resizeEvent(QResizeEvent *event) {
  QTableView::resizeEvent(event);
  fitNameColumns();
}

void CategoryTableView::setPlaceholderText(const QString &text) {
  if (text == placeholder_)
    return;
  placeholder_ = text;
  viewport()->update();
}

void CategoryTableView::cycleSort(int column) {
  if (column != sortColumn_) {
    sortColumn_ = column;
    sortOrder_ = Qt::AscendingOrder;
  } else if (sortOrder_ == Qt::AscendingOrder) {
    sortOrder_ = Qt::DescendingOrder;
  } else {
    sortColumn_ = -1;
  }
  horizontalHeader()->setSortIndicatorShown(sortColumn_ >= 0);
  horizontalHeader()->setSortIndicator(sortColumn_, sortOrder_);
  // Column -1 puts the rows back in index order.
  model_->sort(sortColumn_, sortOrder_);
}

void CategoryTableView::rememberSelectedPackages() {
  remembered_.clear();
  rememberedCurrent_.reset();
  const CategoryTableModel *source = model_->categoryModel();
  for (const int row : selectedSourceRows()) {
    if (const CacheEntry *entry = source->entryAt(row))
      remembered_.insert(PackageKey::of(*entry));
  }
  if (currentIndex().isValid()) {
    rememberedColumn_ = currentIndex().column();
    if (const CacheEntry *entry = source->entryAt(model_->mapToSource(currentIndex()).row()))
      rememberedCurrent_ = PackageKey::of(*entry);
  }
}

void CategoryTableView::restoreSelectedPackages() {
  if (remembered_.empty() && !rememberedCurrent_)
    return;
  const CategoryTableModel *source = model_->categoryModel();
  QItemSelection selection;
  QModelIndex current;
  int runStart = -1; // the first row of the selected rows just passed
  const auto endRun = [&](int end) {
    if (runStart >= 0)
      selection.select(model_->index(runStart, 0), model_->index(end - 1, CategoryTableModel::ColumnCount - 1));
    runStart = -1;
  };
  for (int row = 0; row < model_->rowCount(); ++row) {
    const CacheEntry *entry = source->entryAt(model_->mapToSource(model_->index(row, 0)).row());
    const std::optional<PackageKey> key = entry ? std::optional(PackageKey::of(*entry)) : std::nullopt;
    if (key && remembered_.count(*key) > 0) {
      if (runStart < 0)
        runStart = row;
    } else {
      endRun(row);
    }
    if (!current.isValid() && key && rememberedCurrent_ && *key == *rememberedCurrent_)
      current = model_->index(row, rememberedColumn_);
  }
  endRun(model_->rowCount());
  remembered_.clear();
  rememberedCurrent_.reset();
  if (current.isValid()) {
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    scrollTo(current);
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CategoryTableView::toggleSelectedTicks() {
  const std::vector<int> rows = selectedSourceRows();
  if (rows.empty())
    return;
  CategoryTableModel *source = model_->categoryModel();
  bool anyUnticked = false;
  for (const int row : rows) {
    const CacheEntry *entry = source->entryAt(row);
    anyUnticked = anyUnticked || (entry && entry->selected != 1);
  }
  source->setTicks(rows, anyUnticked);
}

std::vector<int> CategoryTableView::selectedSourceRows() const {
  std::set<int> rows;
  for (const QModelIndex &index : selectionModel()->selectedRows())
    rows.insert(model_->mapToSource(index).row());
  if (rows.empty() && currentIndex().isValid())
    rows.insert(model_->mapToSource(currentIndex()).row());
  return {rows.begin(), rows.end()};
}

void CategoryTableView::copySelectedNames(bool cacheNames) const {
  const int column = cacheNames ? CategoryTableModel::CacheNameColumn : CategoryTableModel::UtNameColumn;
  QStringList names;
  for (const QModelIndex &index : selectionModel()->selectedRows(column))
    names << index.data().toString();
  if (names.isEmpty() && currentIndex().isValid())
    names << currentIndex().siblingAtColumn(column).data().toString();
  if (!names.isEmpty())
    QGuiApplication::clipboard()->setText(names.join(QLatin1Char('\n')));
}

void CategoryTableView::contextMenuEvent(QContextMenuEvent *event) {
  const QModelIndex clicked = indexAt(viewport()->mapFromGlobal(event->globalPos()));
  if (clicked.isValid() && !selectionModel()->isRowSelected(clicked.row(), QModelIndex()))
    selectionModel()->setCurrentIndex(clicked, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  const std::vector<int> rows = selectedSourceRows();
  if (rows.empty())
    return;
  CategoryTableModel *source = model_->categoryModel();
  // Tick while any of the rows is not ticked, as Space does.
  const bool allTicked = std::all_of(rows.begin(), rows.end(), [source](int row) {
    const CacheEntry *entry = source->entryAt(row);
    return entry && entry->selected == 1;
  });
  QMenu menu(this);
  menu.addAction(allTicked ? QStringLiteral("&Untick") : QStringLiteral("&Tick"), this,
                 [source, rows, allTicked] { source->setTicks(rows, !allTicked); });
  menu.addAction(QStringLiteral("Tick What It &Needs"), this, [this] { emit tickNeedsRequested(); });
  menu.addSeparator();
  menu.addActions(rowCommands_);
  menu.addSeparator();
  menu.addAction(QStringLiteral("Copy Name"), this, [this] { copySelectedNames(false); });
  menu.addAction(QStringLiteral("Copy Cache Name"), this, [this] { copySelectedNames(true); });
  menu.addSeparator();
  menu.addAction(QStringLiteral("Show Cached File"), this, [this] { emit showFolderRequested(false); });
  menu.addAction(QStringLiteral("Show in the Game Folder"), this, [this] { emit showFolderRequested(true); });
  menu.addSeparator();
  menu.addAction(QStringLiteral("Put Back into the Cache…"), this, [this, rows] { emit putBackRequested(rows); });
  menu.exec(event->globalPos());
}

void CategoryTableView::keyPressEvent(QKeyEvent *event) {
  const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  const bool toggles =
      plain && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter);
  if (toggles) {
    toggleSelectedTicks();
    event->accept();
    return;
  }
  // Shift+F10 opens the row menu, as the menu key does.
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    const QPoint at = currentIndex().isValid() ? visualRect(currentIndex()).center() : QPoint(0, 0);
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
    contextMenuEvent(&menuEvent);
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    copySelectedNames();
    event->accept();
    return;
  }
  const bool tabSwitch = (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
                         event->modifiers().testFlag(Qt::ControlModifier);
  if (tabSwitch) {
    // Left to the tab widget around the table, which switches tabs with it.
    event->ignore();
    return;
  }
  QTableView::keyPressEvent(event);
}

void CategoryTableView::mouseDoubleClickEvent(QMouseEvent *event) {
  // A double-click ticks or unticks the row, as Return does.
  if (indexAt(event->position().toPoint()).isValid()) {
    toggleSelectedTicks();
    event->accept();
    return;
  }
  QTableView::mouseDoubleClickEvent(event);
}

void CategoryTableView::mousePressEvent(QMouseEvent *event) {
  QTableView::mousePressEvent(event);
  // A click on a tick box makes its row current too.
  const QModelIndex clicked = indexAt(event->position().toPoint());
  if (clicked.isValid() && currentIndex().row() != clicked.row())
    selectionModel()->setCurrentIndex(clicked, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CategoryTableView::paintEvent(QPaintEvent *event) {
  QTableView::paintEvent(event);
  if (model_->rowCount() > 0 || placeholder_.isEmpty())
    return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(viewport()->rect(), Qt::AlignCenter, placeholder_);
}
