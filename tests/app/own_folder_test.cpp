// The packages go into the player's own folders when the game's are not
// theirs, and the game is told to look there.
#include "app/app_controller.h"
#include "app/game_settings.h"
#include "relocation/settings_edit.h"

#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kSettings =
    "[Engine.Engine]\r\nRenderDevice=OpenGLDrv.OpenGLRenderDevice\r\n\r\n[Core.System]\r\n"
    "PurgeCacheDays=30\r\nPaths=../System/*.u\r\nPaths=../Maps/*.ut2\r\n\r\n[Other]\r\nA=1\r\n";

// The Linux client's layout: the game at /usr/local/games/ut2004, the cache
// and the settings in ~/.ut2004.
struct LinuxLayout {
  LinuxLayout() {
    std::filesystem::remove_all(sandbox.volumes());
    for (const char *folder : {"System", "Maps", "Textures", "Music"})
      makeFolders(game + "/" + folder);
    makeFolders(own + "/System");
    makeFolders(own + "/Cache");
    writeFile(ini, kSettings);
    writeFile(own + "/Cache/cache.ini", "[Cache]\nM1=DM-One.ut2\nX1=Sky.utx\nO1=Theme.ogg\n");
    for (const char *cached : {"M1", "X1", "O1"})
      writeFile(own + "/Cache/" + std::string(cached) + ".uxx", std::string("bytes of ") + cached);
  }
  Sandbox sandbox;
  const std::string game = sandbox.root() + "/usr/local/games/ut2004";
  const std::string own = sandbox.home() + "/.ut2004";
  const std::string ini = own + "/System/UT2004.ini";
};

TEST(OwnFolder, ThePackagesGoThereAndTheGameIsToldOnce) {
  const LinuxLayout layout;
  StartedController started(layout.sandbox.locations());
  AppController &controller = started.controller;
  ASSERT_EQ(controller.unrealDir, layout.game);
  EXPECT_EQ(controller.ownPackageFolder(), layout.own);

  controller.selectAll();
  controller.moveFiles(AppController::MoveChoices{false, false, false, true});
  EXPECT_EQ(readFile(layout.own + "/Maps/DM-One.ut2"), "bytes of M1");
  EXPECT_EQ(readFile(layout.own + "/Textures/Sky.utx"), "bytes of X1");
  EXPECT_TRUE(std::filesystem::is_empty(layout.game + "/Maps"));
  // The game reads music from its own folder alone: that package stays.
  EXPECT_EQ(readFile(layout.own + "/Cache/cache.ini"), "[Cache]\nO1=Theme.ogg\n");
  const std::vector<std::string> added = pathsLinesFor(layout.own);
  EXPECT_EQ(added.front(), "Paths=" + layout.own + "/Animations/*.ukx");
  EXPECT_EQ(added.size(), 6u);
  EXPECT_EQ(readFile(layout.ini), withCoreSystemLines(kSettings, added));
  EXPECT_EQ(readFile(settingsBackupOf(layout.ini)), kSettings);

  // The needs are looked up there too, after the game's own folders.
  const std::vector<std::string> folders = packageFolders(layout.game, layout.own);
  EXPECT_EQ(folders[0], layout.game + "/System");
  EXPECT_EQ(folders[1], layout.game + "/Maps");
  EXPECT_NE(std::find(folders.begin(), folders.end(), layout.own + "/Maps"), folders.end());

  // A second move adds no line again; what the player's folders hold is
  // what it would replace, and a different file there is kept if asked.
  writeFile(layout.own + "/Cache/M2.uxx", "bytes of M2");
  writeFile(layout.own + "/Cache/M3.uxx", "another DM-One");
  writeFile(layout.own + "/Cache/cache.ini", "[Cache]\nO1=Theme.ogg\nM2=DM-Two.ut2\nM3=dm-one.ut2\n");
  ASSERT_EQ(controller.reloadLists(), std::nullopt);
  controller.selectAll();
  EXPECT_EQ(controller.previewMove().differentReplacements, 0u) << "nothing of that name in the game";
  EXPECT_EQ(controller.previewMove(true).differentReplacements, 1u);
  const std::string edited = readFile(layout.ini);
  controller.moveFiles(AppController::MoveChoices{true, false, false, true});
  EXPECT_EQ(readFile(layout.own + "/Maps/DM-Two.ut2"), "bytes of M2");
  EXPECT_EQ(readFile(layout.own + "/Maps/DM-One.ut2"), "bytes of M1");
  EXPECT_EQ(readFile(layout.own + "/Cache/cache.ini"), "[Cache]\nM3=dm-one.ut2\nO1=Theme.ogg\n");
  EXPECT_EQ(readFile(layout.ini), edited);
}

