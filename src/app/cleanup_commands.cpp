// Cleaning a messy cache: the ticked packages to the Trash, and the lines
// that name no cached file out of the index.
#include "app/app_controller.h"
#include "relocation/discard.h"
#include "relocation/index_cleanup.h"

#include <array>

void AppController::discardTicked() { discardTicked(false); }

void AppController::discardTicked(bool keepNeeded) {
  if (terminationRequested_ || !hasCache())
    return;
  // The packages kept maps need stay as if not ticked; the user's ticks stay.
  std::array<std::vector<CacheEntry>, kCategoryCount> keeping;
  ListsView discarding = lists();
  if (keepNeeded) {
    const NeededByKept needed = neededByKeptMaps();
    if (needed.stopped)
      return;
    for (std::size_t category = 0; category < kCategoryCount; ++category)
      keeping[category] = listAt(category);
    for (const EntryPlace &place : needed.needed)
      keeping[place.category][place.row].selected = 0;
    for (std::size_t category = 0; category < kCategoryCount; ++category)
      discarding[category] = keeping[category];
  }
  const Discarder discarder(
      DiscardSettings{cacheFile, cacheDirectory(), unrealDir, locations_.dataHome},
      DiscardEvents{[this](const std::string &message) { platform_.runAlertPanel(message); },
                    [this](std::size_t count) { return platform_.askDeleteForGood(count); },
                    [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); }});
  const Discarder::Outcome outcome = discarder.run(discarding);
  if (outcome.ran && readAllCategories(&outcome.report))
    reloadAllTables();
  platform_.endMoveProgress();
  if (outcome.ran && !terminationRequested_)
    platform_.reportMove(outcome.report);
}

std::size_t AppController::countMissingEntries() const {
  return hasCache() ? ::countMissingEntries(lists(), cacheDirectory()) : 0;
}

AppController::RemovedEntries AppController::removeMissingEntries() {
  if (terminationRequested_ || !hasCache())
    return {};
  std::string problem;
  const std::optional<std::size_t> removed = ::removeMissingEntries(cacheFile, cacheDirectory(), problem);
  if (!removed)
    return {0, std::move(problem)};
  const MoveReport nothingTaken;
  if (readAllCategories(&nothingTaken))
    reloadAllTables();
  return {*removed, std::nullopt};
}
