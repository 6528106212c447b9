// A headless run of the program for the fault suite: start-up, tick, move,
// on the folders it is given, with every alert printed; and the checks the
// suite makes on those folders after a run.
//
//   move_driver setup DIR rename|copy   lay out a cache, an index and a game
//   move_driver move DIR                start up, tick the "T" entries, move them with what they need
//   move_driver start DIR               start up only (finishing a move an interruption left)
//   move_driver recover DIR             start up, then tick and move in the same run
//   move_driver check DIR after-fault|after-recovery|after-restart ALERTS KILLED
//   move_driver stale DIR               add lines of purged packages to the index
//   move_driver clean DIR               start up, remove the lines that name no cached file
//   move_driver trash DIR               start up, put the "T" packages in DIR/data's Trash, but
//                                       those a kept map needs
//   move_driver copy|export DIR         start up, copy (or export) the "T" packages to DIR/Shared
//   move_driver check DIR clean-after-fault|clean-after-restart|trash-after-fault|trash-after-restart ...
//   move_driver check DIR copy-after-fault|copy-after-restart|export-after-fault|export-after-restart ...
//   move_driver undo DIR                start up, move the "T" packages, then undo the move
//   move_driver check DIR undo-after-fault|undo-after-restart|undo-complete ...
//   move_driver putback DIR             start up, move the "T" packages, then put back the two maps
//                                       and the sky (no package: it stays)
//   move_driver check DIR putback-after-fault|putback-after-restart|putback-complete ...
//   move_driver pack DIR                write a map pack, DIR/Pack.zip
//   move_driver install DIR             start up, install DIR/Pack.zip, keeping the file that differs
//   move_driver check DIR install-after-fault|install-after-restart|install-complete ...
#include "app/app_controller.h"
#include "catalogue/category.h"
#include "posix/file_descriptor.h"
#include "posix/io.h"
#include "relocation/replacement_file.h"
#include "relocation/uz2_writer.h"

#include "archive_writer.h"
#include "package_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Package {
  const char *cacheName;
  const char *utName;
  const char *category;
  std::size_t size;
};

// In plan order: Maps (the kept map not ticked), then Sounds (not ticked),
// StaticMeshes (needed by a ticked map, not ticked), System, Textures.
const std::vector<Package> kPackages = {
    {"T1", "DM-One.ut2", "Maps", 100 * 1024},  {"K2", "DM-Kept.ut2", "Maps", 3000},
    {"T4", "DM-Old.ut2", "Maps", 5000},        {"K1", "Kept.uax", "Sounds", 2000},
    {"N1", "Mesh.usx", "StaticMeshes", 4000},  {"T3", "Empty.u", "System", 0},
    {"T2", "Sky.utx", "Textures", 300 * 1024},
};
const std::string kOldIndex = "[Cache]\r\nT1=DM-One.ut2\r\nK1=Kept.uax\nR0=Readme.txt\nT2=Sky.utx\nT3=Empty.u\n"
                              "T4=DM-Old.ut2\nK2=DM-Kept.ut2\nN1=Mesh.usx\n";
const std::string kOldInstalledMap = "the map the game had before";
// The game has DM-Old.ut2 spelled in small letters: the game takes it for
// that package, and the move replaces it under its own name.
constexpr const char *kOldInstalledName = "dm-old.ut2";

bool isTicked(const Package &package) { return package.cacheName[0] == 'T'; }
// The move takes what the ticked packages need; a read that failed may
// leave it behind.
bool isNeeded(const Package &package) { return package.cacheName[0] == 'N'; }
bool mayMove(const Package &package) { return isTicked(package) || isNeeded(package); }

// The GUIDs in the headers of the packages that are maps; a map put back
// goes into the cache under its GUID.
const char *guidOf(const Package &package) {
  const std::string_view name = package.cacheName;
  if (name == "T1" || name == "K2")
    return "11111111222222223333333344444444";
  return name == "T4" ? "55555555666666667777777788888888" : nullptr;
}

