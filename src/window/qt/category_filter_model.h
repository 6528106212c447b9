#pragma once

#include "catalogue/cache_entry.h"
#include "window/package_state.h"

#include <QSortFilterProxyModel>

#include <string>

class CategoryTableModel;

// What a category's table shows of its list: the entries whose names hold
// the filter text and that are in the state asked for, in index order or
// sorted by a column. It changes the view
// only; every request still reaches the data source by list position.
class CategoryFilterModel final : public QSortFilterProxyModel {
  Q_OBJECT

public:
  CategoryFilterModel(CategoryTableModel *source, QObject *parent);

  void setFilterText(const std::string &text);
  void setStateFilter(StateFilter state);
  bool filtered() const { return !filter_.empty() || state_ != StateFilter::All; }
  CategoryTableModel *categoryModel() const { return source_; }

protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
  bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
  bool inState(int sourceRow, const CacheEntry &entry) const;

  CategoryTableModel *source_;
  std::string filter_;
  StateFilter state_ = StateFilter::All;
};
