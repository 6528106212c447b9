#include "relocation/move_journal.h"
#include "relocation/replacement_file.h"
#include "window/move_texts.h"

#include "move_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kStaleIndex = "[Cache]\r\nM0=DM-Here.ut2\r\nM1=DM-Purged.ut2\r\nR0=Readme.txt\r\nX0=Sky.utx\r\n"
                                "X1=Purged.utx\r\nX2=Purged.utx\r\n../M2=DM-Elsewhere.ut2\r\nM3=DM-Folder.ut2\r\n";

std::vector<std::string> debris(const Sandbox &sandbox) {
  std::vector<std::string> found;
  for (const auto &file : std::filesystem::recursive_directory_iterator(sandbox.root())) {
    const std::string name = file.path().filename().string();
    if (isTemporaryFileName(name) || name == ".cache-sorter-journal")
      found.push_back(file.path().string());
  }
  return found;
}

TEST(Cleanup, RemovesTheLinesThatNameNoCachedFile) {
  MoveCommand cleanup;
  cleanup.sandbox.writeCachedFile("M0", "here");
  cleanup.sandbox.writeCachedFile("X0", "sky");
  makeFolders(cleanup.sandbox.cachedFile("M3"));
  cleanup.start(kStaleIndex);
  EXPECT_EQ(cleanup.controller().countMissingEntries(), 3u) << "M1, X1 and X2; not a name that leads elsewhere";

  const AppController::RemovedEntries removed = cleanup.controller().removeMissingEntries();
  EXPECT_EQ(removed.problem, std::nullopt);
  EXPECT_EQ(removed.removed, 3u);
  EXPECT_EQ(readFile(cleanup.sandbox.cacheFile()),
            "[Cache]\nM0=DM-Here.ut2\nR0=Readme.txt\nX0=Sky.utx\n../M2=DM-Elsewhere.ut2\nM3=DM-Folder.ut2\n");
  EXPECT_EQ(cleanup.controller().maps.size(), 3u) << "read again";
  EXPECT_EQ(cleanup.window().eventsStartingWith("reload").size(), 8u);
  EXPECT_TRUE(debris(cleanup.sandbox).empty());
}

TEST(Cleanup, PutsTheTickedPackagesInTheTrashAndTheirLinesGo) {
  MoveCommand cleanup;
  const std::string trash = cleanup.sandbox.home() + "/.local/share/Trash/files";
  cleanup.sandbox.writeCachedFile("M0", "here");
  cleanup.sandbox.writeCachedFile("X0", "sky");
  cleanup.start(kStaleIndex);
  cleanup.tick(kMaps, 0);
  cleanup.tick(kMaps, 1);
  cleanup.tick(kTextures, 0);

  cleanup.controller().discardTicked();

  EXPECT_EQ(readFile(trash + "/M0.uxx"), "here");
  EXPECT_EQ(readFile(trash + "/X0.uxx"), "sky");
  EXPECT_EQ(readFile(cleanup.sandbox.cacheFile()), "[Cache]\n../M2=DM-Elsewhere.ut2\nM3=DM-Folder.ut2\n"
                                                   "X1=Purged.utx\nX2=Purged.utx\nR0=Readme.txt\n");
  const MoveReport &report = cleanup.window().platform.report;
  EXPECT_EQ(report.action, MoveReport::Action::Trash);
  EXPECT_EQ(report.moved.size(), 3u) << "the purged one loses only its line";
  EXPECT_TRUE(debris(cleanup.sandbox).empty());
}