// The ticked map needs the mesh and the sky; the kept map needs the sky, so
// the Trash keeps it; the old map needs nothing. The rest of each file is a
// pattern of its own.
std::string contentOf(const Package &package) {
  std::string bytes;
  const std::string name = package.cacheName;
  if (guidOf(package)) {
    PackageWriter writer;
    if (name == "T4")
      writer.guid = {0x55555555, 0x66666666, 0x77777777, 0x88888888};
    if (name != "T4")
      writer.needs("Sky");
    if (name == "T1")
      writer.needs("Mesh");
    bytes = writer.bytes();
  }
  for (std::size_t index = bytes.size(); index < package.size; ++index)
    bytes += static_cast<char>('a' + (index * 7 + package.cacheName[1]) % 26);
  return bytes;
}

struct Layout {
  explicit Layout(const std::string &root) : root(root) {
    const bool sameVolume = fs::exists(root + "/Volumes/Games/Users");
    home = sameVolume ? root + "/Volumes/Games/Users/player" : root + "/home";
    cache = home + "/Library/Application Support/Unreal Tournament 2004/Cache";
    game = root + "/Volumes/Games/Applications/Unreal Tournament 2004.app";
  }
  std::string cached(const Package &package) const { return cache + "/" + package.cacheName + ".uxx"; }
  std::string installed(const Package &package) const {
    const bool old = std::string_view(package.utName) == "DM-Old.ut2";
    return game + "/" + package.category + "/" + (old ? kOldInstalledName : package.utName);
  }
  std::string root, home, cache, game;
};

bool writeBytes(const std::string &path, const std::string &bytes) {
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  return file.valid() && writeAll(file.get(), bytes.data(), bytes.size()) && file.close();
}

std::optional<std::string> readBytes(const std::string &path) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!file.valid())
    return std::nullopt;
  std::string bytes;
  char block[64 * 1024];
  for (ssize_t got; (got = readSome(file.get(), block, sizeof block)) > 0;)
    bytes.append(block, static_cast<std::size_t>(got));
  return bytes;
}

int setup(const std::string &root, const std::string &path) {
  const std::string home = path == "rename" ? root + "/Volumes/Games/Users/player" : root + "/home";
  fs::create_directories(home + "/Library/Application Support/Unreal Tournament 2004/Cache");
  const Layout layout(root);
  for (const Category &category : kCategories)
    fs::create_directories(layout.game + "/" + std::string(category.name));
  bool written = writeBytes(layout.cache + "/cache.ini", kOldIndex) &&
                 writeBytes(layout.game + "/Maps/" + kOldInstalledName, kOldInstalledMap);
  for (const Package &package : kPackages)
    written = written && writeBytes(layout.cached(package), contentOf(package));
  return written ? 0 : 1;
}

class PrintingPlatform final : public Platform {
public:
  void runAlertPanel(const std::string &message) override { std::printf("alert: %s\n", message.c_str()); }
  void runMoveAlert(const std::string &message, const std::string &detail) override {
    std::printf("alert: %s (%s)\n", message.c_str(), detail.c_str());
  }
  void terminate(int exitStatus) override {
    std::fflush(stdout);
    std::_Exit(exitStatus);
  }
  void showMoveProgress(const MoveProgress &) override {}
  bool moveCancelled() override { return false; }
  bool askDeleteForGood(std::size_t) override { return false; }
  void waitBeforeReload(std::chrono::milliseconds) override {}
  void endMoveProgress() override {}
  void reportMove(const MoveReport &) override {}
};

// Marks where the program's own file system calls begin in a trace.
void mark(const char *what) {
  std::fflush(stdout);
  [[maybe_unused]] const ssize_t marked = ::write(STDOUT_FILENO, what, std::strlen(what));
}

Locations locationsOf(const Layout &layout) {
  return Locations{layout.home,           layout.root + "/Volumes", layout.root,
                   layout.root + "/data", layout.root + "/proc",    ""};
}

int start(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  mark("start\n");
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  std::fflush(stdout);
  return 0;
}

// Ticks the packages whose cache names begin with "T", and only those.
void tickTheTs(AppController &controller) {
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    for (CacheEntry &entry : controller.listAt(index))
      entry.selected = entry.cacheName.starts_with("T") ? 1 : 0;
  }
}

