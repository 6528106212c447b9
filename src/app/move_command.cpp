// The move command, as the window sees it: the Mover does the work on the
// lists; the controller then reads them anew and has the tables show them.
#include "app/app_controller.h"
#include "app/game_process.h"
#include "relocation/mover.h"
#include "relocation/same_volume.h"

void AppController::moveFiles() { moveFiles(MoveChoices{}); }

void AppController::moveFiles(const MoveChoices &choices) {
  if (terminationRequested_)
    return;
  const Mover mover(MoveSettings{cacheFile, cacheDirectory(), unrealDir,
                                 [this](const std::string &destination, const std::string &source) {
                                   return sameVolume(destination, source);
                                 },
                                 choices.keepDifferentFiles, choices.leaveDamaged},
                    MoveEvents{[this](const std::string &message) { platform_.runAlertPanel(message); },
                               [this](const std::string &message, const std::string &detail) {
                                 platform_.runMoveAlert(message, detail);
                               },
                               [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); },
                               [this] { return platform_.moveCancelled(); }});
  const MoveOutcome outcome = mover.run(lists());
  if (!outcome.ran) {
    platform_.endMoveProgress();
    return;
  }
  // Gives the file system a moment before the index is read back.
  platform_.waitBeforeReload(reloadDelay_);
  const bool read = readAllCategories();
  platform_.endMoveProgress();
  if (!read)
    return;
  reloadAllTables();
  platform_.reportMove(outcome.report);
}

MovePreview AppController::previewMove() const {
  const MovePreview preview =
      ::previewMove(lists(), cacheDirectory(), unrealDir,
                    PreviewEvents{[this](const MoveProgress &progress) { platform_.showMoveProgress(progress); },
                                  [this] { return platform_.moveCancelled(); }});
  platform_.endMoveProgress();
  return preview;
}

bool AppController::gameRunning() const { return ::gameRunning(locations_.processFolder); }

bool AppController::sameVolume(const std::string &first, const std::string &second) const {
  return pathsShareVolume(first, second, volumesPrefix());
}
