#include "app/app_controller.h"
#include "app/game_process.h"
#include "app/game_search.h"
#include "app/game_settings.h"

#include "memory_choice_store.h"
#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

const std::string kIndex = "[Cache]\nM1=DM-One.ut2\nX1=Sky.utx\n";

// A sandbox without the Mac release: no volumes folder, no cache of its own.
class GameSearchTest : public ::testing::Test {
protected:
  GameSearchTest() {
    std::filesystem::remove_all(sandbox.volumes());
    std::filesystem::remove_all(sandbox.home() + "/Library");
  }

  std::string home(std::string_view relative) const { return sandbox.home() + "/" + std::string(relative); }
  std::string root(std::string_view relative) const { return sandbox.root() + std::string(relative); }

  // A game folder holding `folders`.
  static std::string addGame(const std::string &folder,
                             std::initializer_list<const char *> folders = {"System", "Maps", "Textures"}) {
    for (const char *name : folders)
      makeFolders(folder + "/" + name);
    return folder;
  }
  static void addCache(const std::string &cacheFolder) {
    makeFolders(cacheFolder);
    writeFile(cacheFolder + "/cache.ini", kIndex);
  }

  LayoutSearch search() const { return searchLayouts(sandbox.locations()); }

  Sandbox sandbox;
};

TEST_F(GameSearchTest, TakesTheFirstLayoutWhoseCacheExists) {
  const std::string steam = addGame(home(".steam/steam/steamapps/common/Unreal Tournament 2004"));
  addCache(steam + "/Cache");
  EXPECT_EQ(search().found->layout, "Steam (Proton)");
  EXPECT_EQ(search().found->installation, steam);

  // The Linux client's cache comes before Steam's.
  addCache(home(".ut2004/Cache"));
  const std::string linux = addGame(root("/opt/ut2004"));
  const LayoutSearch found = search();
  EXPECT_EQ(found.found->layout, "Linux");
  EXPECT_EQ(found.found->cacheFile, home(".ut2004/Cache/cache.ini"));
  EXPECT_EQ(found.found->installation, linux);

  // The Mac community patch comes before both.
  addCache(home("Library/Application Support/UT2004/Cache"));
  EXPECT_EQ(search().found->layout, "Mac, community patch");
  EXPECT_EQ(search().found->installation, std::nullopt);
  EXPECT_EQ(search().anyInstallation, linux);
}

TEST_F(GameSearchTest, LayoutsThatShareACacheTellApartByTheirGame) {
  addCache(home(".ut2004/Cache"));
  EXPECT_EQ(search().found->layout, "Linux") << "with no game, the first layout of that cache";
  EXPECT_EQ(search().found->installation, std::nullopt);

  const std::string patch = addGame(home(".local/share/OldUnreal/UT2004"));
  EXPECT_EQ(search().found->layout, "Linux, community patch");
  EXPECT_EQ(search().found->installation, patch);

  const std::string upper = addGame(root("/usr/local/games/UT2004"));
  EXPECT_EQ(search().found->layout, "Linux");
  EXPECT_EQ(search().found->installation, upper) << "an earlier row wins";
}

TEST_F(GameSearchTest, AGameFolderNeedsSystemAndACategoryFolderInAnyCase) {
  struct GameCase {
    const char *label;
    std::initializer_list<const char *> folders;
    bool isGame;
  };
  const GameCase cases[] = {
      {"exact names", {"System", "Maps"}, true},           {"names in another case", {"system", "TEXTURES"}, true},
      {"no System", {"Maps", "Textures", "Music"}, false}, {"System alone", {"System"}, false},
      {"other folders", {"System", "Help", "Web"}, false},
  };
  for (const GameCase &game : cases) {
    const TemporaryFolder folder;
    addGame(folder.path(), game.folders);
    EXPECT_EQ(isInstallation(folder.path()), game.isGame) << game.label;
  }
  const TemporaryFolder folder;
  writeFile(folder / "System", "");
  makeFolders(folder / "Maps");
  EXPECT_FALSE(isInstallation(folder.path())) << "a plain file called System";
  makeFolders(folder / "system");
  EXPECT_EQ(findFolderNamed(folder.path(), "System"), "system");
}

