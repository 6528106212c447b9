// Packages put back into the cache: undoing a move, on one volume and across
// two, and finishing what an interruption left.
#include "app/app_controller.h"
#include "relocation/replacement_file.h"
#include "relocation/return_journal.h"
#include "relocation/return_to_cache.h"

#include "archive_writer.h"
#include "package_writer.h"
#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kIndex = "[Cache]\r\nM1=DM-One.ut2\r\nM2=DM-Two.ut2\r\nX1=Sky.utx\r\nK1=Kept.uax\r\n";

// A cache of four packages and a game, with the home folder on the game's
// volume (moves are renames) or not (moves are copies).
class UndoMove : public ::testing::TestWithParam<bool> {
protected:
  UndoMove() : sandbox(GetParam() ? "Games" : "") {
    game = sandbox.addInstallation("Games");
    sandbox.writeIndex(kIndex);
    for (const char *name : {"M1", "M2", "X1", "K1"})
      sandbox.writeCachedFile(name, std::string("bytes of ") + name);
  }

  // Ticks and moves every package but K1.
  void moveAllButK1(AppController &controller) {
    for (std::size_t category = 0; category < kCategoryCount; ++category)
      for (CacheEntry &entry : controller.listAt(category))
        entry.selected = entry.cacheName == "K1" ? 0 : 1;
    controller.moveFiles();
    ASSERT_EQ(readFile(game + "/Maps/DM-One.ut2"), "bytes of M1");
  }

  Sandbox sandbox;
  std::string game;
};

TEST_P(UndoMove, PutsBackWhatTheMovePutAndKeepsWhatChangedSince) {
  StartedController started(sandbox.locations());
  AppController &controller = started.controller;
  EXPECT_FALSE(controller.canUndoMove());
  moveAllButK1(controller);
  ASSERT_TRUE(controller.canUndoMove());
  // The player replaced one map since: that file is theirs now.
  writeFile(game + "/Maps/DM-Two.ut2", "a newer DM-Two");

  controller.undoMove();
  EXPECT_FALSE(controller.canUndoMove()) << "undone once";
  EXPECT_EQ(readFile(sandbox.cachedFile("M1")), "bytes of M1");
  EXPECT_EQ(readFile(sandbox.cachedFile("X1")), "bytes of X1");
  EXPECT_FALSE(exists(game + "/Maps/DM-One.ut2"));
  EXPECT_FALSE(exists(game + "/Textures/Sky.utx"));
  EXPECT_EQ(readFile(game + "/Maps/DM-Two.ut2"), "a newer DM-Two");
  EXPECT_FALSE(exists(sandbox.cachedFile("M2")));
  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nK1=Kept.uax\nM1=DM-One.ut2\nX1=Sky.utx\n");
  const MoveReport &report = started.window.platform.report;
  EXPECT_EQ(report.action, PackageAction::Return);
  ASSERT_EQ(report.moved.size(), 2u);
  ASSERT_EQ(report.stayed.size(), 1u);
  EXPECT_EQ(report.stayed[0].utName, "DM-Two.ut2");
  EXPECT_EQ(report.stayed[0].reason, kChangedSinceReason);
  EXPECT_EQ(controller.listAt(kMapsCategory).size(), 1u) << "the lists are read again";
  EXPECT_FALSE(exists(returnJournalPath(sandbox.cacheDirectory())));
}

TEST_P(UndoMove, NeverReplacesAFileInTheCache) {
  StartedController started(sandbox.locations());
  AppController &controller = started.controller;
  moveAllButK1(controller);
  // The game downloaded the map again since.
  sandbox.writeCachedFile("M1", "downloaded again");
  controller.undoMove();
  EXPECT_EQ(readFile(sandbox.cachedFile("M1")), "downloaded again");
  EXPECT_EQ(readFile(game + "/Maps/DM-One.ut2"), "bytes of M1");
  ASSERT_EQ(started.window.platform.report.stayed.size(), 1u);
  EXPECT_EQ(started.window.platform.report.stayed[0].reason, kCacheNameTakenReason);
}

TEST_P(UndoMove, PutBackGoesUnderTheGuidAndRefusesWhatIsNoPackageOfTheGame) {
  PackageWriter writer;
  writer.guid = {0xA1B2C3D4, 0x00000001, 0x0000BEEF, 0x12345678};
  writeFile(game + "/Maps/DM-Mine.ut2", writer.bytes());
  writeFile(game + "/Maps/DM-Broken.ut2", "<html>not found</html>");
  writeFile(sandbox.root() + "/DM-Elsewhere.ut2", writer.bytes());
  StartedController started(sandbox.locations());
  AppController &controller = started.controller;

  controller.putBackIntoCache(
      {game + "/Maps/DM-Mine.ut2", game + "/Maps/DM-Broken.ut2", sandbox.root() + "/DM-Elsewhere.ut2"});
  EXPECT_EQ(readFile(sandbox.cachedFile("A1B2C3D4000000010000BEEF12345678")), writer.bytes());
  EXPECT_FALSE(exists(game + "/Maps/DM-Mine.ut2"));
  // Its line comes last, the others as the program writes every index.
  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nM1=DM-One.ut2\nM2=DM-Two.ut2\nX1=Sky.utx\nK1=Kept.uax\n"
                                           "A1B2C3D4000000010000BEEF12345678=DM-Mine.ut2\n");
  EXPECT_EQ(readFile(game + "/Maps/DM-Broken.ut2"), "<html>not found</html>");
  EXPECT_TRUE(exists(sandbox.root() + "/DM-Elsewhere.ut2"));
  const MoveReport &report = started.window.platform.report;
  ASSERT_EQ(report.moved.size(), 1u);
  ASSERT_EQ(report.stayed.size(), 2u);
  EXPECT_TRUE(report.stayed[0].reason.starts_with("Stayed in the game: not a package the game can read"))
      << report.stayed[0].reason;
  EXPECT_EQ(report.stayed[1].reason, "Stayed: it is not in the game's Maps folder");
  EXPECT_EQ(controller.listAt(kMapsCategory).size(), 3u);
}

