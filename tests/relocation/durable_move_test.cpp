#include "app/app_controller.h"
#include "posix/file_descriptor.h"
#include "posix/io.h"
#include "relocation/index_writer.h"
#include "relocation/move_journal.h"
#include "relocation/move_plan.h"

#include "move_fixture.h"
#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {

TEST(DurableMove, KeepsEntryLinesTheListsDoNotHold) {
  struct LinesCase {
    const char *label;
    std::string index;
    // What changes on disk between start-up and the move.
    std::string changedIndex;
    std::string written;
  };
  const std::vector<LinesCase> cases = {
      {"the game added lines", "[Cache]\r\nM0=DM-A.ut2\r\nR0=Readme.txt\nM9=DM-Gone.ut2\nX0=Sky.utx\n",
       "[Cache]\r\nM0=DM-A.ut2\r\nR0=Readme.txt\nM9=DM-Gone.ut2\nX0=Sky.utx\nN1=DM-New.ut2\nN2=Tex.utx\nN1=DM-New."
       "ut2\n",
       "[Cache]\nX0=Sky.utx\nM9=DM-Gone.ut2\nN1=DM-New.ut2\nN2=Tex.utx\nN1=DM-New.ut2\nR0=Readme.txt\n"},
      {"the game wrote the index anew", "[Cache]\nM0=DM-A.ut2\nM9=DM-Gone.ut2\nX0=Sky.utx\nX0=Sky.utx\n",
       "[Cache]\nX0=Sky.utx\nN1=DM-New.ut2\nM0=DM-A.ut2\nX0=Sky.utx\nX0=Sky.utx\n",
       "[Cache]\nX0=Sky.utx\nX0=Sky.utx\nM9=DM-Gone.ut2\nN1=DM-New.ut2\nX0=Sky.utx\n"},
      {"nothing changed", "[Cache]\nM0=DM-A.ut2\nM9=DM-Gone.ut2\nX0=Sky.utx\n",
       "[Cache]\nM0=DM-A.ut2\nM9=DM-Gone.ut2\nX0=Sky.utx\n", "[Cache]\nX0=Sky.utx\nM9=DM-Gone.ut2\n"},
  };
  for (const LinesCase &testCase : cases) {
    MoveCommand move;
    move.sandbox.writeCachedFile("M0", "map");
    move.start(testCase.index);
    writeFile(move.sandbox.cacheFile(), testCase.changedIndex);
    move.tick(kMaps, 0);
    move.tick(kMaps, 1);
    move.controller().moveFiles();
    EXPECT_EQ(readFile(move.sandbox.cacheFile()), testCase.written) << testCase.label;
    EXPECT_EQ(readFile(move.installed("Maps/DM-A.ut2")), "map") << testCase.label;
  }
}

TEST(DurableMove, KeepsTheLinesThatAReadErrorHidAtStartUp) {
  const TemporaryFolder folder;
  const std::string path = folder / "cache.ini";
  writeFile(path, "[Cache]\nM0=DM-A.ut2\nM1=DM-B.ut2\nX0=Sky.utx\nM2=DM-C.ut2\n");
  // The lists hold what was read before the error: the first two lines.
  const std::vector<CacheEntry> maps = {{0, "DM-A.ut2", "M0"}, {1, "DM-B.ut2", "M1"}};
  ListsView lists;
  lists[kMaps] = maps;
  ASSERT_TRUE(rewriteIndex(path, ".cache-sorter-test00", NewIndex{lists, {}, {}}));
  EXPECT_EQ(readFile(path), "[Cache]\nM0=DM-A.ut2\nX0=Sky.utx\nM2=DM-C.ut2\n");
}

// The game, appending to the index a line at a time in a thread of its own,
// let through only when a swap stands at a given instant.
class GatedAppender {
public:
  explicit GatedAppender(std::string path) : path_(std::move(path)), thread_([this] { run(); }) {}
  ~GatedAppender() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // Lets `count` lines through and waits until they are on disk.
  void append(int count) {
    std::unique_lock lock(mutex_);
    pending_ += count;
    changed_.notify_all();
    changed_.wait(lock, [this] { return pending_ == 0; });
  }
  const std::vector<std::string> &lines() const { return lines_; }

private:
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stopping_ || pending_ > 0; });
      if (stopping_)
        return;
      const std::string line =
          "N" + std::to_string(lines_.size()) + "=DM-New-" + std::to_string(lines_.size()) + ".ut2";
      const FileDescriptor file(::open(path_.c_str(), O_WRONLY | O_APPEND));
      ASSERT_TRUE(file.valid() && writeAll(file.get(), (line + "\n").data(), line.size() + 1));
      lines_.push_back(line);
      --pending_;
      changed_.notify_all();
    }
  }

  std::string path_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int pending_ = 0;
  bool stopping_ = false;
  std::vector<std::string> lines_;
  std::thread thread_;
};

