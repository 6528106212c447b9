#include "app/app_controller.h"

#include "app/installation_search.h"
#include "catalogue/cache_reader.h"
#include "posix/paths.h"
#include "relocation/interrupted_move.h"
#include "relocation/mover.h"

#include <array>
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
constexpr const char *kCannotOpenIndex = "Could not open cache file";

} // namespace

AppController::AppController(Platform &platform, Locations locations, std::chrono::milliseconds reloadDelay)
    : platform_(platform), locations_(std::move(locations)), reloadDelay_(reloadDelay) {}

AppController::~AppController() = default;

void AppController::awakeFromNib() {
  cacheFile = expandTilde(kCacheFilePath, locations_.homeFolder);
  unrealDir.reset();
  getUnrealDirectory();
  if (terminationRequested_)
    return;
  lock_.emplace(cacheDirectory());
  if (lock_->state() == FolderLock::State::HeldElsewhere) {
    failFatally(kAlreadyRunningMessage);
    return;
  }
  finishInterruptedMove(cacheFile, unrealDir);
  if (!unrealDir)
    platform_.runAlertPanel(kNoInstallationMessage);
  readAllCategories();
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

bool AppController::readAllCategories() {
  std::optional<std::array<std::vector<CacheEntry>, kCategoryCount>> lists = readAllLists(cacheFile);
  if (!lists) {
    failFatally(kCannotOpenIndex);
    return false;
  }
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    listAt(index) = std::move((*lists)[index]);
  return true;
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
