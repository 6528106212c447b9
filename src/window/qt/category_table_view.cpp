#include "window/qt/category_table_view.h"

#include "window/qt/category_table_model.h"

#include <QHeaderView>
#include <QKeyEvent>

CategoryTableView::CategoryTableView(CategoryTableModel *model, QWidget *parent) : QTableView(parent), model_(model) {
  setModel(model);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  setAlternatingRowColors(true);
  setShowGrid(false);

  QHeaderView *rows = verticalHeader();
  rows->setVisible(false);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 8);

  QHeaderView *columns = horizontalHeader();
  columns->setHighlightSections(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  columns->setSectionResizeMode(CategoryTableModel::TickColumn, QHeaderView::Fixed);
  columns->resizeSection(CategoryTableModel::TickColumn, 32);
  columns->setSectionResizeMode(CategoryTableModel::UtNameColumn, QHeaderView::Interactive);
  columns->resizeSection(CategoryTableModel::UtNameColumn, 340);
  columns->setSectionResizeMode(CategoryTableModel::CacheNameColumn, QHeaderView::Stretch);
}

void CategoryTableView::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
    model_->toggleTick(currentIndex().row());
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