int move(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  tickTheTs(controller);
  mark("move\n");
  controller.moveFiles(AppController::MoveChoices{.alsoMoveNeeds = true});
  std::fflush(stdout);
  return 0;
}

// A start-up that finishes an interrupted move, then a move in the same
// run, as a player who moves again at once.
int recover(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  mark("recover\n");
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  tickTheTs(controller);
  controller.moveFiles(AppController::MoveChoices{.alsoMoveNeeds = true});
  std::fflush(stdout);
  return 0;
}

// Lines of packages the game purged long ago: no cached file.
const std::string kStaleLines = "G1=DM-Purged.ut2\r\nG2=Purged.utx\r\n";

int stale(const std::string &root) {
  const Layout layout(root);
  return writeBytes(layout.cache + "/cache.ini", kOldIndex + kStaleLines) ? 0 : 1;
}

int clean(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  mark("clean\n");
  if (const std::optional<std::string> problem = controller.removeMissingEntries().problem)
    std::printf("alert: %s\n", problem->c_str());
  std::fflush(stdout);
  return 0;
}

int trash(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  tickTheTs(controller);
  mark("trash\n");
  controller.discardTicked(true);
  std::fflush(stdout);
  return 0;
}

// Starts up, and moves the "T" packages with what they need: the move that
// Undo and Put Back take back.
void startAndMoveTheTs(AppController &controller) {
  controller.awakeFromNib();
  tickTheTs(controller);
  controller.moveFiles(AppController::MoveChoices{.alsoMoveNeeds = true});
}

// Moves the "T" packages with what they need, then undoes the move.
int undo(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  startAndMoveTheTs(controller);
  mark("undo\n");
  controller.undoMove();
  std::fflush(stdout);
  return 0;
}

// Moves the "T" packages with what they need, then puts back the two maps
// moved and the sky, which is no package the game can read and stays.
int putBack(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  startAndMoveTheTs(controller);
  std::vector<std::string> files;
  for (const Package &package : kPackages) {
    const std::string_view name = package.cacheName;
    if (name == "T1" || name == "T4" || name == "T2")
      files.push_back(layout.installed(package));
  }
  mark("putback\n");
  controller.putBackIntoCache(files);
  std::fflush(stdout);
  return 0;
}

// A map pack: a map that needs the cache's sky, a texture and the map's
// text, a readme, and a map the game holds other bytes of.
const std::vector<ArchiveItem> &packItems() {
  static const std::vector<ArchiveItem> items = [] {
    PackageWriter map;
    map.needs("Sky");
    std::string mapBytes = map.bytes();
    for (std::size_t index = mapBytes.size(); index < 150 * 1024; ++index)
      mapBytes += static_cast<char>('A' + index * 11 % 26);
    return std::vector<ArchiveItem>{{"Pack/Maps/DM-Packed.ut2", mapBytes},
                                    {"Pack/Textures/Packed.utx", std::string(80 * 1024, 't')},
                                    {"Pack/System/DM-Packed.int", "[DM-Packed LevelSummary]\r\n"},
                                    {"Pack/Readme.txt", "Have fun"},
                                    {"Pack/Maps/DM-Old.ut2", "the pack's own DM-Old"}};
  }();
  return items;
}

int pack(const std::string &root) { return writeArchive(root + "/Pack.zip", ArchiveFormat::Zip, packItems()) ? 0 : 1; }

int install(const std::string &root) {
  const Layout layout(root);
  PrintingPlatform platform;
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  mark("install\n");
  const AppController::ArchiveQuestion question = controller.planArchive(root + "/Pack.zip");
  if (!question.plan.unreadable.empty()) {
    std::printf("alert: %s\n", question.plan.unreadable.c_str());
    std::fflush(stdout);
    return 0;
  }
  controller.installArchive(question.plan, false);
  std::fflush(stdout);
  return 0;
}

