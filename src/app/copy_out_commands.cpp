// Copying the ticked packages out of the cache: for sharing, a backup, or a
// redirect server. The cache and its index stay as they are, so the lists
// are not read again.
#include "app/app_controller.h"
#include "relocation/move_plan.h"

CopyOutPreview AppController::previewCopyOut(CopyOutSettings settings, bool withNeeds) const {
  settings.cacheDirectory = cacheDirectory();
  std::optional<Lists> needed;
  if (withNeeds && !(needed = tickedWithNeeds()))
    return {};
  return ::previewCopyOut(collectAllTicked(needed ? viewOf(*needed) : lists()), settings);
}

void AppController::copyTickedOut(CopyOutSettings settings, bool withNeeds) {
  if (terminationRequested_ || !hasCache())
    return;
  std::optional<Lists> needed;
  if (withNeeds && !(needed = tickedWithNeeds()))
    return;
  settings.cacheDirectory = cacheDirectory();
  settings.dataHome = locations_.dataHome;
  const MoveReport report =
      copyOut(collectAllTicked(needed ? viewOf(*needed) : lists()), settings,
              CopyOutEvents{[this](const MoveProgress &progress) { platform_.showMoveProgress(progress); },
                            [this] { return platform_.moveCancelled(); }});
  platform_.endMoveProgress();
  platform_.reportMove(report);
}