TEST_F(GameSearchTest, CachePathInTheGameSettingsIsTheTruth) {
  struct SettingsCase {
    const char *label;
    const char *settings;
    std::string expected; // relative to ~/.ut2004, or absolute in the sandbox
  };
  const std::string absolute = root("/srv/cache");
  const SettingsCase cases[] = {
      {"no settings", "", "Cache/cache.ini"},
      {"relative", "[Core.System]\r\nPurgeCacheDays=30\r\nCachePath=../Downloads\r\n", "Downloads/cache.ini"},
      {"Windows separators", "[Core.System]\nCachePath=..\\Downloads\\UT\n", "Downloads/UT/cache.ini"},
      {"another case", "[core.system]\n  cachepath = ../Downloads \n", "Downloads/cache.ini"},
      {"another section", "[Engine.Engine]\nCachePath=../Elsewhere\n[Core.System]\n", "Cache/cache.ini"},
      {"a Windows drive", "[Core.System]\nCachePath=C:\\UT2004\\Cache\n", "Cache/cache.ini"},
      {"empty", "[Core.System]\nCachePath=\n", "Cache/cache.ini"},
      {"absolute", "[Core.System]\nCachePath=/srv/cache\n", absolute + "/cache.ini"},
  };
  for (const SettingsCase &settings : cases) {
    const TemporaryFolder user;
    makeFolders(user / "System");
    if (*settings.settings)
      writeFile(user / "System/UT2004.ini", settings.settings);
    const std::string expected =
        settings.expected.front() == '/' ? settings.expected : user.path() + "/" + settings.expected;
    const CacheIndexPlace place = cacheIndexOf(user.path(), sandbox.root());
    EXPECT_EQ(place.cacheFile, expected) << settings.label;
    EXPECT_EQ(place.passedOver, std::nullopt) << settings.label;
  }

  // A NUL byte ends the value, as in the game.
  {
    const TemporaryFolder user;
    makeFolders(user / "System");
    writeFile(user / "System/UT2004.ini", std::string("[Core.System]\nCachePath=../Downloads\0junk\n", 42));
    EXPECT_EQ(cacheIndexOf(user.path(), sandbox.root()).cacheFile, user / "Downloads/cache.ini");
    writeFile(user / "System/UT2004.ini", std::string("[Core.System]\nCachePath=\0../Elsewhere\n", 38));
    EXPECT_EQ(cacheIndexOf(user.path(), sandbox.root()).cacheFile, user / "Cache/cache.ini") << "the default";
  }

  makeFolders(home(".ut2004/System"));
  writeFile(home(".ut2004/System/UT2004.ini"), "[Core.System]\nCachePath=../../UTCache\n");
  addCache(home("UTCache"));
  EXPECT_EQ(search().found->cacheFile, home("UTCache/cache.ini"));
  EXPECT_EQ(search().looked.cacheIndexes[1], home("UTCache/cache.ini"));
}

TEST_F(GameSearchTest, NothingFoundOpensTheWindowEmptyWithWhereItLooked) {
  const StartedController started(sandbox.locations());
  const AppController &controller = started.controller;
  EXPECT_TRUE(started.window.log.empty()) << "no alert, no end";
  EXPECT_FALSE(controller.hasCache());
  EXPECT_FALSE(controller.terminationRequested());
  const SearchedPlaces &looked = controller.searchedPlaces();
  EXPECT_EQ(looked.cacheIndexes.front(), home("Library/Application Support/Unreal Tournament 2004/Cache/cache.ini"));
  EXPECT_NE(std::find(looked.cacheIndexes.begin(), looked.cacheIndexes.end(), home(".ut2004/Cache/cache.ini")),
            looked.cacheIndexes.end());
  EXPECT_NE(std::find(looked.gameFolders.begin(), looked.gameFolders.end(), root("/usr/local/games/ut2004")),
            looked.gameFolders.end());
}

TEST_F(GameSearchTest, AFoundLayoutStartsWithoutAlerts) {
  addCache(home(".ut2004/Cache"));
  const StartedController started(sandbox.locations());
  EXPECT_TRUE(started.window.log.empty()) << "a missing game is the status bar's to say";
  EXPECT_EQ(started.controller.location().layout, "Linux");
  EXPECT_EQ(started.controller.cacheFile, home(".ut2004/Cache/cache.ini"));
  EXPECT_EQ(started.controller.maps, (std::vector<CacheEntry>{{0, "DM-One.ut2", "M1"}}));
}

TEST_F(GameSearchTest, AChosenFolderWinsAndIsRemembered) {
  addCache(home(".ut2004/Cache"));
  const std::string linux = addGame(root("/opt/ut2004"));
  const std::string chosenCache = sandbox.root() + "/elsewhere/Cache";
  addCache(chosenCache);
  writeFile(chosenCache + "/cache.ini", "[Cache]\nC1=CTF-Chosen.ut2\n");
  const std::string chosenGame = addGame(sandbox.root() + "/games/UT2004");

  MemoryChoiceStore store;
  RecordingWindow window;
  AppController controller(window.platform, sandbox.locations(), &store);
  window.connect(controller);
  controller.awakeFromNib();
  EXPECT_EQ(controller.unrealDir, linux);

  EXPECT_EQ(controller.chooseCacheFolder(chosenCache), std::nullopt);
  EXPECT_EQ(controller.cacheFile, chosenCache + "/cache.ini");
  EXPECT_EQ(controller.maps, (std::vector<CacheEntry>{{0, "CTF-Chosen.ut2", "C1"}})) << "read at once";
  EXPECT_EQ(window.eventsStartingWith("reload").size(), 8u);
  EXPECT_EQ(controller.chooseGameFolder(chosenGame), std::nullopt);
  EXPECT_EQ(controller.unrealDir, chosenGame);
  EXPECT_TRUE(controller.location().cacheChosen && controller.location().gameChosen);
  EXPECT_EQ(store.chosen.cacheFolder, chosenCache);
  EXPECT_EQ(store.chosen.gameFolder, chosenGame);

  // The next start takes the remembered folders over the search.
  AppController next(window.platform, sandbox.locations(), &store);
  next.awakeFromNib();
  EXPECT_EQ(next.cacheFile, chosenCache + "/cache.ini");
  EXPECT_EQ(next.unrealDir, chosenGame);

  // Forgetting them goes back to what the search finds.
  EXPECT_EQ(controller.forgetChosenFolders(), std::nullopt);
  EXPECT_EQ(controller.cacheFile, home(".ut2004/Cache/cache.ini"));
  EXPECT_EQ(controller.unrealDir, linux);
  EXPECT_EQ(controller.maps, (std::vector<CacheEntry>{{0, "DM-One.ut2", "M1"}}));
  EXPECT_TRUE(store.chosen.empty());
}

