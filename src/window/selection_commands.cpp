// The two commands that tick whole lists.
#include "app/app_controller.h"

namespace {

void tickEveryEntry(std::vector<CacheEntry> &list) {
  for (std::size_t position = 0; position < list.size(); ++position)
    replaceTick(list, position, 1);
}

} // namespace

void AppController::selectAll() {
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    tickEveryEntry(listAt(index));
  reloadAllTables();
}

void AppController::selectAllCurrent() {
  if (!tabView)
    return;
  const int shown = tabView->indexOfSelectedTab();
  if (shown < 0 || static_cast<std::size_t>(shown) >= kCategoryCount)
    return;
  const auto index = static_cast<std::size_t>(shown);
  tickEveryEntry(listAt(index));
  if (TableView *table = tableAt(index))
    table->reloadData();
}
