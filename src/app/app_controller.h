#pragma once

#include "app/cell_value.h"
#include "app/folder_choices.h"
#include "app/game_search.h"
#include "app/locations.h"
#include "app/package_details.h"
#include "app/platform.h"
#include "catalogue/cache_entry.h"
#include "catalogue/category.h"
#include "catalogue/category_folders.h"
#include "catalogue/entry_lists.h"
#include "catalogue/package_versions.h"
#include "package/background_reader.h"
#include "package/needed_by.h"
#include "package/package_knowledge.h"
#include "package/package_needs.h"
#include "posix/folder_lock.h"
#include "relocation/archive_install.h"
#include "relocation/copy_out.h"
#include "relocation/move_preview.h"
#include "relocation/mover.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Holds all of the program's state: the window's outlets, the two paths and
// the eight category lists. The window layer connects the outlets, calls
// awakeFromNib() once, and then forwards the tables' requests and the
// commands.
class AppController {
public:
  // `reloadDelay` is the pause between writing the index and reading it
  // again at the end of a move.
  // `choices`, when given, keeps the folders the user chooses between runs.
  AppController(Platform &platform, Locations locations, ChoiceStore *choices = nullptr,
                std::chrono::milliseconds reloadDelay = std::chrono::seconds(1));
  AppController(const AppController &) = delete;
  AppController &operator=(const AppController &) = delete;
  ~AppController();

  // Start-up: sets cacheFile, looks for the installation and reads the eight
  // lists. Ends the application after the alert when the volumes folder or
  // the cache index cannot be read. Where neither the Mac release's cache
  // nor a volumes folder is, the game's other layouts are searched; when
  // they hold no cache either, cacheFile stays empty and nothing is read.
  void awakeFromNib();
  void getUnrealDirectory();
  // The entries of one category read from cacheFile; std::nullopt, after the
  // alert and the terminate request, when the index cannot be opened.
  std::optional<std::vector<CacheEntry>> loadCache(std::string_view category);

  // The tables' data source.
  std::int32_t numberOfRowsInTableView(const TableView *table) const;
  std::optional<CellValue> objectValueForTableColumn(const TableView *table, const TableColumn &column,
                                                     std::int32_t row) const;
  void setObjectValue(TableView *table, int value, const TableColumn &column, std::int32_t row);
  // The same tick handed in for many rows of one table at once: each entry
  // is replaced by one with the tick `value`, and the table reloads once.
  void setTicks(TableView *table, const std::vector<std::int32_t> &rows, int value);

  // Commands.
  void selectAll();
  void selectAllCurrent();
  // Unticks every entry of every category, then reloads the eight tables in
  // category order.
  void untickAll();
  // Moves the ticked entries' files into the installation, rewrites the index
  // without them, and reads and shows the eight lists again.
  void moveFiles();
  // The same, with the user's choices: ticked packages whose file in the
  // game holds other bytes, or whose download is damaged, may stay.
  // With `alsoMoveNeeds`, the cached packages that the ticked ones need
  // move with them, as if ticked.
  struct MoveChoices {
    bool keepDifferentFiles = false;
    bool leaveDamaged = false;
    bool alsoMoveNeeds = false;
    // Into ownPackageFolder(), the game told to look there, rather than into
    // the game's folders.
    bool intoOwnFolder = false;
  };
  void moveFiles(const MoveChoices &choices);

  // Whether the last move of this cache put packages into the game that
  // undoMove() can put back.
  bool canUndoMove() const;
  // Puts every package the last move put into the game back into the cache
  // under its cache name, with its index line, while its file in the game
  // is still the one moved; one that changed since stays, and the report
  // says why. Then reads the lists again and reports, as a move does.
  void undoMove();
  // Puts the packages at `gameFiles`, in the game's category folders (or
  // those of the user's own folder), back into the cache as downloads:
  // each as "<GUID>.uxx", its GUID read from its header, with its line. A
  // file that is not a readable package, or lies elsewhere, stays, and the
  // report says why. Then reads the lists again and reports.
  void putBackIntoCache(const std::vector<std::string> &gameFiles);
  // The files in the game of the packages at `rows` of `table` that have one.
  std::vector<std::string> gameFilesOfRows(const TableView *table, const std::vector<std::int32_t> &rows) const;

  // What installing the archive at `archive` into the game in use would do,
  // and what its maps need that is neither in it, the game nor the cache
  // ("DM-Pack.ut2: Sky, Mesh"): for the window to confirm first.
  struct ArchiveQuestion {
    ArchivePlan plan;
    std::vector<std::string> missingNeeds;
  };
  ArchiveQuestion planArchive(const std::string &archive) const;
  // Installs the files as `plan` says, with the move's progress and Cancel;
  // with `replaceDifferent` a file that differs from the one in the game
  // replaces it. Then reads the lists again (the game's files changed) and
  // reports.
  void installArchive(const ArchivePlan &plan, bool replaceDifferent);
  // The archive's text and pictures, written for the player to open into
  // "<dataHome>/cache-sorter/Read Me/<archive>"; the files written.
  std::vector<std::string> extractReadmesOf(const ArchivePlan &plan) const;