TEST_F(GameSearchTest, AWrongChoiceIsRefusedAndChangesNothing) {
  addCache(home(".ut2004/Cache"));
  const std::string notACache = sandbox.root() + "/empty";
  makeFolders(notACache);
  const std::string fifoCache = sandbox.root() + "/fifo";
  makeFolders(fifoCache);
  ASSERT_EQ(::mkfifo((fifoCache + "/cache.ini").c_str(), 0600), 0);
  const std::string notAGame = addGame(sandbox.root() + "/half", {"Maps", "Textures"});

  MemoryChoiceStore store;
  RecordingWindow window;
  AppController controller(window.platform, sandbox.locations(), &store);
  window.connect(controller);
  controller.awakeFromNib();
  window.log.clear();

  for (const std::string &folder : {notACache, fifoCache}) {
    const std::optional<std::string> problem = controller.chooseCacheFolder(folder);
    ASSERT_TRUE(problem) << folder;
    EXPECT_NE(problem->find(folder), std::string::npos) << *problem;
  }
  const std::optional<std::string> problem = controller.chooseGameFolder(notAGame);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find("System"), std::string::npos) << *problem;

  EXPECT_EQ(controller.cacheFile, home(".ut2004/Cache/cache.ini"));
  EXPECT_EQ(controller.unrealDir, std::nullopt);
  EXPECT_FALSE(controller.hasChosenFolders());
  EXPECT_EQ(store.saves, 0);
  EXPECT_TRUE(window.log.empty());
}

TEST_F(GameSearchTest, ARememberedFolderThatWentIsPassedOver) {
  addCache(home(".ut2004/Cache"));
  MemoryChoiceStore store;
  store.chosen = ChosenFolders{sandbox.root() + "/gone/Cache", sandbox.root() + "/gone/UT2004"};
  RecordingWindow window;
  AppController controller(window.platform, sandbox.locations(), &store);
  window.connect(controller);
  controller.awakeFromNib();
  EXPECT_EQ(controller.cacheFile, home(".ut2004/Cache/cache.ini"));
  EXPECT_FALSE(controller.hasChosenFolders());
}

TEST_F(GameSearchTest, TheMacReleaseStaysFirstWhereAVolumesFolderIs) {
  addCache(home(".ut2004/Cache"));
  makeFolders(sandbox.volumes());
  // Another layout's cache exists: it is taken, and the volumes stay unsearched.
  const StartedController linux(sandbox.locations());
  EXPECT_EQ(linux.controller.location().layout, "Linux");

  std::filesystem::remove_all(home(".ut2004"));
  const StartedController mac(sandbox.locations());
  EXPECT_EQ(mac.window.log, (EventLog{"alert: Could not find installation of Unreal Tournament 2004",
                                      "alert: Could not open cache file", "terminate 1"}));
}

} // namespace

namespace {

TEST(GameProcess, IsSeenByItsNameAmongTheProcesses) {
  const TemporaryFolder proc;
  struct ProcessCase {
    const char *folder;
    const char *name;
    bool running;
  };
  const ProcessCase cases[] = {
      {"1", "systemd\n", false},
      {"self", "ut2004-bin\n", false},
      {"77", "ut2004-binary\n", false},
      {"78", "ut2004-bin-linu\n", true},
  };
  EXPECT_FALSE(gameRunning(proc.path() + "/missing"));
  for (const ProcessCase &process : cases) {
    makeFolders(proc / process.folder);
    writeFile(proc / (std::string(process.folder) + "/comm"), process.name);
    EXPECT_EQ(gameRunning(proc.path()), process.running) << process.name;
  }
  makeFolders(proc / "4242");
  writeFile(proc / "4242/comm", "ut2004-bin\n");
  EXPECT_TRUE(gameRunning(proc.path()));
}

} // namespace
