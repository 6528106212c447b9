#include "window/qt/category_filter_model.h"

#include "window/browse_texts.h"
#include "window/qt/category_table_model.h"

CategoryFilterModel::CategoryFilterModel(CategoryTableModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), source_(source) {
  setSourceModel(source);
  // Rows stay where they are while their ticks change; a sort or a filter
  // is applied when it is asked for, and again at a reload.
  setDynamicSortFilter(false);
}

void CategoryFilterModel::setFilterText(const std::string &text) {
  if (text == filter_)
    return;
  filter_ = text;
  // Builds the rows anew in one pass: quicker on long lists than taking
  // out and putting back each row that changes.
  invalidate();
}

bool CategoryFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const {
  if (filter_.empty())
    return true;
  const CacheEntry *entry = source_->entryAt(sourceRow);
  return entry && matchesFilter(*entry, filter_, source_->title(sourceRow));
}

bool CategoryFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const {
  const CacheEntry *first = source_->entryAt(left.row());
  const CacheEntry *second = source_->entryAt(right.row());
  if (!first || !second)
    return left.row() < right.row();
  switch (left.column()) {
  case CategoryTableModel::TickColumn:
    // Ticked first; within each group, index order.
    if ((first->selected == 1) != (second->selected == 1))
      return first->selected == 1;
    break;
  case CategoryTableModel::SizeColumn: {
    // Missing files sort before the smallest.
    const std::optional<std::uint64_t> firstSize = source_->cachedSize(left.row());
    const std::optional<std::uint64_t> secondSize = source_->cachedSize(right.row());
    if (firstSize != secondSize)
      return firstSize < secondSize;
    break;
  }
  case CategoryTableModel::TitleColumn: {
    // Maps without a title sort after those with one.
    const std::string firstTitle = source_->title(left.row());
    const std::string secondTitle = source_->title(right.row());
    if (firstTitle.empty() != secondTitle.empty())
      return !firstTitle.empty();
    if (firstTitle != secondTitle)
      return namesInOrder(firstTitle, secondTitle);
    break;
  }
  case CategoryTableModel::UtNameColumn:
    if (first->utName != second->utName)
      return namesInOrder(first->utName, second->utName);
    break;
  default:
    if (first->cacheName != second->cacheName)
      return namesInOrder(first->cacheName, second->cacheName);
    break;
  }
  return sortOrder() == Qt::AscendingOrder ? left.row() < right.row() : left.row() > right.row();
}