  // Copies the ticked packages out of the cache, which stays as it is, as
  // `settings` say (its cache folder is this one), with progress and a
  // report; and what that would do, for the window to confirm first.
  // With `withNeeds`, the cached packages the ticked ones need go too.
  void copyTickedOut(CopyOutSettings settings, bool withNeeds = false);
  CopyOutPreview previewCopyOut(CopyOutSettings settings, bool withNeeds = false) const;

  // Puts the ticked packages' cached files in the Trash (or deletes them,
  // when the user says so where there is none) and takes their lines out of
  // the index, then reads the lists again and reports.
  void discardTicked();
  // The same; with `keepNeeded`, the ticked packages that kept maps need stay.
  void discardTicked(bool keepNeeded);
  // The ticked packages that maps kept in the cache (not ticked) or in the
  // game need, read now where not known, with the move's progress.
  struct NeededByKept {
    std::vector<EntryPlace> needed; // ticked entries some kept map needs
    std::vector<std::string> maps;  // the maps that need them, each once
    bool stopped = false;
  };
  NeededByKept neededByKeptMaps() const;
  // How many entries name no cached file, looked up now.
  std::size_t countMissingEntries() const;
  // Takes the lines of entries that name no cached file out of the index,
  // then reads the lists again; how many lines went, or why it could not.
  struct RemovedEntries {
    std::size_t removed = 0;
    std::optional<std::string> problem;
  };
  RemovedEntries removeMissingEntries();

  // What moveFiles() would do with the entries ticked now: for the window to
  // confirm it first. Comparing with the game's files shows the move's
  // progress, and Cancel there leaves the rest not compared. With
  // `intoOwnFolder`, the same for a move into ownPackageFolder().
  MovePreview previewMove(bool intoOwnFolder = false) const;
  // The file that the entry at `row` of `table` would replace in the game,
  // when one is there, compared with the cached file.
  std::optional<InstalledFile> installedFile(const TableView *table, std::int32_t row) const;

  // What packages need. Reading starts after the window shows: one thread
  // of the lowest priority reads the cache's packages, the maps first, each
  // list in the index's order, and calls `read` (on that thread) after
  // each; it stops when the lists are read again, or the controller goes.
  void startReadingPackages(std::function<void(std::size_t done, std::size_t total)> read = {});
  // Stops the reading, the file in hand finished, and starts none again.
  void stopReadingPackages();
  struct ReadingState {
    std::size_t done = 0;
    std::size_t total = 0;
  };
  ReadingState packageReading() const;
  // What the package at `row` of `table` needs, from what is known and, for
  // a chain not read yet, read now (a few files).
  std::optional<PackageNeeds> needsOfRow(const TableView *table, std::int32_t row) const;
  // The row's mark, from what is known (nothing is read for it): what a map
  // needs that neither the game nor the cache has, and whether the cached
  // file is another package than its index line names.
  struct RowMark {
    std::vector<std::string> missing;
    bool notItsPackage = false;
  };
  RowMark rowMark(const TableView *table, std::int32_t row) const;
  // Of the package at `row` of `table`: how many entries of its tab share
  // its real name (1 when none does), and when its cached file was last
  // written (seconds since the epoch, looked up now), so that the newer of
  // two versions can be chosen.
  std::size_t versionsOfRow(const TableView *table, std::int32_t row) const;
  std::optional<std::int64_t> cachedFileModified(const TableView *table, std::int32_t row) const;
  // How many cached maps need the package at `row` of `table`, through the
  // whole chain; nothing while the cache's packages are still being read.
  std::optional<std::size_t> mapsNeeding(const TableView *table, std::int32_t row) const;
  // What the ticked packages need that is not ticked, read now where not
  // known, with the move's progress and Cancel.
  EntriesNeeds neededByTicked() const;
  // The entry at `row` of `table`, when there is one.
  std::optional<EntryPlace> placeOfRow(const TableView *table, std::int32_t row) const;
  // The ticked entries, in the order of the lists.
  std::vector<EntryPlace> tickedEntries() const;
  // Ticks every cached package that the packages at `rows` of `table` need,
  // through the whole chain, on every tab; returns how many it ticked.
  std::size_t tickWhatRowsNeed(const TableView *table, const std::vector<std::int32_t> &rows);
  // Finds needs in this cache and installation, with what is known.
  const NeedFinder &needFinder() const;
  // What the details pane shows of the package at `row` of `table`, read
  // now; the preview picture is only located, for decodePreview().
  std::optional<PackageDetails> detailsOfRow(const TableView *table, std::int32_t row) const;
  // The title of the map at `row` of `table`, as the background reading
  // learnt it; empty until then, and for every other package.
  std::string titleOfRow(const TableView *table, std::int32_t row) const;