TEST(OwnFolder, NothingChangesWhileTheGameRunsOrWithoutItsSettings) {
  const LinuxLayout layout;
  Locations locations = layout.sandbox.locations();
  makeFolders(locations.processFolder + "/4242");
  writeFile(locations.processFolder + "/4242/comm", "ut2004-bin\n");
  StartedController started(locations);
  AppController &controller = started.controller;
  controller.selectAll();
  controller.moveFiles(AppController::MoveChoices{false, false, false, true});
  EXPECT_EQ(started.window.eventsStartingWith("alert: Quit Unreal Tournament 2004 first").size(), 1u);
  EXPECT_EQ(readFile(layout.ini), kSettings);
  EXPECT_FALSE(exists(layout.own + "/Maps"));
  EXPECT_EQ(readFile(layout.own + "/Cache/cache.ini"), "[Cache]\nM1=DM-One.ut2\nX1=Sky.utx\nO1=Theme.ogg\n");

  // The game has not written its settings yet: there is nowhere to tell it.
  std::filesystem::remove(layout.ini);
  EXPECT_EQ(controller.ownPackageFolder(), std::nullopt);
}

TEST(KeepDownloads, ForGoodAndBackChangesOneLineAndNeverWhileTheGameRuns) {
  const LinuxLayout layout;
  Locations locations = layout.sandbox.locations();
  StartedController started(locations);
  AppController &controller = started.controller;
  ASSERT_TRUE(controller.downloadKeeping());
  EXPECT_EQ(controller.downloadKeeping()->settingsFile, layout.ini);
  EXPECT_EQ(controller.downloadKeeping()->days, 30);

  ASSERT_EQ(controller.keepDownloadsForGood(true), std::nullopt);
  EXPECT_EQ(readFile(layout.ini), withCoreSystemValue(kSettings, "PurgeCacheDays", "0"));
  EXPECT_EQ(controller.downloadKeeping()->days, 0);

  // The game runs: it would write its settings over the line when it quits.
  makeFolders(locations.processFolder + "/4242");
  writeFile(locations.processFolder + "/4242/comm", "ut2004-bin\n");
  EXPECT_NE(controller.keepDownloadsForGood(false), std::nullopt);
  EXPECT_EQ(controller.downloadKeeping()->days, 0);
  std::filesystem::remove_all(locations.processFolder + "/4242");

  // Back to what it was, the file as it was.
  ASSERT_EQ(controller.keepDownloadsForGood(false), std::nullopt);
  EXPECT_EQ(readFile(layout.ini), kSettings);

  // A number the player chose comes back too; a line with no number reads
  // as 0, as the game reads it.
  writeFile(layout.ini, "[Core.System]\nPurgeCacheDays=14\n");
  ASSERT_EQ(controller.keepDownloadsForGood(true), std::nullopt);
  ASSERT_EQ(controller.keepDownloadsForGood(false), std::nullopt);
  EXPECT_EQ(readFile(layout.ini), "[Core.System]\nPurgeCacheDays=14\n");
  writeFile(layout.ini, "[Core.System]\nPurgeCacheDays=never\n");
  EXPECT_EQ(controller.downloadKeeping()->days, 0);

  // Chosen by hand, the cache names no user folder: the settings beside it
  // are the game's.
  ASSERT_EQ(controller.chooseCacheFolder(layout.own + "/Cache"), std::nullopt);
  ASSERT_TRUE(controller.downloadKeeping());
  EXPECT_EQ(controller.downloadKeeping()->settingsFile, layout.ini);
}

} // namespace
