// The move command, as the window sees it: the Mover does the work on the
// lists; the controller then reads them anew and has the tables show them.
#include "app/app_controller.h"
#include "app/game_process.h"
#include "app/game_settings.h"
#include "posix/paths.h"
#include "relocation/mover.h"
#include "relocation/same_volume.h"
#include "relocation/settings_edit.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr const char *kGameSettingsFile = "System/UT2004.ini";
constexpr const char *kQuitTheGameFirst =
    "Quit Unreal Tournament 2004 first: it writes its settings when it quits, over the lines that tell it where "
    "your packages are.";
// Why Music and KarmaData packages stay when the rest go to the user's own
// folders.
constexpr const char *kReadFromTheGameAlone = "Kept: the game reads these only from its own folder";

} // namespace

void AppController::moveFiles() { moveFiles(MoveChoices{}); }

void AppController::moveFiles(const MoveChoices &choices) {
  if (terminationRequested_)
    return;
  MoveSettings settings;
  settings.indexPath = cacheFile;
  settings.cacheDirectory = cacheDirectory();
  settings.installation = unrealDir;
  settings.sameVolume = [this](const std::string &destination, const std::string &source) {
    return sameVolume(destination, source);
  };
  settings.keepDifferentFiles = choices.keepDifferentFiles;
  settings.leaveDamaged = choices.leaveDamaged;
  if (choices.intoOwnFolder && !prepareOwnFolder(settings))
    return;
  const Mover mover(std::move(settings),
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
  MoveOutcome outcome = mover.run(withNeeds ? viewOf(*withNeeds) : lists());
  if (!outcome.ran) {
    platform_.endMoveProgress();
    return;
  }
  if (!outcome.placed.empty()) {
    lastMove_ = std::move(outcome.placed);
    lastMoveCache_ = cacheFile;
  }
  // Gives the file system a moment before the index is read back.
  platform_.waitBeforeReload(reloadDelay_);
  readAgainAndReport(outcome.report);
}

void AppController::readAgainAndReport(const MoveReport &report) {
  const bool read = readAllCategories(&report);
  platform_.endMoveProgress();
  if (!read)
    return;
  reloadAllTables();
  platform_.reportMove(report);
}

std::optional<std::string> AppController::ownPackageFolder() const {
  if (userFolder_.empty() || !unrealDir || userFolder_ == *unrealDir || folderWriteError(userFolder_) != 0 ||
      !plainFileSize(userFolder_ + "/" + kGameSettingsFile))
    return std::nullopt;
  return userFolder_;
}

bool AppController::prepareOwnFolder(MoveSettings &settings) {
  const std::optional<std::string> own = ownPackageFolder();
  if (!own)
    return false;
  // The game writes its settings when it quits, over the lines added now.
  if (gameRunning()) {
    platform_.runAlertPanel(kQuitTheGameFirst);
    return false;
  }
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    if (!foundThroughPaths(category)) {
      settings.keptCategories[category] = kReadFromTheGameAlone;
      continue;
    }
    const std::string folder = *own + "/" + std::string(kCategories[category].name);
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
      platform_.runAlertPanel("Could not make " + folder + " (" + std::strerror(errno) + ")");
      return false;
    }
  }
  if (const std::optional<std::string> problem =
          addCoreSystemLines(*own + "/" + kGameSettingsFile, pathsLinesFor(*own), locations_.dataHome)) {
    platform_.runAlertPanel("Could not tell the game about " + *own + ": " + *problem);
    return false;
  }
  settings.installation = *own;
  settings.ownFolder = true;
  return true;
}

MovePreview AppController::previewMove(bool intoOwnFolder) const {
  MovePreview preview =
      ::previewMove(lists(), cacheDirectory(), intoOwnFolder ? ownPackageFolder() : unrealDir,
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