// Copies (or exports) the "T" packages to DIR/Shared, keeping any file there.
int copyOutTo(const std::string &root, const std::string &command) {
  const Layout layout(root);
  fs::create_directories(root + "/Shared");
  PrintingPlatform platform;
  AppController controller(platform, locationsOf(layout), nullptr, std::chrono::milliseconds(0));
  controller.awakeFromNib();
  tickTheTs(controller);
  mark((command + "\n").c_str());
  CopyOutSettings settings;
  settings.folder = root + "/Shared";
  settings.format = command == "export" ? CopyFormat::Uz2 : CopyFormat::Plain;
  controller.copyTickedOut(settings);
  std::fflush(stdout);
  return 0;
}

// The index the move writes when exactly the packages in `stayed` stay (a
// needed one among them stays with the ticked ones). A needed package the
// move did not take, as when its map could not be read, keeps its place
// among the packages not ticked.
std::string indexAfterMove(const std::vector<const Package *> &stayed, bool neededLeft = false) {
  std::string text = "[Cache]\nK2=DM-Kept.ut2\nK1=Kept.uax\n";
  if (neededLeft)
    text += "N1=Mesh.usx\n";
  for (const Package *package : stayed)
    text += std::string(package->cacheName) + "=" + package->utName + "\n";
  return text + "R0=Readme.txt\n";
}

class Checker {
public:
  explicit Checker(const std::string &root) : layout_(root) {}

  void expect(bool holds, const std::string &what) {
    if (!holds) {
      std::printf("broken: %s\n", what.c_str());
      ++broken_;
    }
  }
  int broken() const { return broken_; }

  // Every package's bytes stand whole in the cache or in the game.
  void packagesWhole() {
    for (const Package &package : kPackages) {
      const bool inCache = readBytes(layout_.cached(package)) == contentOf(package);
      const bool inGame = mayMove(package) && readBytes(layout_.installed(package)) == contentOf(package);
      expect(inCache || inGame, std::string(package.cacheName) + " is whole somewhere");
    }
    expect(!fs::exists(fs::symlink_status(layout_.game + "/Maps/DM-Old.ut2")),
           "no second spelling of a file in the game is made");
  }

  // Every cached file left in the cache is named by the index.
  void cachedFilesNamed(const std::string &index) {
    for (const auto &file : fs::directory_iterator(layout_.cache)) {
      const std::string name = file.path().filename().string();
      if (!name.ends_with(".uxx"))
        continue;
      const std::string key = name.substr(0, name.size() - 4);
      expect(index.find("\n" + key + "=") != std::string::npos, name + " is named by the index");
    }
  }

  void noDebris() {
    for (const auto &file : fs::recursive_directory_iterator(layout_.root)) {
      const std::string name = file.path().filename().string();
      expect(!isTemporaryFileName(name) && name != ".cache-sorter-journal" && name != ".cache-sorter-returns",
             "left behind: " + file.path().string());
    }
  }

  const Layout &layout() const { return layout_; }

private:
  Layout layout_;
  int broken_ = 0;
};

// After Remove Missing Entries: nothing but the lines of purged packages
// changed; after a restart, they are gone and nothing is left behind.
int checkClean(Checker &checker, const std::string &when, const std::string &index) {
  const std::string cleaned = "[Cache]\nT1=DM-One.ut2\nK1=Kept.uax\nR0=Readme.txt\nT2=Sky.utx\nT3=Empty.u\n"
                              "T4=DM-Old.ut2\nK2=DM-Kept.ut2\nN1=Mesh.usx\n";
  for (const Package &package : kPackages)
    checker.expect(readBytes(checker.layout().cached(package)) == contentOf(package),
                   std::string(package.cacheName) + " stayed whole in the cache");
  if (when == "clean-after-restart") {
    checker.expect(index == cleaned, "the index is the cleaned one");
    checker.noDebris();
  } else {
    // A purged package's file that could not be looked at keeps its line.
    bool cleanedSome = false;
    for (const char *kept : {"", "G1=DM-Purged.ut2\n", "G2=Purged.utx\n", "G1=DM-Purged.ut2\nG2=Purged.utx\n"})
      cleanedSome = cleanedSome || index == cleaned + kept;
    checker.expect(index == kOldIndex + kStaleLines || cleanedSome, "the index is the old one or a cleaned one");
  }
  return checker.broken() == 0 ? 0 : 1;
}

