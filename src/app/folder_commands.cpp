// The folders the user chooses by hand, and going back to the search.
#include "app/app_controller.h"

#include "app/installation_search.h"
#include "catalogue/cache_reader.h"
#include "posix/paths.h"
#include "relocation/interrupted_move.h"
#include "relocation/return_to_cache.h"

ChosenFolders AppController::rememberedChoices() const {
  if (!choices_)
    return {};
  ChosenFolders chosen = choices_->load();
  // A folder that has gone or changed since is passed over, not refused:
  // the search stands in for it until the user chooses again.
  if (chosen.cacheFolder && cacheFolderProblem(*chosen.cacheFolder))
    chosen.cacheFolder.reset();
  if (chosen.gameFolder && gameFolderProblem(*chosen.gameFolder))
    chosen.gameFolder.reset();
  // A picked installation is both of its folders or nothing.
  if (!chosen.layout.empty() && (!chosen.cacheFolder || !chosen.gameFolder))
    chosen = ChosenFolders{};
  return chosen;
}

void AppController::remember(const ChosenFolders &chosen) {
  if (choices_)
    choices_->save(chosen);
}

std::optional<std::string> AppController::chooseCacheFolder(const std::string &folder) {
  if (std::optional<std::string> problem = cacheFolderProblem(folder))
    return problem;
  if (std::optional<std::string> problem = switchCache(folder + "/cache.ini"))
    return problem;
  location_.layout.clear();
  userFolder_.clear();
  location_.cacheChosen = true;
  location_.gameChosen = location_.gameChosen || location_.picked;
  location_.picked = false;
  if (!unrealDir)
    unrealDir = resolveGame(ChosenFolders{folder, std::nullopt, {}}).installation;
  ChosenFolders chosen = byHand();
  chosen.cacheFolder = folder;
  remember(chosen);
  reloadAllTables();
  return std::nullopt;
}

std::optional<std::string> AppController::chooseGameFolder(const std::string &folder) {
  if (std::optional<std::string> problem = gameFolderProblem(folder))
    return problem;
  unrealDir = folder;
  location_.gameChosen = true;
  location_.cacheChosen = location_.cacheChosen || location_.picked;
  location_.picked = false;
  ChosenFolders chosen = byHand();
  chosen.gameFolder = folder;
  remember(chosen);
  return std::nullopt;
}

ChosenFolders AppController::byHand() const {
  ChosenFolders chosen = choices_ ? choices_->load() : ChosenFolders{};
  // Choosing one folder by hand keeps the other folder of a picked
  // installation, as a choice of its own.
  chosen.layout.clear();
  return chosen;
}

bool AppController::inUse(const FoundGame &game) const {
  return hasCache() && game.cacheFile == cacheFile && game.installation == unrealDir;
}

std::optional<std::string> AppController::chooseGame(const FoundGame &game) {
  if (!game.installation)
    return std::nullopt;
  if (std::optional<std::string> problem = gameFolderProblem(*game.installation))
    return problem;
  const std::optional<std::string> before = unrealDir;
  // An interrupted move in the new cache is finished into its own game.
  unrealDir = game.installation;
  if (std::optional<std::string> problem = switchCache(game.cacheFile)) {
    unrealDir = before;
    return problem;
  }
  location_ = GameLocation{game.layout, false, false, true};
  userFolder_ = game.userFolder;
  remember(ChosenFolders{folderOf(game.cacheFile), game.installation, game.layout});
  reloadAllTables();
  return std::nullopt;
}

std::optional<std::string> AppController::forgetChosenFolders() {
  remember(ChosenFolders{});
  ResolvedGame game = resolveGame(ChosenFolders{});
  if (game.macRelease)
    game.installation = searchInstallation(locations_.volumesFolder).installation;
  unrealDir = game.installation;
  location_ = game.location;
  userFolder_ = game.userFolder;
  std::optional<std::string> problem;
  if (game.cacheFile.empty() || (game.cacheFile != cacheFile && (problem = switchCache(game.cacheFile))))
    dropCache();
  reloadAllTables();
  return problem;
}

std::optional<std::string> AppController::reloadLists() {
  if (!hasCache())
    return std::nullopt;
  std::optional<std::string> problem = switchCache(cacheFile);
  reloadAllTables();
  return problem;
}

std::optional<std::string> AppController::switchCache(const std::string &indexPath) {
  const std::string folder = folderOf(indexPath);
  std::optional<FolderLock> lock;
  // Locking the folder this controller holds already would fail against
  // its own lock.
  if (!lock_ || !lock_->holds(folder)) {
    lock.emplace(folder);
    if (lock->state() == FolderLock::State::HeldElsewhere)
      return std::string(kAlreadyRunningMessage);
  }
  finishInterruptedReturn(indexPath);
  finishInterruptedMove(indexPath, unrealDir);
  std::optional<std::array<std::vector<CacheEntry>, kCategoryCount>> lists = readAllLists(indexPath);
  if (!lists)
    return std::string(kCannotOpenIndex);
  if (lock)
    lock_ = std::move(lock);
  cacheFile = indexPath;
  takeLists(std::move(*lists));
  return std::nullopt;
}

void AppController::dropCache() {
  lock_.reset();
  cacheFile.clear();
  tellListsWillChange();
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    listAt(index).clear();
}
