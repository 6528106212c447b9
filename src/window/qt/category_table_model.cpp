#include "window/qt/category_table_model.h"

#include "app/app_controller.h"
#include "window/qt/display_text.h"

#include <QApplication>
#include <QStyle>

CategoryTableModel::CategoryTableModel(AppController &controller, std::size_t category, QObject *parent)
    : QAbstractTableModel(parent), controller_(controller), category_(category) {}

std::optional<QString> CategoryTableModel::replacedFile(int row) const {
  const auto known = replacedFiles_.constFind(row);
  if (known != replacedFiles_.constEnd())
    return *known;
  std::optional<QString> replaced;
  if (const std::optional<std::string> path = controller_.existingDestination(this, row))
    replaced = shownName(*path);
  replacedFiles_.insert(row, replaced);
  return replaced;
}

void CategoryTableModel::reloadData() {
  replacedFiles_.clear();
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
  if (!tickColumn && index.column() == UtNameColumn && (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
    if (const std::optional<QString> replaced = replacedFile(index.row())) {
      if (role == Qt::DecorationRole)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
      return QStringLiteral("Replaces %1").arg(*replaced);
    }
  }
  if (tickColumn ? role != Qt::CheckStateRole : (role != Qt::DisplayRole && role != Qt::ToolTipRole))
    return {};
  const std::optional<CellValue> value =
      controller_.objectValueForTableColumn(this, columns_[index.column()], index.row());
  if (!value)
    return {};
  if (const int *selected = std::get_if<int>(&*value))
    return *selected == 1 ? Qt::Checked : Qt::Unchecked;
  return shownName(std::get<std::string>(*value));
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
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
    return {};
  // The tick column's header is empty; a screen reader says what it is.
  if (role == Qt::AccessibleTextRole && section == TickColumn)
    return QStringLiteral("Ticked");
  if (role != Qt::DisplayRole)
    return {};
  return QString::fromStdString(columns_[section].headerText());
}

const CacheEntry *CategoryTableModel::entryAt(int row) const {
  const std::vector<CacheEntry> &list = controller_.listAt(category_);
  if (row < 0 || row >= shownRows_ || row >= std::ssize(list))
    return nullptr;
  return &list[static_cast<std::size_t>(row)];
}

void CategoryTableModel::setTicks(const std::vector<int> &rows, bool ticked) {
  controller_.setTicks(this, std::vector<std::int32_t>(rows.begin(), rows.end()), ticked ? 1 : 0);
}