  // A folder of the user's own for the packages when the game's folders
  // cannot be written (the Linux installer's /usr/local/games/ut2004 is
  // root's): the user folder of the layout in use, when it is not the game
  // folder, may be written, and holds the settings the game reads, where
  // Paths lines can send the game.
  std::optional<std::string> ownPackageFolder() const;

  // How long the game in use keeps its downloads: PurgeCacheDays of the
  // settings it reads; nothing without a cache or those settings.
  struct DownloadKeeping {
    std::string settingsFile;
    int days = 0; // 0 or less: for good
  };
  std::optional<DownloadKeeping> downloadKeeping() const;
  // Sets PurgeCacheDays to 0 in those settings (`forGood`), or back to what
  // the file held before (its backup's value, else the game's 30), through
  // the careful edit of the game's settings; refused while the game runs.
  // Returns why it could not.
  std::optional<std::string> keepDownloadsForGood(bool forGood);

  // Whether the game runs now: moving files it has open may make it crash.
  bool gameRunning() const;

  // Whether two paths lie on one volume, judged from their text alone.
  bool sameVolume(const std::string &first, const std::string &second) const;

  // Whether there is a cache to show: one was found or chosen.
  bool hasCache() const { return !cacheFile.empty(); }
  const GameLocation &location() const { return location_; }
  // Where the last search looked.
  const SearchedPlaces &searchedPlaces() const { return searched_; }
  const std::string &homeFolder() const { return locations_.homeFolder; }

  // The user's choice of a folder. Each refuses a folder that is not what it
  // should be and then changes nothing; it returns the reason. A choice takes
  // effect at once (a new cache is read) and is remembered.
  std::optional<std::string> chooseCacheFolder(const std::string &folder);
  std::optional<std::string> chooseGameFolder(const std::string &folder);
  // Reads the lists again from the index, as at start-up (an interrupted
  // move is finished first), and has the tables show them; returns why the
  // index could not be read, the lists then as they were.
  std::optional<std::string> reloadLists();
  // Goes back to the search; returns why the cache it finds cannot be read.
  std::optional<std::string> forgetChosenFolders();
  bool hasChosenFolders() const { return location_.cacheChosen || location_.gameChosen || location_.picked; }
  // Every installation the last search found beside its cache, and whether
  // `game` is the one in use.
  const std::vector<FoundGame> &foundGames() const { return games_; }
  bool inUse(const FoundGame &game) const;
  // Switches to `game` at once (lock, an interrupted move finished, the
  // lists read), as a chosen folder does, and remembers it; returns why it
  // could not, everything then as it was.
  std::optional<std::string> chooseGame(const FoundGame &game);

  // The folder that holds cacheFile and the cached files.
  std::string cacheDirectory() const;

  // Whether a fatal alert has asked the application to end.
  bool terminationRequested() const { return terminationRequested_; }

  // Outlets, connected by the window layer.
  TableView *animationsTable = nullptr;
  TableView *karmaTable = nullptr;
  TableView *mapsTable = nullptr;
  TableView *musicTable = nullptr;
  TableView *soundsTable = nullptr;
  TableView *staticMeshesTable = nullptr;
  TableView *systemTable = nullptr;
  TabView *tabView = nullptr;
  TableView *texturesTable = nullptr;

  std::optional<std::string> unrealDir; // the installation, when found
  std::string cacheFile;                // the full path of cache.ini

  std::vector<CacheEntry> animations;
  std::vector<CacheEntry> karma;
  std::vector<CacheEntry> maps;
  std::vector<CacheEntry> music;
  std::vector<CacheEntry> sounds;
  std::vector<CacheEntry> staticMeshes;
  std::vector<CacheEntry> system;
  std::vector<CacheEntry> textures;

  // The list and the table outlet of the category at `index` (0 to 7).
  std::vector<CacheEntry> &listAt(std::size_t index);
  const std::vector<CacheEntry> &listAt(std::size_t index) const;
  TableView *tableAt(std::size_t index) const;
  // The eight lists, to read.
  ListsView lists() const;

private:
  // The list shown by `table`, or nullptr for a table that is none of the
  // eight outlets.
  const std::vector<CacheEntry> *listForTable(const TableView *table) const;
  std::vector<CacheEntry> *listForTable(const TableView *table);
  // The category index of `table`, or kCategoryCount for none of the eight.
  std::size_t categoryOfTable(const TableView *table) const;