// After Move to Trash: every ticked package whole in the cache or in the
// Trash, and a line for exactly those in the cache once no journal is left;
// the sky the kept map needs stays, unless a fault kept the map from being
// read.
int checkTrash(Checker &checker, const std::string &root, const std::string &when, const std::string &index) {
  const Layout &layout = checker.layout();
  const bool journalLeft = fs::exists(fs::symlink_status(layout.cache + "/.cache-sorter-journal"));
  for (const Package &package : kPackages) {
    const bool inCache = readBytes(layout.cached(package)) == contentOf(package);
    // A run killed before its rename left an entry of that name: the restart
    // gives the file the next one.
    bool inTrash = false;
    if (fs::exists(root + "/data/Trash/files")) {
      for (const auto &file : fs::directory_iterator(root + "/data/Trash/files"))
        inTrash = inTrash || (file.path().filename().string().starts_with(package.cacheName) &&
                              readBytes(file.path().string()) == contentOf(package));
    }
    checker.expect(inCache || (isTicked(package) && inTrash), std::string(package.cacheName) + " is whole somewhere");
    const std::string line = std::string("\n") + package.cacheName + "=" + package.utName + "\n";
    const bool named = index.find(line) != std::string::npos ||
                       index.find(line.substr(0, line.size() - 1) + "\r\n") != std::string::npos;
    checker.expect(journalLeft || named == inCache,
                   std::string(package.cacheName) + (inCache ? " keeps its line" : " lost its line"));
  }
  if (when == "trash-after-restart") {
    const bool skyKept = fs::exists(layout.cache + "/T2.uxx");
    checker.expect(index == std::string("[Cache]\nK2=DM-Kept.ut2\nK1=Kept.uax\nN1=Mesh.usx\n") +
                                (skyKept ? "T2=Sky.utx\n" : "") + "R0=Readme.txt\n",
                   "the index holds the kept lines");
    checker.noDebris();
  }
  return checker.broken() == 0 ? 0 : 1;
}

// After a copy out: the cache as it was, and in the folder only whole copies
// of ticked packages, or (before a restart) temporaries of ours; after the
// restart, none of those nor a copies' journal.
int checkCopy(Checker &checker, const std::string &root, const std::string &when, const std::string &index) {
  const Layout &layout = checker.layout();
  checker.expect(index == kOldIndex, "the index is as it was");
  const bool uz2 = when.starts_with("export-");
  for (const Package &package : kPackages) {
    checker.expect(readBytes(layout.cached(package)) == contentOf(package),
                   std::string(package.cacheName) + " is whole in the cache");
    const std::string copy = root + "/Shared/" + package.utName + (uz2 ? ".uz2" : "");
    if (!fs::exists(copy))
      continue;
    checker.expect(isTicked(package), std::string(package.utName) + " was ticked");
    const FileDescriptor written(::open(copy.c_str(), O_RDONLY | O_CLOEXEC));
    const FileDescriptor cached(::open(layout.cached(package).c_str(), O_RDONLY | O_CLOEXEC));
    const bool whole =
        uz2 ? checkUz2(written.get(), cached.get(), package.size) == 0 : readBytes(copy) == contentOf(package);
    checker.expect(whole, std::string(package.utName) + " is a whole copy");
  }
  for (const auto &file : fs::directory_iterator(root + "/Shared")) {
    const std::string name = file.path().filename().string();
    const bool ours = isTemporaryFileName(name);
    checker.expect(when.ends_with("-after-fault") ? true : !ours, "left behind: " + file.path().string());
  }
  if (when.ends_with("-after-restart")) {
    checker.noDebris();
    const bool journals = fs::exists(root + "/data/cache-sorter") && !fs::is_empty(root + "/data/cache-sorter");
    checker.expect(!journals, "a copies' journal is left");
  }
  return checker.broken() == 0 ? 0 : 1;
}

// Lines of the index that map `key` to `utName`, in either line ending.
std::size_t linesOf(const std::string &index, const std::string &key, const std::string &utName) {
  std::size_t lines = 0;
  for (const std::string &line : {"\n" + key + "=" + utName + "\n", "\n" + key + "=" + utName + "\r\n"})
    for (std::size_t at = index.find(line); at != std::string::npos; at = index.find(line, at + 1))
      ++lines;
  return lines;
}

