#include "window/qt/category_table_model.h"

#include "app/app_controller.h"
#include "window/qt/display_text.h"

CategoryTableModel::CategoryTableModel(AppController &controller, QObject *parent)
    : QAbstractTableModel(parent), controller_(controller) {}

void CategoryTableModel::reloadData() {
  const int rows = controller_.numberOfRowsInTableView(this);
  if (rows == shownRows_) {
    // Same rows: repaint in place, keeping the current row and the scroll
    // position.
    if (rows > 0)
      emit dataChanged(index(0, 0), index(rows - 1, ColumnCount - 1));
  } else {
    beginResetModel();
    shownRows_ = rows;
    endResetModel();
  }
  emit reloaded();
}

int CategoryTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : shownRows_; }

int CategoryTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant CategoryTableModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid())
    return {};
  const bool tickColumn = index.column() == TickColumn;
  if (tickColumn ? role != Qt::CheckStateRole : (role != Qt::DisplayRole && role != Qt::ToolTipRole))
    return {};
  const std::optional<CellValue> value =
      controller_.objectValueForTableColumn(this, columns_[index.column()], index.row());
  if (!value)
    return {};
  if (const int *selected = std::get_if<int>(&*value))
    return *selected == 1 ? Qt::Checked : Qt::Unchecked;
  return displayText(std::get<std::string>(*value));
}

bool CategoryTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (!index.isValid() || index.column() != TickColumn || role != Qt::CheckStateRole)
    return false;
  const bool checked = value.toInt() == Qt::Checked;
  controller_.setObjectValue(this, checked ? 1 : 0, columns_[TickColumn], index.row());
  return true;
}

Qt::ItemFlags CategoryTableModel::flags(const QModelIndex &index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == TickColumn)
    flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant CategoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
    return {};
  return QString::fromStdString(columns_[section].headerText());
}

void CategoryTableModel::toggleTick(int row) {
  const QModelIndex tick = index(row, TickColumn);
  if (!tick.isValid())
    return;
  const bool checked = data(tick, Qt::CheckStateRole).toInt() == Qt::Checked;
  setData(tick, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}
