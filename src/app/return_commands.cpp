// Packages in the game put back into the cache: undoing the last move, and
// any package the player picks, as the download the game would find.
#include "app/app_controller.h"
#include "catalogue/category.h"
#include "package/package_reader.h"
#include "posix/paths.h"
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

std::vector<std::string> AppController::gameFilesOfRows(const TableView *table,
                                                        const std::vector<std::int32_t> &rows) const {
  std::vector<std::string> files;
  for (const std::int32_t row : rows) {
    if (const std::optional<InstalledFile> installed = installedFile(table, row))
      files.push_back(installed->path);
  }
  return files;
}

std::optional<std::string> AppController::putBackProblem(const std::string &gameFile, std::size_t &category) const {
  const std::string leaf = gameFile.substr(folderOf(gameFile).size() + 1);
  const Category *kind = categoryOfLine(leaf);
  if (!kind)
    return std::string("Stayed in the game: its name ends in no package's ending");
  category = static_cast<std::size_t>(kind - kCategories.data());
  // Only from the folders the game reads its packages from.
  const std::string folder = folderOf(gameFile);
  const bool inGame = folder == gameFolders().folder(category) ||
                      (!userFolder_.empty() && folder == userFolder_ + "/" + std::string(kind->name));
  if (!inGame)
    return "Stayed: it is not in the game's " + std::string(kind->name) + " folder";
  return std::nullopt;
}

void AppController::putBackIntoCache(const std::vector<std::string> &gameFiles) {
  if (!hasCache())
    return;
  if (gameRunning()) {
    platform_.runAlertPanel(kQuitTheGameFirst);
    return;
  }
  std::vector<ReturnedPackage> packages;
  std::vector<MoveReport::Package> refused;
  for (const std::string &gameFile : gameFiles) {
    const std::string leaf = gameFile.substr(folderOf(gameFile).size() + 1);
    std::size_t category = 0;
    if (std::optional<std::string> problem = putBackProblem(gameFile, category)) {
      refused.push_back({leaf, "", std::move(*problem), false});
      continue;
    }
    // Under its GUID, as the game keeps the download it is.
    const PackageRead read = readPackage(gameFile);
    if (!read.tables) {
      refused.push_back(
          {leaf, "", "Stayed in the game: not a package the game can read (" + read.unreadable + ")", false});
      continue;
    }
    packages.push_back({category, read.tables->header.guid.text(), leaf, gameFile, std::nullopt});
  }
  returnPackages(packages, refused);
}

void AppController::returnPackages(const std::vector<ReturnedPackage> &packages,
                                   const std::vector<MoveReport::Package> &refused) {
  const ReturnSettings settings{
      cacheFile, cacheDirectory(),
      [this](const std::string &gameFile, const std::string &cache) { return sameVolume(gameFile, cache); },
      [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); }};
  ReturnOutcome outcome = returnToCache(packages, settings);
  outcome.report.stayed.insert(outcome.report.stayed.end(), refused.begin(), refused.end());
  if (outcome.problem)
    platform_.runAlertPanel(*outcome.problem);
  readAgainAndReport(outcome.report);
}