// After an undo: every package whole in the cache or in the game, never in
// both once the restart is done; a file in the cache has exactly one line
// once no journal is left, and no line ever stands without its file.
int checkUndo(Checker &checker, const std::string &when, const std::string &index) {
  const Layout &layout = checker.layout();
  const bool journalLeft = fs::exists(fs::symlink_status(layout.cache + "/.cache-sorter-returns"));
  const bool settled = when != "undo-after-fault";
  for (const Package &package : kPackages) {
    const std::string name = package.cacheName;
    const bool inCache = readBytes(layout.cached(package)) == contentOf(package);
    const bool inGame = mayMove(package) && readBytes(layout.installed(package)) == contentOf(package);
    checker.expect(inCache || inGame, name + " is whole somewhere");
    const std::size_t lines = linesOf(index, name, package.utName);
    const bool cachedFile = fs::exists(fs::symlink_status(layout.cached(package)));
    checker.expect(lines <= (cachedFile ? 1u : 0u), name + " has no line but its own");
    if (!journalLeft)
      checker.expect(lines == (cachedFile ? 1u : 0u), name + " has its line");
    if (settled && mayMove(package))
      checker.expect(!(inCache && fs::exists(fs::symlink_status(layout.installed(package)))),
                     name + " is in one place");
    if (when == "undo-complete" && mayMove(package))
      checker.expect(inCache && !fs::exists(fs::symlink_status(layout.installed(package))), name + " went back");
  }
  if (settled) {
    checker.expect(!journalLeft, "the journal of the undo is gone");
    checker.noDebris();
  }
  return checker.broken() == 0 ? 0 : 1;
}

// After Put Back: the two maps whole in the game or in the cache under their
// GUIDs, never in both once the restart is done, each GUID's file with
// exactly one line once no journal is left; everything else as the move
// left it.
int checkPutBack(Checker &checker, const std::string &when, const std::string &index) {
  const Layout &layout = checker.layout();
  const bool journalLeft = fs::exists(fs::symlink_status(layout.cache + "/.cache-sorter-returns"));
  const bool settled = when != "putback-after-fault";
  for (const Package &package : kPackages) {
    const std::string name = package.cacheName;
    const bool returnable = mayMove(package) && guidOf(package);
    const std::string returned = returnable ? layout.cache + "/" + guidOf(package) + ".uxx" : "";
    const bool inCache = readBytes(layout.cached(package)) == contentOf(package) ||
                         (returnable && readBytes(returned) == contentOf(package));
    const bool inGame = mayMove(package) && readBytes(layout.installed(package)) == contentOf(package);
    checker.expect(inCache || inGame, name + " is whole somewhere");
    if (!returnable) {
      checker.expect(!mayMove(package) || inGame, name + " stayed where the move put it");
      continue;
    }
    // The line names the package as its file in the game is spelled.
    const std::string installed = layout.installed(package);
    const std::string leaf = installed.substr(installed.rfind('/') + 1);
    checker.expect(linesOf(index, name, package.utName) == 0, name + " has no line under its cache name");
    const std::size_t lines = linesOf(index, guidOf(package), leaf);
    const bool returnedFile = fs::exists(fs::symlink_status(returned));
    checker.expect(lines <= (returnedFile ? 1u : 0u), name + " has no line but its own");
    if (!journalLeft)
      checker.expect(lines == (returnedFile ? 1u : 0u), name + " has its line");
    const bool inBoth = returnedFile && fs::exists(fs::symlink_status(installed));
    if (settled)
      checker.expect(!inBoth, name + " is in one place");
    if (when == "putback-complete")
      checker.expect(returnedFile && !inGame, name + " went back under its GUID");
  }
  if (settled) {
    checker.expect(!journalLeft, "the journal of the put back is gone");
    checker.noDebris();
  }
  return checker.broken() == 0 ? 0 : 1;
}

