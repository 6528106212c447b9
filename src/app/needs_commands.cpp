// What the packages need, as the window asks it: read in the background
// after the window shows, and read now, with the move's progress, where a
// command needs an answer not known yet.
#include "app/app_controller.h"
#include "app/game_search.h"
#include "app/game_settings.h"
#include "posix/directory_handle.h"
#include "posix/folded_names.h"

#include <set>
#include <sys/stat.h>

namespace {

// Bounds the listing of the game's Maps folder.
constexpr std::size_t kMaxGameMaps = 1 << 16;

bool isTicked(const CacheEntry &entry) { return entry.selected == 1; }

// The map files in the game's Maps folder.
std::vector<std::string> gameMapFiles(const std::string &installation) {
  std::vector<std::string> files;
  const std::optional<std::string> folder = findFolderNamed(installation, kCategories[kMapsCategory].name);
  if (!folder)
    return files;
  const std::string path = installation + "/" + *folder;
  const DirectoryHandle listing = openDirectory(path);
  std::size_t seen = 0;
  while (listing && seen++ < kMaxGameMaps) {
    const dirent *entry = ::readdir(listing.get());
    if (!entry)
      break;
    if (endsWithEnding(entry->d_name, kCategories[kMapsCategory].ending))
      files.push_back(path + "/" + entry->d_name);
  }
  return files;
}

} // namespace

void AppController::startReadingPackages(std::function<void(std::size_t, std::size_t)> read) {
  readingWanted_ = true;
  readCallback_ = std::move(read);
  reader_.reset();
  if (!hasCache())
    return;
  // Maps first, each list in the index's order: the marks are on maps.
  std::vector<std::string> paths;
  const auto addList = [&](std::size_t category) {
    for (const CacheEntry &entry : listAt(category)) {
      if (entry.cacheName.find('/') == std::string::npos)
        paths.push_back(cachedFilePath(cacheDirectory(), entry.cacheName));
    }
  };
  addList(kMapsCategory);
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    if (category != kMapsCategory)
      addList(category);
  }
  const std::size_t total = paths.size();
  std::function<void(std::size_t)> afterEach;
  if (readCallback_)
    afterEach = [callback = readCallback_, total](std::size_t done) { callback(done, total); };
  reader_ = std::make_unique<BackgroundReader>(knowledge_, std::move(paths), std::move(afterEach));
}

void AppController::stopReadingPackages() {
  readingWanted_ = false;
  readCallback_ = {};
  reader_.reset();
}

AppController::ReadingState AppController::packageReading() const {
  if (!reader_)
    return {};
  return ReadingState{reader_->done(), reader_->total()};
}

const NeedFinder &AppController::needFinder() const {
  // Made once for the lists and the installation: a large cache's takes a
  // moment, and the window asks on every change of the selected row.
  if (!finder_ || finderInstallation_ != unrealDir) {
    const std::vector<std::string> folders =
        unrealDir ? packageFolders(*unrealDir, userFolder_) : std::vector<std::string>{};
    finder_.emplace(folders, lists(), cacheDirectory(), knowledge_.get());
    finderInstallation_ = unrealDir;
  }
  return *finder_;
}

std::optional<EntryPlace> AppController::placeOfRow(const TableView *table, std::int32_t row) const {
  const std::size_t category = categoryOfTable(table);
  if (category >= kCategoryCount || row < 0 || static_cast<std::size_t>(row) >= listAt(category).size())
    return std::nullopt;
  return EntryPlace{category, static_cast<std::size_t>(row)};
}

std::optional<PackageNeeds> AppController::needsOfRow(const TableView *table, std::int32_t row) const {
  const std::optional<EntryPlace> place = placeOfRow(table, row);
  if (!place)
    return std::nullopt;
  const CacheEntry &entry = listAt(place->category)[place->row];
  return needFinder().needsOf(cachedFilePath(cacheDirectory(), entry.cacheName), entry.utName);
}

AppController::RowMark AppController::rowMark(const TableView *table, std::int32_t row) const {
  RowMark mark;
  const std::optional<EntryPlace> place = placeOfRow(table, row);
  if (!place)
    return mark;
  const CacheEntry &entry = listAt(place->category)[place->row];
  const std::string file = cachedFilePath(cacheDirectory(), entry.cacheName);
  const std::optional<PackageFacts> facts = knowledge_->lastKnownAt(file);
  if (!facts || !facts->readable)
    return mark;
  mark.notItsPackage = !cacheNameIsGuid(entry.cacheName, facts->guid);
  if (place->category != kMapsCategory)
    return mark;
  NeedReading knownOnly;
  knownOnly.knownOnly = true;
  for (const Need &need : needFinder().needsOf(file, entry.utName, knownOnly).needs) {
    if (need.place == Need::Place::Missing)
      mark.missing.push_back(need.name);
  }
  return mark;
}

std::size_t AppController::versionsOfRow(const TableView *table, std::int32_t row) const {
  const std::optional<EntryPlace> place = placeOfRow(table, row);
  if (!place)
    return 1;
  const std::vector<CacheEntry> &list = listAt(place->category);
  std::optional<PackageVersions> &counted = versions_[place->category];
  if (!counted)
    counted.emplace(list);
  return counted->of(list[place->row].utName);
}

