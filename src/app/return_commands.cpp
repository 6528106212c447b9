// Packages in the game put back into the cache: undoing the last move.
#include "app/app_controller.h"
#include "relocation/return_to_cache.h"

namespace {

constexpr const char *kQuitTheGameFirst =
    "Quit Unreal Tournament 2004 first: it may have the packages to put back open.";

} // namespace

bool AppController::canUndoMove() const { return hasCache() && !lastMove_.empty() && lastMoveCache_ == cacheFile; }

void AppController::undoMove() {
  if (!canUndoMove())
    return;
  if (gameRunning()) {
    platform_.runAlertPanel(kQuitTheGameFirst);
    return;
  }
  // Undone once: what stays in the game is the player's to move again.
  const std::vector<ReturnedPackage> packages = std::move(lastMove_);
  lastMove_.clear();
  returnPackages(packages);
}

void AppController::returnPackages(const std::vector<ReturnedPackage> &packages) {
  const ReturnSettings settings{
      cacheFile, cacheDirectory(),
      [this](const std::string &gameFile, const std::string &cache) { return sameVolume(gameFile, cache); },
      [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); }};
  const ReturnOutcome outcome = returnToCache(packages, settings);
  if (outcome.problem)
    platform_.runAlertPanel(*outcome.problem);
  const bool read = readAllCategories();
  platform_.endMoveProgress();
  if (!read)
    return;
  reloadAllTables();
  platform_.reportMove(outcome.report);
}