// After installing the pack: each of its packages in the game whole or not
// at all, the game's own DM-Old kept, the cache as it was; after the
// restart nothing of ours is left, and a run without a fault installed all.
int checkInstall(Checker &checker, const std::string &root, const std::string &when, const std::string &index) {
  const Layout &layout = checker.layout();
  checker.expect(index == kOldIndex, "the index is as it was");
  for (const Package &package : kPackages)
    checker.expect(readBytes(layout.cached(package)) == contentOf(package),
                   std::string(package.cacheName) + " is whole in the cache");
  checker.expect(readBytes(layout.game + "/Maps/" + kOldInstalledName) == kOldInstalledMap,
                 "the game's own DM-Old is kept");
  for (const ArchiveItem &item : packItems()) {
    // "Pack/Maps/DM-Packed.ut2": the folder is the name's second part.
    const std::string inPack = item.name.substr(item.name.find('/') + 1);
    const std::size_t slash = inPack.find('/');
    if (slash == std::string::npos || inPack.ends_with("DM-Old.ut2"))
      continue;
    const std::string leaf = inPack.substr(slash + 1);
    const std::string installed = layout.game + "/" + inPack;
    const bool there = fs::exists(fs::symlink_status(installed));
    checker.expect(!there || readBytes(installed) == item.bytes, leaf + " is whole or not there");
    if (when == "install-complete")
      checker.expect(there, leaf + " was installed");
  }
  checker.expect(!fs::exists(layout.game + "/Readme.txt") && !fs::exists(layout.game + "/System/Readme.txt"),
                 "the readme is not installed");
  if (when != "install-after-fault") {
    checker.noDebris();
    const bool ours = fs::exists(root + "/data/cache-sorter") && !fs::is_empty(root + "/data/cache-sorter");
    checker.expect(!ours, "something of ours is left in the data folder");
  }
  return checker.broken() == 0 ? 0 : 1;
}