TEST(Cleanup, WithoutATrashItAsksBeforeDeletingForGood) {
  for (const bool deleteForGood : {false, true}) {
    MoveCommand cleanup;
    cleanup.sandbox.writeCachedFile("M0", "here");
    cleanup.sandbox.writeCachedFile("X0", "sky");
    // No Trash can be made where the data folder should be.
    writeFile(cleanup.sandbox.home() + "/.local", "");
    cleanup.start(kStaleIndex);
    cleanup.window().platform.deleteForGood = deleteForGood;
    cleanup.tick(kMaps, 0);
    cleanup.tick(kTextures, 0);

    cleanup.controller().discardTicked();

    EXPECT_EQ(cleanup.window().eventsStartingWith("ask"), std::vector<std::string>{"ask delete 2"});
    EXPECT_EQ(exists(cleanup.sandbox.cachedFile("M0")), !deleteForGood);
    EXPECT_EQ(exists(cleanup.sandbox.cachedFile("X0")), !deleteForGood);
    const std::string index = readFile(cleanup.sandbox.cacheFile());
    EXPECT_EQ(index.find("M0=DM-Here.ut2") != std::string::npos, !deleteForGood);
    EXPECT_EQ(cleanup.window().platform.report.action,
              deleteForGood ? MoveReport::Action::Delete : MoveReport::Action::Trash);
    EXPECT_TRUE(debris(cleanup.sandbox).empty());
    // Kept, they stay ticked, to be moved or deleted at the next command.
    if (!deleteForGood) {
      const std::vector<CacheEntry> &maps = cleanup.controller().maps;
      EXPECT_NE(std::find(maps.begin(), maps.end(), CacheEntry{1, "DM-Here.ut2", "M0"}), maps.end());
    }
  }
}

TEST(Cleanup, TheReportTellsTheTrashedFromTheDeleted) {
  MoveCommand cleanup;
  const std::string trash = cleanup.sandbox.home() + "/.local/share/Trash";
  cleanup.sandbox.writeCachedFile("M0", "here");
  cleanup.sandbox.writeCachedFile("X0", "sky");
  cleanup.start(kStaleIndex);
  cleanup.window().platform.deleteForGood = true;
  // The Trash takes the first package, then can no longer be written.
  cleanup.window().platform.duringMove = [&](const MoveProgress &progress) {
    if (progress.current == 2) {
      std::filesystem::remove_all(trash + "/info");
      writeFile(trash + "/info", "");
    }
  };
  cleanup.tick(kMaps, 0);
  cleanup.tick(kTextures, 0);

  cleanup.controller().discardTicked();

  EXPECT_EQ(readFile(trash + "/files/M0.uxx"), "here");
  EXPECT_FALSE(exists(cleanup.sandbox.cachedFile("X0")));
  const MoveReport &report = cleanup.window().platform.report;
  EXPECT_EQ(report.action, MoveReport::Action::Trash);
  ASSERT_EQ(report.moved.size(), 2u);
  EXPECT_FALSE(report.moved[0].deletedForGood);
  EXPECT_TRUE(report.moved[1].deletedForGood);
  EXPECT_EQ(reportSummary(report), "Put 1 package in the Trash and deleted 1 for good");
}

TEST(Cleanup, StartUpTakesOutTheLinesOfPackagesAnInterruptedTrashingTook) {
  MoveCommand cleanup;
  cleanup.sandbox.writeCachedFile("X0", "sky");
  cleanup.sandbox.writeIndex(kStaleIndex);
  // Killed after M0 went to the Trash, before the index was written.
  ASSERT_TRUE(journalDiscards(cleanup.sandbox.cacheDirectory() + "/.cache-sorter-journal",
                              std::vector<PlannedMove>{{kMaps, "M0", "DM-Here.ut2", newTemporaryName()},
                                                       {kTextures, "X0", "Sky.utx", newTemporaryName()}}));
  const StartedController started(cleanup.sandbox.locations());
  const std::string index = readFile(cleanup.sandbox.cacheFile());
  EXPECT_EQ(index.find("M0=DM-Here.ut2"), std::string::npos) << "its file is gone, so its line goes";
  EXPECT_NE(index.find("X0=Sky.utx"), std::string::npos) << "its file is there, so its line stays";
  EXPECT_TRUE(debris(cleanup.sandbox).empty());
}

} // namespace
