#pragma once

#include "app/platform.h"
#include "window/browse_texts.h"
#include "window/header_column.h"
#include "window/package_state.h"

#include "catalogue/cache_entry.h"
#include "catalogue/package_check.h"
#include "relocation/move_preview.h"

#include <QAbstractTableModel>
#include <QIcon>
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
  // The mark says what is known of the package (damaged, in the game…).
  // The title is a map's: the Maps table shows it after the real name, the
  // others hide it.
  enum Column { TickColumn, MarkColumn, UtNameColumn, CacheNameColumn, SizeColumn, TitleColumn, ColumnCount };

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
  // The one mark of the row, and the facts the state menu shows rows by.
  // Each is looked up once per package until forgetFiles().
  PackageMark mark(int row) const;
  bool fileMissing(int row) const;
  bool damaged(int row) const { return isDamaged(condition(row)); }
  // The file the row's package would replace in the game, compared with
  // its cached file.
  const std::optional<InstalledFile> &replacedFile(int row) const;
  // Ticks the entries at `rows`, or unticks them, reloading once.
  void setTicks(const std::vector<int> &rows, bool ticked);

signals:
  void reloaded();
  // The list is about to be read anew; its old entries are still there.
  void listAboutToChange();

private:
  QVariant sizeData(int row, int role) const;
  QVariant markData(int row, int role) const;
  // What the mark column and the real name say of the row when hovered.
  QString markTooltip(int row) const;
  // What the first bytes of the row's cached file say, read once per
  // package until forgetFiles(), and only for the rows painted.
  PackageCondition condition(int row) const;

  AppController &controller_;
  const std::size_t category_;
  PackageSizes &sizes_;
  mutable std::unordered_map<std::string, std::optional<InstalledFile>> replacedFiles_;
  mutable std::unordered_map<std::string, PackageCondition> conditions_;
  // The data source's columns; the mark, the size and the title are the
  // window's own.
  static const HeaderColumn &dataSourceColumn(int column);
  std::array<QIcon, static_cast<std::size_t>(PackageMark::None) + 1> markIcons_;
  int shownRows_ = 0;
  // The list was read anew since the last reload: every row may be another
  // entry, so the rows are built again even when their count is the same.
  bool listChanged_ = false;
};
