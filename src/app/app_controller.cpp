#include "app/app_controller.h"

#include "app/game_layouts.h"
#include "app/installation_search.h"
#include "catalogue/cache_reader.h"
#include "catalogue/tick_carry.h"
#include "posix/paths.h"
#include "relocation/copy_journal.h"
#include "relocation/interrupted_move.h"
#include "relocation/mover.h"
#include "relocation/return_to_cache.h"

#include <array>
#include <set>
#include <utility>

namespace {

using EntryList = std::vector<CacheEntry>;

// The lists and outlets in category order.
constexpr std::array<EntryList AppController::*, kCategoryCount> kLists = {
    &AppController::animations, &AppController::karma,        &AppController::maps,   &AppController::music,
    &AppController::sounds,     &AppController::staticMeshes, &AppController::system, &AppController::textures,
};
constexpr std::array<TableView * AppController::*, kCategoryCount> kTables = {
    &AppController::animationsTable, &AppController::karmaTable,    &AppController::mapsTable,
    &AppController::musicTable,      &AppController::soundsTable,   &AppController::staticMeshesTable,
    &AppController::systemTable,     &AppController::texturesTable,
};

constexpr int kFatalExitStatus = 1;

} // namespace

AppController::AppController(Platform &platform, Locations locations, ChoiceStore *choices,
                             std::chrono::milliseconds reloadDelay)
    : platform_(platform), locations_(std::move(locations)), choices_(choices), reloadDelay_(reloadDelay) {}

AppController::~AppController() = default;

void AppController::awakeFromNib() {
  // Copies out of the cache that a kill cut short leave nothing behind.
  removeCopyLeftovers(locations_.dataHome);
  const ResolvedGame game = resolveGame(rememberedChoices());
  location_ = game.location;
  cacheFile = game.cacheFile;
  unrealDir = game.installation;
  userFolder_ = game.userFolder;
  if (game.macRelease && !location_.gameChosen && !location_.picked) {
    unrealDir.reset();
    getUnrealDirectory();
    if (terminationRequested_)
      return;
  }
  // Nothing found: the window shows where the search looked.
  if (!hasCache())
    return;
  lock_.emplace(cacheDirectory());
  if (lock_->state() == FolderLock::State::HeldElsewhere) {
    failFatally(kAlreadyRunningMessage);
    return;
  }
  finishInterruptedReturn(cacheFile);
  finishInterruptedMove(cacheFile, unrealDir);
  // The Mac release's start-up tells of a missing installation at once;
  // elsewhere the status bar says so, beside the command to choose one.
  if (!unrealDir && game.macRelease)
    platform_.runAlertPanel(kNoInstallationMessage);
  readAllCategories();
}

AppController::ResolvedGame AppController::resolveGame(const ChosenFolders &chosen) {
  ResolvedGame game;
  game.location.picked = !chosen.layout.empty();
  game.location.cacheChosen = chosen.cacheFolder.has_value() && !game.location.picked;
  game.location.gameChosen = chosen.gameFolder.has_value() && !game.location.picked;
  game.installation = chosen.gameFolder;
  const std::string macCache = expandTilde(kCacheFilePath, locations_.homeFolder);
  const auto macRelease = [&] {
    game.location.layout = kMacReleaseLayout;
    game.cacheFile = macCache;
    game.macRelease = true;
    return game;
  };
  // The Mac release's layout comes first and, where its cache is, alone.
  if (!chosen.cacheFolder && somethingAt(macCache))
    return macRelease();
  const LayoutSearch search = searchLayouts(locations_);
  searched_ = search.looked;
  games_ = search.games;
  // The places of the platform the program runs on are listed first: the
  // Mac release's on a Mac, after the others elsewhere.
  const auto macPlace = [](std::vector<std::string> &places) { return kRunsOnMac ? places.begin() : places.end(); };
  searched_.cacheIndexes.insert(macPlace(searched_.cacheIndexes), macCache);
  searched_.gameFolders.insert(macPlace(searched_.gameFolders),
                               locations_.volumesFolder + "/*/Applications/Unreal Tournament 2004.app");
  if (chosen.cacheFolder) {
    game.location.layout = chosen.layout;
    game.cacheFile = *chosen.cacheFolder + "/cache.ini";
    // A picked installation is one the search found: its user folder too.
    for (const FoundGame &found : games_) {
      if (game.location.picked && found.cacheFile == game.cacheFile && found.installation == game.installation)
        game.userFolder = found.userFolder;
    }
    if (!game.installation)
      game.installation =
          search.anyInstallation ? search.anyInstallation : searchInstallation(locations_.volumesFolder).installation;
    return game;
  }
  // On a Mac there is always a volumes folder; the Mac release's start-up
  // then says what is missing, as it always has.
  if (!search.found && somethingAt(locations_.volumesFolder))
    return macRelease();
  if (!search.found)
    return game;
  game.location.layout = search.found->layout;
  game.cacheFile = search.found->cacheFile;
  game.userFolder = search.found->userFolder;
  if (!game.installation)
    game.installation = search.found->installation;
  return game;
}

