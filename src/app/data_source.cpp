// The eight tables' data source: row counts, cell values and ticks handed in
// from the tick column.
#include "app/app_controller.h"

#include <algorithm>
#include <limits>

namespace {

constexpr const char *kTickHeader = "";
constexpr const char *kUtNameHeader = "UT Name";
constexpr const char *kCacheNameHeader = "Cache Name";

// Whether `row` names an entry of `list`. A table may ask for rows it showed
// before its list got shorter; those answer nothing.
bool holdsRow(const std::vector<CacheEntry> &list, std::int32_t row) {
  return row >= 0 && static_cast<std::size_t>(row) < list.size();
}

} // namespace

std::int32_t AppController::numberOfRowsInTableView(const TableView *table) const {
  const std::vector<CacheEntry> *list = listForTable(table);
  if (!list)
    return 0;
  constexpr auto kMaxRows = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(std::min(list->size(), kMaxRows));
}

std::optional<CellValue> AppController::objectValueForTableColumn(const TableView *table, const TableColumn &column,
                                                                  std::int32_t row) const {
  const std::vector<CacheEntry> *list = listForTable(table);
  if (!list || !holdsRow(*list, row))
    return std::nullopt;
  const CacheEntry &entry = (*list)[static_cast<std::size_t>(row)];
  const std::string header = column.headerText();
  if (header == kTickHeader)
    return CellValue(entry.selected);
  if (header == kUtNameHeader)
    return CellValue(entry.utName);
  if (header == kCacheNameHeader)
    return CellValue(entry.cacheName);
  return std::nullopt;
}

void AppController::setObjectValue(TableView *table, int value, const TableColumn &column, std::int32_t row) {
  std::vector<CacheEntry> *list = listForTable(table);
  if (!list || !holdsRow(*list, row) || column.headerText() != kTickHeader)
    return;
  replaceTick(*list, static_cast<std::size_t>(row), value);
  table->reloadData();
}

void AppController::setTicks(TableView *table, const std::vector<std::int32_t> &rows, int value) {
  std::vector<CacheEntry> *list = listForTable(table);
  if (!list)
    return;
  for (const std::int32_t row : rows) {
    if (holdsRow(*list, row))
      replaceTick(*list, static_cast<std::size_t>(row), value);
  }
  table->reloadData();
}

const CategoryFolders &AppController::gameFolders() const {
  if (!gameFolders_ || gameFolders_->installation() != unrealDir)
    gameFolders_.emplace(unrealDir);
  return *gameFolders_;
}

std::optional<InstalledFile> AppController::installedFile(const TableView *table, std::int32_t row) const {
  const std::size_t index = categoryOfTable(table);
  if (index >= kCategoryCount || !holdsRow(listAt(index), row))
    return std::nullopt;
  return ::installedFile(gameFolders(), index, listAt(index)[static_cast<std::size_t>(row)], cacheDirectory());
}
