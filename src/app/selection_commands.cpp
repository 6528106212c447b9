// The commands that tick or untick whole lists.
#include "app/app_controller.h"

namespace {

void setEveryTick(std::vector<CacheEntry> &list, int selected) {
  for (std::size_t position = 0; position < list.size(); ++position)
    replaceTick(list, position, selected);
}

} // namespace

void AppController::selectAll() {
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    setEveryTick(listAt(index), 1);
  reloadAllTables();
}

void AppController::untickAll() {
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    setEveryTick(listAt(index), 0);
  reloadAllTables();
}

void AppController::selectAllCurrent() {
  if (!tabView)
    return;
  const int shown = tabView->indexOfSelectedTab();
  if (shown < 0 || static_cast<std::size_t>(shown) >= kCategoryCount)
    return;
  const auto index = static_cast<std::size_t>(shown);
  setEveryTick(listAt(index), 1);
  if (TableView *table = tableAt(index))
    table->reloadData();
}
