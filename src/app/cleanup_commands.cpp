// Cleaning a messy cache: the ticked packages to the Trash, and the lines
// that name no cached file out of the index.
#include "app/app_controller.h"
#include "relocation/discard.h"
#include "relocation/index_cleanup.h"

void AppController::discardTicked() {
  if (terminationRequested_ || !hasCache())
    return;
  const Discarder discarder(
      DiscardSettings{cacheFile, cacheDirectory(), unrealDir, locations_.dataHome},
      DiscardEvents{[this](const std::string &message) { platform_.runAlertPanel(message); },
                    [this](std::size_t count) { return platform_.askDeleteForGood(count); },
                    [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); }});
  const Discarder::Outcome outcome = discarder.run(lists());
  if (outcome.ran && readAllCategories())
    reloadAllTables();
  platform_.endMoveProgress();
  if (outcome.ran && !terminationRequested_)
    platform_.reportMove(outcome.report);
}

std::size_t AppController::countMissingEntries() const {
  return hasCache() ? ::countMissingEntries(lists(), cacheDirectory()) : 0;
}

std::optional<std::string> AppController::removeMissingEntries() {
  if (terminationRequested_ || !hasCache())
    return std::nullopt;
  std::string problem;
  if (!::removeMissingEntries(cacheFile, cacheDirectory(), problem))
    return problem;
  if (readAllCategories())
    reloadAllTables();
  return std::nullopt;
}
