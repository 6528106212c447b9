#pragma once

#include "app/platform.h"
#include "window/header_column.h"

#include "catalogue/cache_entry.h"

#include <QAbstractTableModel>
#include <QHash>

#include <array>
#include <optional>
#include <string>
#include <vector>

class AppController;

// Adapts one category's table to Qt's model/view: every request goes to the
// controller's data source. Like the controller's tables, the model reports
// the row count it last fetched until reloadData() is called.
class CategoryTableModel final : public QAbstractTableModel, public TableView {
  Q_OBJECT

public:
  enum Column { TickColumn, UtNameColumn, CacheNameColumn, ColumnCount };

  CategoryTableModel(AppController &controller, std::size_t category, QObject *parent);

  void reloadData() override;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role) override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The entry shown at `row`, or nullptr.
  const CacheEntry *entryAt(int row) const;
  // Ticks the entries at `rows`, or unticks them, reloading once.
  void setTicks(const std::vector<int> &rows, bool ticked);

signals:
  void reloaded();

private:
  // The file the row's package would replace in the game, looked up once per
  // row until the next reload.
  std::optional<QString> replacedFile(int row) const;

  AppController &controller_;
  const std::size_t category_;
  mutable QHash<int, std::optional<QString>> replacedFiles_;
  const std::array<HeaderColumn, ColumnCount> columns_{HeaderColumn(""), HeaderColumn("UT Name"),
                                                       HeaderColumn("Cache Name")};
  int shownRows_ = 0;
};