int check(const std::string &root, const std::string &when, const std::string &alertsPath, bool killed) {
  Checker checker(root);
  const Layout &layout = checker.layout();
  const std::string alerts = readBytes(alertsPath).value_or("");
  const std::string index = readBytes(layout.cache + "/cache.ini").value_or("(no index)");
  if (when.starts_with("clean-"))
    return checkClean(checker, when, index);
  if (when.starts_with("trash-"))
    return checkTrash(checker, root, when, index);
  if (when.starts_with("copy-") || when.starts_with("export-"))
    return checkCopy(checker, root, when, index);
  if (when.starts_with("undo-"))
    return checkUndo(checker, when, index);
  if (when.starts_with("putback-"))
    return checkPutBack(checker, when, index);
  if (when.starts_with("install-"))
    return checkInstall(checker, root, when, index);
  checker.packagesWhole();
  checker.cachedFilesNamed(index);

  const bool journalLeft = fs::exists(fs::symlink_status(layout.cache + "/.cache-sorter-journal"));
  if (when == "after-recovery") {
    // A start-up that was cut short or failed may leave the journal, but
    // never an index line of a package that reached the game once the
    // journal is gone.
    for (const Package &package : kPackages) {
      const bool inGame = mayMove(package) && !fs::exists(layout.cached(package)) &&
                          readBytes(layout.installed(package)) == contentOf(package);
      const std::string line = std::string("\n") + package.cacheName + "=" + package.utName + "\n";
      checker.expect(journalLeft || !inGame || index.find(line) == std::string::npos,
                     std::string(package.cacheName) + " has no stale line once the journal is gone");
    }
    // Nothing of ours is left that no journal names.
    if (!journalLeft)
      checker.noDebris();
    return checker.broken() == 0 ? 0 : 1;
  }

  if (when == "after-restart") {
    for (const Package &package : kPackages) {
      const bool ticked = isTicked(package);
      checker.expect(isNeeded(package) || fs::exists(layout.cached(package)) != ticked,
                     std::string(package.cacheName) + (ticked ? " left the cache" : " stayed"));
    }
    const bool neededLeft = fs::exists(layout.cache + "/N1.uxx");
    checker.expect(index == indexAfterMove({}, neededLeft), "the index is the one a clean move writes");
    checker.expect(alerts.find("alert: ") == std::string::npos, "the restart raised no alert");
    checker.noDebris();
    return checker.broken() == 0 ? 0 : 1;
  }

  // A package still in the cache keeps its line. One in the game may keep
  // it too, when the program could not make its arrival durable.
  std::vector<const Package *> stayed;
  std::vector<const Package *> mayStay;
  for (const Package &package : kPackages) {
    if (mayMove(package))
      (fs::exists(layout.cached(package)) ? stayed : mayStay).push_back(&package);
  }
  const bool oldIndex = index == kOldIndex;
  bool newIndex = false;
  // Whether the needed package was in the move: an index that kept its line
  // among the packages not ticked says it was not, when its map could not be
  // read.
  bool neededInMove = false;
  for (unsigned subset = 0; subset < (1u << mayStay.size()) && !newIndex; ++subset) {
    std::vector<const Package *> lines;
    bool neededAmong = false;
    for (const Package &package : kPackages) {
      const auto optional = std::find(mayStay.begin(), mayStay.end(), &package) - mayStay.begin();
      const bool kept = static_cast<std::size_t>(optional) < mayStay.size() && (subset >> optional & 1u);
      if (kept || std::find(stayed.begin(), stayed.end(), &package) != stayed.end()) {
        lines.push_back(&package);
        neededAmong = neededAmong || isNeeded(package);
      }
    }
    const bool withTheTicked = index == indexAfterMove(lines);
    // The needed package left behind rather than stayed with the ticked; the
    // two read the same when nothing ticked stayed.
    bool leftBehind = false;
    if (neededAmong) {
      std::erase_if(lines, [](const Package *package) { return isNeeded(*package); });
      leftBehind = index == indexAfterMove(lines, true);
    }
    newIndex = withTheTicked || leftBehind;
    neededInMove = withTheTicked && !leftBehind;
  }
  checker.expect(oldIndex || newIndex, "the index is the old one or the new one");
  if (!killed) {
    std::size_t alerted = 0;
    for (std::size_t at = alerts.find("alert: "); at != std::string::npos; at = alerts.find("alert: ", at + 1))
      ++alerted;
    const bool copies = !fs::exists(root + "/Volumes/Games/Users");
    if (copies) {
      std::size_t inMove = 0, notArrived = 0;
      for (const Package *package : stayed) {
        if (isNeeded(*package) && !neededInMove)
          continue;
        ++inMove;
        notArrived += readBytes(layout.installed(*package)) != contentOf(*package) ? 1 : 0;
      }
      // When nothing could move at all, one alert may say so for all.
      const bool noneMoved = notArrived == inMove && mayStay.empty();
      checker.expect(alerted >= notArrived || (noneMoved && alerted >= 1),
                     "every package that did not arrive had an alert");
    }
    if (oldIndex)
      checker.expect(alerts.find("Could not write cache file") != std::string::npos ||
                         alerts.find("Could not move packages") != std::string::npos,
                     "an index that was not written had an alert");
  }
  return checker.broken() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "setup")
    return setup(args[1], args[2]);
  if (args.size() == 2 && args[0] == "move")
    return move(args[1]);
  if (args.size() == 2 && args[0] == "start")
    return start(args[1]);
  if (args.size() == 2 && args[0] == "recover")
    return recover(args[1]);
  if (args.size() == 2 && args[0] == "stale")
    return stale(args[1]);
  if (args.size() == 2 && args[0] == "clean")
    return clean(args[1]);
  if (args.size() == 2 && args[0] == "trash")
    return trash(args[1]);
  if (args.size() == 2 && args[0] == "undo")
    return undo(args[1]);
  if (args.size() == 2 && args[0] == "putback")
    return putBack(args[1]);
  if (args.size() == 2 && args[0] == "pack")
    return pack(args[1]);
  if (args.size() == 2 && args[0] == "install")
    return install(args[1]);
  if (args.size() == 2 && (args[0] == "copy" || args[0] == "export"))
    return copyOutTo(args[1], args[0]);
  if (args.size() == 5 && args[0] == "check")
    return check(args[1], args[2], args[3], args[4] == "1");
  std::fprintf(stderr, "usage: move_driver setup DIR rename|copy | move DIR | check DIR WHEN ALERTS KILLED\n");
  return 2;
}
