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

void CategoryFilterModel::setStateFilter(StateFilter state) {
  if (state == state_)
    return;
  state_ = state;
  invalidate();
}

bool CategoryFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const {
  if (!filtered())
    return true;
  const CacheEntry *entry = source_->entryAt(sourceRow);
  if (!entry || !inState(sourceRow, *entry))
    return false;
  return filter_.empty() || matchesFilter(*entry, filter_, source_->title(sourceRow));
}

bool CategoryFilterModel::inState(int sourceRow, const CacheEntry &entry) const {
  // Each state asks only what it needs: a look at the disk only for the
  // states that are on the disk.
  switch (state_) {
  case StateFilter::All:
    return true;
  case StateFilter::Ticked:
    return entry.selected == 1;
  case StateFilter::Missing:
    return source_->fileMissing(sourceRow);
  case StateFilter::Damaged:
    return source_->damaged(sourceRow);
  case StateFilter::IdenticalInGame:
  case StateFilter::DiffersInGame: {
    const std::optional<InstalledFile> &replaced = source_->replacedFile(sourceRow);
    return replaced && replaced->identical == (state_ == StateFilter::IdenticalInGame);
  }
  }
  return false;
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
  case CategoryTableModel::MarkColumn: {
    // What asks for attention first; unmarked rows last.
    const PackageMark firstMark = source_->mark(left.row());
    const PackageMark secondMark = source_->mark(right.row());
    if (firstMark != secondMark)
      return firstMark < secondMark;
    break;
  }
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