void AppController::getUnrealDirectory() {
  InstallationSearchResult search = searchInstallation(locations_.volumesFolder);
  if (!search.volumesFolderReadable) {
    failFatally("Could not access mounted volumes");
    return;
  }
  unrealDir = std::move(search.installation);
}

std::optional<std::vector<CacheEntry>> AppController::loadCache(std::string_view category) {
  std::optional<std::vector<CacheEntry>> entries = readCategory(cacheFile, category);
  if (!entries)
    failFatally(kCannotOpenIndex);
  return entries;
}

bool AppController::readAllCategories(const MoveReport *leftBy) {
  std::optional<std::array<std::vector<CacheEntry>, kCategoryCount>> lists = readAllLists(cacheFile);
  if (!lists) {
    failFatally(kCannotOpenIndex);
    return false;
  }
  if (leftBy) {
    // A package that went keeps no tick, even where its line could not go.
    std::set<std::string> went;
    for (const MoveReport::Package &package : leftBy->moved)
      went.insert(package.cacheName);
    for (std::size_t index = 0; index < kCategoryCount; ++index)
      carryTicks(listAt(index), (*lists)[index], went);
  }
  takeLists(std::move(*lists));
  return true;
}

void AppController::takeLists(std::array<std::vector<CacheEntry>, kCategoryCount> &&lists) {
  tellListsWillChange();
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    listAt(index) = std::move(lists[index]);
  if (readingWanted_)
    startReadingPackages(readCallback_);
}

void AppController::tellListsWillChange() {
  // The reading of the old lists' files stops; it starts again on the new.
  reader_.reset();
  finder_.reset();
  neededBy_.reset();
  gameFolders_.reset();
  for (std::optional<PackageVersions> &versions : versions_)
    versions.reset();
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    if (TableView *table = tableAt(index))
      table->listsWillChange();
  }
}

void AppController::reloadAllTables() const {
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    if (TableView *table = tableAt(index))
      table->reloadData();
  }
}

void AppController::failFatally(const std::string &message) {
  platform_.runAlertPanel(message);
  terminationRequested_ = true;
  platform_.terminate(kFatalExitStatus);
}

std::vector<CacheEntry> &AppController::listAt(std::size_t index) { return this->*kLists[index]; }

const std::vector<CacheEntry> &AppController::listAt(std::size_t index) const { return this->*kLists[index]; }

TableView *AppController::tableAt(std::size_t index) const { return this->*kTables[index]; }

std::size_t AppController::categoryOfTable(const TableView *table) const {
  if (!table)
    return kCategoryCount;
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    if (tableAt(index) == table)
      return index;
  }
  return kCategoryCount;
}

const std::vector<CacheEntry> *AppController::listForTable(const TableView *table) const {
  const std::size_t index = categoryOfTable(table);
  return index < kCategoryCount ? &listAt(index) : nullptr;
}

std::vector<CacheEntry> *AppController::listForTable(const TableView *table) {
  return const_cast<std::vector<CacheEntry> *>(std::as_const(*this).listForTable(table));
}

std::string AppController::cacheDirectory() const { return folderOf(cacheFile); }

ListsView AppController::lists() const {
  ListsView view;
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    view[index] = listAt(index);
  return view;
}

std::string AppController::volumesPrefix() const { return locations_.volumesFolder + "/"; }