TEST(DurableMove, NoLineAnotherProgramAddsDuringTheSwapIsLost) {
  for (const SwapInstant instant : {SwapInstant::BeforeCheck, SwapInstant::BeforeRename}) {
    const TemporaryFolder folder;
    const std::string path = folder / "cache.ini";
    writeFile(path, "[Cache]\nM0=DM-A.ut2\nX0=Sky.utx\n");
    const std::vector<CacheEntry> maps = {{1, "DM-A.ut2", "M0"}};
    const std::vector<CacheEntry> textures = {{0, "Sky.utx", "X0"}};
    ListsView lists;
    lists[kMaps] = maps;
    lists[kTextures] = textures;
    GatedAppender game(path);
    int swaps = 0;
    ASSERT_TRUE(rewriteIndex(path, ".cache-sorter-test00", NewIndex{lists, {}, {}}, [&](SwapInstant at) {
      if (at == instant && swaps++ < 3)
        game.append(40);
    }));
    const std::string index = readFile(path);
    EXPECT_EQ(game.lines().size(), 120u);
    for (const std::string &line : game.lines())
      EXPECT_NE(index.find("\n" + line + "\n"), std::string::npos) << line;
    EXPECT_EQ(index.find("M0="), std::string::npos);
    EXPECT_EQ(index.rfind("[Cache]\nX0=Sky.utx\n", 0), 0u);
    EXPECT_FALSE(exists(folder / ".cache-sorter-test00"));
  }
}

TEST(DurableMove, AnIndexThatKeepsChangingIsLeftAsItIs) {
  const TemporaryFolder folder;
  const std::string path = folder / "cache.ini";
  writeFile(path, "[Cache]\nM0=DM-A.ut2\n");
  GatedAppender game(path);
  EXPECT_FALSE(rewriteIndex(path, ".cache-sorter-test00", NewIndex{}, [&](SwapInstant at) {
    if (at == SwapInstant::BeforeCheck)
      game.append(1);
  }));
  std::string expected = "[Cache]\nM0=DM-A.ut2\n";
  for (const std::string &line : game.lines())
    expected += line + "\n";
  EXPECT_EQ(readFile(path), expected);
  EXPECT_FALSE(exists(folder / ".cache-sorter-test00"));
}

// A move that stopped part-way: its journal, and the state its steps left.
// Only the temporary files the journal names are removed.
TEST(DurableMove, TheNextStartFinishesAnInterruptedMove) {
  MoveCommand move;
  const Sandbox &sandbox = move.sandbox;
  sandbox.writeCachedFile("B", "not moved yet");
  sandbox.writeCachedFile("C", "copied, not yet removed");
  writeFile(move.installed("Maps/DM-A.ut2"), "moved");
  writeFile(move.installed("Maps/DM-C.ut2"), "copied, not yet removed");
  const std::vector<PlannedMove> moves = {{kMaps, "A", "DM-A.ut2", ".cache-sorter-aaaaaa"},
                                          {kMaps, "B", "DM-B.ut2", ".cache-sorter-Ab12Cd"},
                                          {kMaps, "C", "DM-C.ut2", ".cache-sorter-cccccc"},
                                          {kMaps, "D", "DM-D.ut2", ".cache-sorter-dddddd"}};
  const std::string journal = journalPath(sandbox.cacheDirectory());
  const std::string recorded[] = {move.installed("Maps/.cache-sorter-Ab12Cd"),
                                  sandbox.cacheDirectory() + "/.cache-sorter-Idx001"};
  for (const std::string &leftover : recorded)
    writeFile(leftover, "half a copy");
  const std::string notOurs[] = {move.installed("Maps/.cache-sorter-XyZ123"),
                                 move.installed("Maps/.cache-sorter-backup"),
                                 sandbox.cacheDirectory() + "/.cache-sorter-backup"};
  for (const std::string &file : notOurs)
    writeFile(file, "a player's own file");
  makeFolders(move.installed("Maps/.cache-sorter-cccccc"));
  ASSERT_TRUE(journalMoves(journal, moves));
  ASSERT_TRUE(journalIndexTemporary(journal, ".cache-sorter-Idx001"));

  move.start("[Cache]\r\nA=DM-A.ut2\r\nB=DM-B.ut2\nC=DM-C.ut2\nD=DM-D.ut2\nR0=Readme.txt\nA=DM-A.ut2\n");

  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nB=DM-B.ut2\nC=DM-C.ut2\nD=DM-D.ut2\nR0=Readme.txt\nA=DM-A.ut2\n");
  EXPECT_EQ(move.controller().maps.size(), 4u);
  EXPECT_FALSE(exists(journal));
  for (const std::string &leftover : recorded)
    EXPECT_FALSE(exists(leftover)) << leftover;
  for (const std::string &file : notOurs)
    EXPECT_EQ(readFile(file), "a player's own file") << file;
  EXPECT_TRUE(std::filesystem::is_directory(move.installed("Maps/.cache-sorter-cccccc")));
  EXPECT_EQ(readFile(sandbox.cachedFile("C")), "copied, not yet removed");
}