// The question before an archive is installed names what its maps need
// that is neither in it, the game nor the cache.
TEST_P(UndoMove, AnArchivesMapsNeedsAreLookedUpInItTheGameAndTheCache) {
  PackageWriter map;
  for (const char *needed : {"Sky", "InTheArchive", "Nowhere"})
    map.needs(needed);
  writeFile(game + "/Textures/InTheGame.utx", "a texture");
  PackageWriter other;
  other.needs("InTheGame");
  const std::string archive = sandbox.root() + "/pack.7z";
  ASSERT_TRUE(writeArchive(archive, ArchiveFormat::SevenZip,
                           {{"Maps/DM-Needy.ut2", map.bytes()},
                            {"Maps/DM-Content.ut2", other.bytes()},
                            {"Textures/InTheArchive.utx", "t"}}));
  StartedController started(sandbox.locations());
  // Sky.utx is in the cache (X1).
  const AppController::ArchiveQuestion question = started.controller.planArchive(archive);
  EXPECT_EQ(question.plan.unreadable, "");
  EXPECT_EQ(question.missingNeeds, std::vector<std::string>{"DM-Needy.ut2: Nowhere"});
}

INSTANTIATE_TEST_SUITE_P(OneVolumeAndTwo, UndoMove, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "Renames" : "Copies"; });

// What an interrupted return left, settled at the next start: each state a
// kill can leave, and one it cannot tell from another program's file.
TEST(FinishInterruptedReturn, SettlesEachStateByWhatIsOnDisk) {
  const Sandbox sandbox;
  const std::string game = sandbox.addInstallation("Games");
  const std::string cache = sandbox.cacheDirectory();
  sandbox.writeIndex("[Cache]\nK1=Kept.uax");
  // Renamed into the cache, its line not yet added.
  sandbox.writeCachedFile("R1", "renamed");
  // Copied into the cache whole, the file in the game not yet removed.
  sandbox.writeCachedFile("C1", "copied");
  writeFile(game + "/Maps/DM-Copied.ut2", "copied");
  // Not moved yet: its staged copy is left half-written.
  writeFile(game + "/Maps/DM-Staged.ut2", "staged in full");
  const std::string staged = newTemporaryName();
  writeFile(cache + "/" + staged, "staged");
  // Another file stands under the cache name, with other bytes.
  sandbox.writeCachedFile("O1", "the game's own download");
  writeFile(game + "/Maps/DM-Other.ut2", "the player's map");
  const auto relative = [&](const std::string &name) {
    return std::filesystem::path(game + "/Maps/" + name).lexically_relative(cache).string();
  };
  const ReturnJournal journal{newTemporaryName(),
                              {{kMapsCategory, "R1", "DM-Renamed.ut2", relative("DM-Renamed.ut2"), newTemporaryName()},
                               {kMapsCategory, "C1", "DM-Copied.ut2", relative("DM-Copied.ut2"), newTemporaryName()},
                               {kMapsCategory, "S1", "DM-Staged.ut2", relative("DM-Staged.ut2"), staged},
                               {kMapsCategory, "O1", "DM-Other.ut2", relative("DM-Other.ut2"), newTemporaryName()}}};
  ASSERT_TRUE(writeReturnJournal(returnJournalPath(cache), journal));
  EXPECT_FALSE(writeReturnJournal(returnJournalPath(cache), journal)) << "never over one that stands";

  finishInterruptedReturn(sandbox.cacheFile());
  EXPECT_EQ(readFile(sandbox.cacheFile()),
            "[Cache]\nK1=Kept.uax\nR1=DM-Renamed.ut2\nC1=DM-Copied.ut2\nO1=DM-Other.ut2\n");
  EXPECT_FALSE(exists(game + "/Maps/DM-Copied.ut2"));
  EXPECT_FALSE(exists(cache + "/" + staged));
  EXPECT_EQ(readFile(game + "/Maps/DM-Staged.ut2"), "staged in full");
  EXPECT_EQ(readFile(game + "/Maps/DM-Other.ut2"), "the player's map");
  EXPECT_FALSE(exists(returnJournalPath(cache)));

  // Done twice, it changes nothing more.
  ASSERT_TRUE(writeReturnJournal(returnJournalPath(cache), journal));
  finishInterruptedReturn(sandbox.cacheFile());
  EXPECT_EQ(readFile(sandbox.cacheFile()),
            "[Cache]\nK1=Kept.uax\nR1=DM-Renamed.ut2\nC1=DM-Copied.ut2\nO1=DM-Other.ut2\n");
}

} // namespace
