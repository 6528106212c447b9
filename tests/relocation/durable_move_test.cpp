#include "app/app_controller.h"
#include "posix/flush.h"
#include "relocation/index_writer.h"
#include "relocation/move_journal.h"
#include "relocation/move_plan.h"

#include "move_fixture.h"
#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

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
  const std::vector<CacheEntry> maps = {{0, "DM-A.ut2", "M0"}};
  const std::vector<PlannedMove> ticked = {{kMaps, "M1", "DM-B.ut2", {}}};
  HeldEntries held;
  held.unticked[kMaps] = maps;
  held.ticked = ticked;
  ASSERT_TRUE(rewriteIndex(path, ".cache-sorter-test00", maps, held));
  EXPECT_EQ(readFile(path), "[Cache]\nM0=DM-A.ut2\nX0=Sky.utx\nM2=DM-C.ut2\n");
}

TEST(DurableMove, FlushesAsOftenForManyPackagesAsForFew) {
  for (const bool sameVolume : {false, true}) {
    std::vector<std::uint64_t> flushes;
    for (const int packages : {4, 400}) {
      MoveCommand move(sameVolume ? "Games" : "");
      std::string index = "[Cache]\n";
      for (int package = 0; package < packages; ++package) {
        const std::string name = "P" + std::to_string(package);
        move.sandbox.writeCachedFile(name, name);
        index += name + "=" + name + (package % 2 ? ".ut2\n" : ".utx\n");
      }
      move.start(index);
      move.controller().selectAll();
      const std::uint64_t before = flushCallCount();
      move.controller().moveFiles();
      flushes.push_back(flushCallCount() - before);
      EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\n");
    }
    EXPECT_EQ(flushes[0], flushes[1]) << (sameVolume ? "rename" : "copy");
    EXPECT_LE(flushes[1], 40u);
  }
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

TEST(DurableMove, AStartAfterACleanExitWritesNothing) {
  const Sandbox sandbox;
  sandbox.addInstallation("Games");
  sandbox.writeIndex("[Cache]\r\nM0=DM-A.ut2\r\n");
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
}

} // namespace