// A move into the player's own folder is finished there, whichever
// installation the next start finds.
TEST(DurableMove, AnInterruptedMoveIsFinishedWhereItWent) {
  MoveCommand move;
  const Sandbox &sandbox = move.sandbox;
  const std::string own = sandbox.home() + "/.ut2004";
  makeFolders(own + "/Maps");
  writeFile(own + "/Maps/DM-A.ut2", "moved");
  sandbox.writeCachedFile("B", "not moved yet");
  const std::string journal = journalPath(sandbox.cacheDirectory());
  ASSERT_TRUE(journalDestination(journal, own));
  ASSERT_TRUE(journalMoves(journal, std::vector<PlannedMove>{{kMaps, "A", "DM-A.ut2", ".cache-sorter-aaaaaa"},
                                                             {kMaps, "B", "DM-B.ut2", ".cache-sorter-bbbbbb"}}));
  EXPECT_FALSE(journalDestination(journal, own + "/a\nline"));

  move.start("[Cache]\nA=DM-A.ut2\nB=DM-B.ut2\n");

  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nB=DM-B.ut2\n");
  EXPECT_FALSE(exists(journal));
  EXPECT_EQ(readFile(own + "/Maps/DM-A.ut2"), "moved");
  EXPECT_FALSE(exists(move.installed("Maps/DM-A.ut2")));
}

// An append cut short (a full volume, a kill) leaves half a record at the
// journal's end; what a later move adds must still read back whole.
TEST(DurableMove, AJournalRecordCutShortSpoilsNoRecordAfterIt) {
  const PlannedMove first{kMaps, "A", "DM-A.ut2", ".cache-sorter-aaaaaa"};
  const PlannedMove later{kTextures, "C", "Sky.utx", ".cache-sorter-cccccc"};
  // Cut short anywhere in a record, even with only its line feed missing.
  for (const std::size_t cut : {std::size_t{3}, std::size_t{15}, std::size_t{41}, std::size_t{42}}) {
    const TemporaryFolder scratch;
    const std::string path = journalPath(scratch.path());
    ASSERT_TRUE(journalMoves(path, std::vector<PlannedMove>{first}));
    {
      const std::string whole = std::string("move\0Maps\0B\0DM-B.ut2\0.cache-sorter-bbbbbb\0", 42);
      const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND));
      ASSERT_TRUE(writeAll(file.get(), whole.data(), std::min(cut, whole.size())));
    }
    ASSERT_TRUE(journalMoves(path, std::vector<PlannedMove>{later}));
    ASSERT_TRUE(journalSettled(path, {&first}));

    const JournalRead read = readJournal(path);
    ASSERT_EQ(read.state, JournalRead::State::Present) << cut;
    std::vector<std::string> records;
    for (const JournalRecord &record : read.journal.moves)
      records.push_back(record.move.cacheName + (record.settled ? " settled" : ""));
    const std::vector<std::string> whole = {"A settled", "B", "C"};
    const std::vector<std::string> cutShort = {"A settled", "C"};
    EXPECT_EQ(records, cut >= 42 ? whole : cutShort) << cut;
    EXPECT_EQ(read.journal.moves.back().move.temporaryName, ".cache-sorter-cccccc") << cut;
  }
}

TEST(DurableMove, AStartAfterACleanExitWritesNothing) {
  const Sandbox sandbox;
  const std::string bundle = sandbox.addInstallation("Games");
  sandbox.writeIndex("[Cache]\r\nM0=DM-A.ut2\r\n");
  // Named like this program's temporary files, but a player's own.
  for (const std::string &own :
       {bundle + "/Maps/.cache-sorter-backup", sandbox.cacheDirectory() + "/.cache-sorter-Ab12Cd"})
    writeFile(own, "mine");
  struct stat folderBefore {};
  struct stat indexBefore {};
  ASSERT_EQ(::stat(sandbox.cacheDirectory().c_str(), &folderBefore), 0);
  ASSERT_EQ(::stat(sandbox.cacheFile().c_str(), &indexBefore), 0);

  const StartedController started(sandbox.locations());
  struct stat folderAfter {};
  struct stat indexAfter {};
  ASSERT_EQ(::stat(sandbox.cacheDirectory().c_str(), &folderAfter), 0);
  ASSERT_EQ(::stat(sandbox.cacheFile().c_str(), &indexAfter), 0);
  EXPECT_EQ(indexAfter.st_ino, indexBefore.st_ino);
  EXPECT_EQ(indexAfter.st_mtim.tv_nsec, indexBefore.st_mtim.tv_nsec);
  EXPECT_EQ(folderAfter.st_mtim.tv_nsec, folderBefore.st_mtim.tv_nsec);
  EXPECT_EQ(started.controller.maps.size(), 1u);
  EXPECT_EQ(readFile(bundle + "/Maps/.cache-sorter-backup"), "mine");
  EXPECT_EQ(readFile(sandbox.cacheDirectory() + "/.cache-sorter-Ab12Cd"), "mine");
}

} // namespace
