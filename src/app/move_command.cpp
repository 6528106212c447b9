// The move command, as the window sees it: the Mover does the work on the
// lists; the controller then reads them anew and has the tables show them.
#include "app/app_controller.h"
#include "app/game_process.h"
#include "relocation/mover.h"
#include "relocation/same_volume.h"

#include <sys/stat.h>

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
  // The packages the ticked ones need move as if ticked, in the lists'
  // order; the user's ticks stay as they were.
  std::optional<Lists> withNeeds;
  if (choices.alsoMoveNeeds && !(withNeeds = tickedWithNeeds()))
    return;
  const MoveOutcome outcome = mover.run(withNeeds ? viewOf(*withNeeds) : lists());
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
  MovePreview preview =
      ::previewMove(lists(), cacheDirectory(), unrealDir,
                    PreviewEvents{[this](const MoveProgress &progress) { platform_.showMoveProgress(progress); },
                                  [this] { return platform_.moveCancelled(); }});
  platform_.endMoveProgress();
  // Stopped while comparing, the user wants the question, not more reading.
  if (preview.notLookedAt > 0)
    preview.needsStopped = true;
  else if (preview.packages > 0)
    addNeeds(preview);
  return preview;
}

void AppController::addNeeds(MovePreview &preview) const {
  const EntriesNeeds needs = neededByTicked();
  preview.needsStopped = needs.stopped;
  preview.needed = needs.cached.size();
  for (const EntryPlace &place : needs.cached) {
    struct stat info {};
    if (::stat(needFinder().cachedFile(place).c_str(), &info) == 0)
      preview.neededBytes += static_cast<std::uint64_t>(info.st_size);
  }
  for (const auto &[place, names] : needs.missing) {
    std::string line = listAt(place.category)[place.row].utName + ":";
    for (std::size_t index = 0; index < names.size(); ++index)
      line += (index == 0 ? " " : ", ") + names[index];
    preview.missingNeeds.push_back(std::move(line));
  }
  for (const EntryPlace &place : tickedEntries()) {
    const CacheEntry &entry = listAt(place.category)[place.row];
    const std::optional<PackageFacts> facts = knowledge_->knownAt(needFinder().cachedFile(place));
    if (facts && facts->readable && !cacheNameIsGuid(entry.cacheName, facts->guid))
      ++preview.notTheirPackage;
  }
}

bool AppController::gameRunning() const { return ::gameRunning(locations_.processFolder); }

bool AppController::sameVolume(const std::string &first, const std::string &second) const {
  return pathsShareVolume(first, second, volumesPrefix());
}