  // Reads all eight lists in one pass over the index; false, after the
  // alert of loadCache(), when the application is ending because the index
  // could not be opened. Given the report of the command just run, an entry
  // that is still there and that the command did not take keeps its tick:
  // what stayed can be acted on again.
  bool readAllCategories(const MoveReport *leftBy = nullptr);
  // The eight lists read anew become the controller's.
  void takeLists(std::array<std::vector<CacheEntry>, kCategoryCount> &&lists);
  // Tells each table that its rows are about to be other entries.
  void tellListsWillChange();

  // Where the game is, from the choices and the search.
  struct ResolvedGame {
    GameLocation location;
    std::string cacheFile; // empty when none was found
    std::optional<std::string> installation;
    std::string userFolder;  // empty when not known
    bool macRelease = false; // the installation is then the volumes search's
  };
  ResolvedGame resolveGame(const ChosenFolders &chosen);
  // The remembered choices that still hold.
  ChosenFolders rememberedChoices() const;
  void remember(const ChosenFolders &chosen);
  // The remembered folders, to change one chosen by hand.
  ChosenFolders byHand() const;
  // Locks, finishes an interrupted move in and reads the cache at
  // `indexPath`; the current cache stays when that fails, and the reason
  // comes back.
  std::optional<std::string> switchCache(const std::string &indexPath);
  void dropCache();
  void reloadAllTables() const;
  void failFatally(const std::string &message);
  // The lists with the cached packages the ticked ones need ticked too;
  // nothing when the user stopped the reading.
  using Lists = std::array<std::vector<CacheEntry>, kCategoryCount>;
  std::optional<Lists> tickedWithNeeds() const;
  static ListsView viewOf(const Lists &lists);
  // Reads a map's summary into `details` and finds where its preview is.
  void addMapSummary(PackageDetails &details, int fd, std::uint64_t fileSize, const PackageTables &tables,
                     const std::string &path) const;
  // Counts into `preview` what the ticked packages need.
  void addNeeds(MovePreview &preview) const;
  // Reads needs with the move's progress.
  NeedReading readingWithProgress(std::size_t &read) const;
  // Puts `packages` back into the cache with progress, reads the lists
  // again and reports.
  // After a command that changed the cache or the game: the lists read
  // again, the progress ended, the tables shown anew, and `report` given.
  void readAgainAndReport(const MoveReport &report);
  // `refused` were never tried, for the reasons they give.
  void returnPackages(const std::vector<ReturnedPackage> &packages,
                      const std::vector<MoveReport::Package> &refused = {});
  std::vector<std::string> missingNeedsOf(const ArchivePlan &plan) const;
  // Why `gameFile` cannot be put back, or nothing, and its category.
  std::optional<std::string> putBackProblem(const std::string &gameFile, std::size_t &category) const;
  // Makes the user's own category folders and tells the game about them,
  // and points `settings` there; false, after an alert, when it cannot.
  bool prepareOwnFolder(MoveSettings &settings);
  std::string volumesPrefix() const;
  const CategoryFolders &gameFolders() const;

  static constexpr const char *kAlreadyRunningMessage = "Cache Sorter is already running for this cache";
  static constexpr const char *kCannotOpenIndex = "Could not open cache file";

  Platform &platform_;
  const Locations locations_;
  ChoiceStore *const choices_;
  GameLocation location_;
  SearchedPlaces searched_;
  std::vector<FoundGame> games_;
  // The folder of the settings the game in use reads; empty for folders
  // chosen by hand.
  std::string userFolder_;
  // Held from before an interrupted move is finished until the controller
  // goes, so that two windows never move the same cache's packages.
  std::optional<FolderLock> lock_;
  const std::chrono::milliseconds reloadDelay_;
  bool terminationRequested_ = false;
  // What was read of the packages: kept across readings of the lists, since
  // a file that changed is another key.
  // Shared with the reading thread, which may outlive a reading stopped.
  const std::shared_ptr<PackageKnowledge> knowledge_ = std::make_shared<PackageKnowledge>();
  mutable std::optional<NeedFinder> finder_; // of the lists as they are
  mutable std::optional<NeededBy> neededBy_; // made once the reading is done
  mutable std::optional<std::string> finderInstallation_;
  // The game's folders as listed for the rows' files in the game; listed
  // again with the lists.
  mutable std::optional<CategoryFolders> gameFolders_;
  // Each tab's real names and how many entries share each; counted again
  // with the lists.
  mutable std::array<std::optional<PackageVersions>, kCategoryCount> versions_;
  // What the last move put into the game, and the cache it came from.
  std::vector<ReturnedPackage> lastMove_;
  std::string lastMoveCache_;
  bool readingWanted_ = false;
  std::function<void(std::size_t, std::size_t)> readCallback_;
  std::unique_ptr<BackgroundReader> reader_;
};
