#pragma once

#include "app/platform.h"
#include "window/browse_texts.h"
#include "window/header_column.h"

#include "catalogue/cache_entry.h"
#include "catalogue/package_check.h"
#include "relocation/move_preview.h"

#include <QAbstractTableModel>
#include <QPixmap>
#include <unordered_map>

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
  // The title is a map's: the Maps table shows it after the real name, the
  // others hide it.
  enum Column { TickColumn, UtNameColumn, CacheNameColumn, SizeColumn, TitleColumn, ColumnCount };

  // `sizes` looks up the cached files of the rows painted.
  CategoryTableModel(AppController &controller, std::size_t category, PackageSizes &sizes, QObject *parent);

  void reloadData() override;
  void listsWillChange() override;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role) override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The entry shown at `row`, or nullptr.
  const CacheEntry *entryAt(int row) const;
  // The size of the row's cached file, looked up once; nothing when it is
  // missing.
  std::optional<std::uint64_t> cachedSize(int row) const;
  // A map's title as the background reading learnt it; empty until then.
  std::string title(int row) const;
  // The files on disk may have changed: what was looked up is looked up
  // again.
  void forgetFiles();
  // Ticks the entries at `rows`, or unticks them, reloading once.
  void setTicks(const std::vector<int> &rows, bool ticked);

signals:
  void reloaded();
  // The list is about to be read anew; its old entries are still there.
  void listAboutToChange();

private:
  // The file the row's package would replace in the game, looked up and
  // compared once per package until forgetFiles().
  const std::optional<InstalledFile> &replacedFile(int row) const;
  QVariant sizeData(int row, int role) const;
  static QPixmap blankIcon();
  bool fileMissing(int row) const;
  // What the first bytes of the row's cached file say, read once per
  // package until forgetFiles(), and only for the rows painted.
  PackageCondition condition(int row) const;

  AppController &controller_;
  const std::size_t category_;
  PackageSizes &sizes_;
  mutable std::unordered_map<std::string, std::optional<InstalledFile>> replacedFiles_;
  mutable std::unordered_map<std::string, PackageCondition> conditions_;
  // The data source's columns; the size is the window's own.
  const std::array<HeaderColumn, SizeColumn> columns_{HeaderColumn(""), HeaderColumn("UT Name"),
                                                      HeaderColumn("Cache Name")};
  int shownRows_ = 0;
  // The list was read anew since the last reload: every row may be another
  // entry, so the rows are built again even when their count is the same.
  bool listChanged_ = false;
};