std::optional<std::int64_t> AppController::cachedFileModified(const TableView *table, std::int32_t row) const {
  const std::optional<EntryPlace> place = placeOfRow(table, row);
  struct stat info {};
  if (!place ||
      ::lstat(cachedFilePath(cacheDirectory(), listAt(place->category)[place->row].cacheName).c_str(), &info) != 0 ||
      !S_ISREG(info.st_mode))
    return std::nullopt;
  return static_cast<std::int64_t>(info.st_mtime);
}

std::optional<std::size_t> AppController::mapsNeeding(const TableView *table, std::int32_t row) const {
  const std::optional<EntryPlace> place = placeOfRow(table, row);
  if (!place || !reader_ || !reader_->finished())
    return std::nullopt;
  if (!neededBy_)
    neededBy_.emplace(lists(), cacheDirectory(), *knowledge_);
  return neededBy_->mapsNeeding(*place);
}

std::vector<EntryPlace> AppController::tickedEntries() const {
  std::vector<EntryPlace> ticked;
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    const std::vector<CacheEntry> &list = listAt(category);
    for (std::size_t row = 0; row < list.size(); ++row) {
      if (isTicked(list[row]))
        ticked.push_back({category, row});
    }
  }
  return ticked;
}

NeedReading AppController::readingWithProgress(std::size_t &read) const {
  return NeedReading{[this, &read](const std::string &name) {
                       MoveProgress progress;
                       progress.current = ++read;
                       progress.utName = name;
                       progress.action = PackageAction::Read;
                       platform_.showMoveProgress(progress);
                     },
                     [this] { return platform_.moveCancelled(); }};
}

EntriesNeeds AppController::neededByTicked() const {
  std::size_t read = 0;
  EntriesNeeds needs = needFinder().needsOfEntries(tickedEntries(), readingWithProgress(read));
  platform_.endMoveProgress();
  return needs;
}

std::optional<AppController::Lists> AppController::tickedWithNeeds() const {
  const EntriesNeeds needs = neededByTicked();
  if (needs.stopped)
    return std::nullopt;
  Lists withNeeds;
  for (std::size_t category = 0; category < kCategoryCount; ++category)
    withNeeds[category] = listAt(category);
  for (const EntryPlace &place : needs.cached)
    withNeeds[place.category][place.row].selected = 1;
  return withNeeds;
}

ListsView AppController::viewOf(const Lists &lists) {
  ListsView view;
  for (std::size_t category = 0; category < kCategoryCount; ++category)
    view[category] = lists[category];
  return view;
}

std::size_t AppController::tickWhatRowsNeed(const TableView *table, const std::vector<std::int32_t> &rows) {
  std::vector<EntryPlace> chosen;
  for (const std::int32_t row : rows) {
    if (const std::optional<EntryPlace> place = placeOfRow(table, row))
      chosen.push_back(*place);
  }
  std::size_t read = 0;
  const EntriesNeeds needs = needFinder().needsOfEntries(chosen, readingWithProgress(read));
  platform_.endMoveProgress();
  std::size_t ticked = 0;
  for (const EntryPlace &place : needs.cached) {
    if (isTicked(listAt(place.category)[place.row]))
      continue;
    replaceTick(listAt(place.category), place.row, 1);
    ++ticked;
  }
  reloadAllTables();
  return ticked;
}

AppController::NeededByKept AppController::neededByKeptMaps() const {
  NeededByKept result;
  const std::vector<EntryPlace> ticked = tickedEntries();
  const std::set<EntryPlace> tickedSet(ticked.begin(), ticked.end());
  if (tickedSet.empty())
    return result;
  const NeedFinder &finder = needFinder();
  std::size_t read = 0;
  const NeedReading reading = readingWithProgress(read);
  std::set<EntryPlace> needed;
  const auto look = [&](const std::string &path, const std::string &name) {
    const PackageNeeds needs = finder.needsOf(path, name, reading);
    bool needsOne = false;
    for (const Need &need : needs.needs) {
      if (need.entry && tickedSet.contains(*need.entry)) {
        needed.insert(*need.entry);
        needsOne = true;
      }
    }
    if (needsOne)
      result.maps.push_back(name);
    return !needs.stopped;
  };
  const std::vector<CacheEntry> &cachedMaps = listAt(kMapsCategory);
  for (std::size_t row = 0; row < cachedMaps.size() && !result.stopped; ++row) {
    if (!tickedSet.contains(EntryPlace{kMapsCategory, row}))
      result.stopped = !look(cachedFilePath(cacheDirectory(), cachedMaps[row].cacheName), cachedMaps[row].utName);
  }
  for (const std::string &file : unrealDir && !result.stopped ? gameMapFiles(*unrealDir) : std::vector<std::string>{}) {
    if (!look(file, file.substr(file.rfind('/') + 1))) {
      result.stopped = true;
      break;
    }
  }
  platform_.endMoveProgress();
  result.needed.assign(needed.begin(), needed.end());
  return result;
}
