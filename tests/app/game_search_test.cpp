#include "app/app_controller.h"
#include "app/game_process.h"
#include "app/game_search.h"
#include "app/game_settings.h"
#include "posix/folded_names.h"

#include "memory_choice_store.h"
#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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
  EXPECT_EQ(search().looked.cacheIndexes.front(), home("UTCache/cache.ini"));
}

TEST_F(GameSearchTest, NothingFoundOpensTheWindowEmptyWithWhereItLooked) {
  const StartedController started(sandbox.locations());
  const AppController &controller = started.controller;
  EXPECT_TRUE(started.window.log.empty()) << "no alert, no end";
  EXPECT_FALSE(controller.hasCache());
  EXPECT_FALSE(controller.terminationRequested());
  const SearchedPlaces &looked = controller.searchedPlaces();
  // The Mac's places are listed after this platform's.
  EXPECT_EQ(looked.cacheIndexes.front(), home(".ut2004/Cache/cache.ini"));
  EXPECT_EQ(looked.cacheIndexes.back(), home("Library/Application Support/Unreal Tournament 2004/Cache/cache.ini"));
  EXPECT_EQ(looked.gameFolders.front(), root("/usr/local/games/ut2004"));
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
  store.chosen = ChosenFolders{sandbox.root() + "/gone/Cache", sandbox.root() + "/gone/UT2004", {}};
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

// What the launchers' files name, paired with its cache by what is on disk.
class InstallationSourcesTest : public GameSearchTest {
protected:
  static constexpr const char *kSteamGame = "/steamapps/common/Unreal Tournament 2004";

  // A Windows game with its user folder, and so its cache, inside.
  static std::string addWindowsGame(const std::string &folder) {
    addGame(folder);
    writeFile(folder + "/System/UT2004.exe", "MZ");
    addCache(folder + "/Cache");
    return folder;
  }
  static std::vector<std::string> gamesOf(const LayoutSearch &search) {
    std::vector<std::string> games;
    for (const FoundGame &game : search.games)
      games.push_back(game.layout + " " + *game.installation + " " + game.cacheFile);
    return games;
  }
  static std::string game(const std::string &layout, const std::string &folder, const std::string &cache) {
    return layout + " " + folder + " " + cache + "/cache.ini";
  }
};

TEST_F(InstallationSourcesTest, SteamLibrariesOnOtherDrivesAndInFlatpak) {
  const std::string drive = addWindowsGame(root("/mnt/games/SteamLibrary") + kSteamGame);
  makeFolders(home(".local/share/Steam/steamapps"));
  writeFile(home(".local/share/Steam/steamapps/libraryfolders.vdf"),
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games/SteamLibrary\"\n\t}\n}\n");
  // Flatpak's Steam in its older layout, with the older list: an SD card.
  const std::string flatpak = home(".var/app/com.valvesoftware.Steam/data/Steam");
  makeFolders(flatpak + "/steamapps");
  writeFile(flatpak + "/steamapps/libraryfolders.vdf", "\"LibraryFolders\"\n{\n\t\"1\"\t\t\"/run/media/sd\"\n}\n");
  const std::string card = addWindowsGame(root("/run/media/sd") + kSteamGame);

  const LayoutSearch found = search();
  EXPECT_EQ(found.found->layout, "Steam (Proton)");
  EXPECT_EQ(found.found->installation, drive);
  EXPECT_EQ(gamesOf(found), (std::vector<std::string>{game("Steam (Proton)", drive, drive + "/Cache"),
                                                      game("Steam (Proton)", card, card + "/Cache")}));
  const SourcePlaces &steam = found.looked.sources.front();
  EXPECT_EQ(steam.source, "Steam");
  EXPECT_NE(std::find(steam.gameFolders.begin(), steam.gameFolders.end(), drive), steam.gameFolders.end());
}

TEST_F(InstallationSourcesTest, LuxtorpedaPairsSteamsCopyWithTheHomeFolder) {
  const std::string steam = addGame(home(".local/share/Steam") + kSteamGame);
  writeFile(steam + "/System/ut2004-bin-linux-amd64", "\x7f"
                                                      "ELF");
  addCache(home(".ut2004/Cache"));
  const LayoutSearch found = search();
  EXPECT_EQ(found.found->layout, "Steam (Luxtorpeda)");
  EXPECT_EQ(found.found->cacheFile, home(".ut2004/Cache/cache.ini"));
  EXPECT_EQ(found.found->installation, steam);

  // The community patch run portable keeps its user folder in its own.
  std::filesystem::remove_all(home(".ut2004"));
  const std::string patch = addGame(home(".local/share/OldUnreal/UT2004"));
  writeFile(patch + "/System/UT2004.ini", "[Core.System]\n");
  addCache(patch + "/Cache");
  EXPECT_EQ(search().found->layout, "Linux, community patch");
  EXPECT_EQ(search().found->cacheFile, patch + "/Cache/cache.ini");
  // Once the home folder has its own settings, they are the game's.
  makeFolders(home(".ut2004/System"));
  writeFile(home(".ut2004/System/UT2004.ini"), "[Core.System]\n");
  addCache(home(".ut2004/Cache"));
  EXPECT_EQ(search().found->cacheFile, home(".ut2004/Cache/cache.ini"));
}

TEST_F(InstallationSourcesTest, WinePrefixesThroughTheirRegistry) {
  const std::string registry = "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\Unreal Technology\\\\"
                               "Installed Apps\\\\UT2004] 1\n\"Folder\"=\"D:\\\\Games\\\\UT2004\"\n";
  makeFolders(home(".wine/dosdevices"));
  std::filesystem::create_symlink("/srv", home(".wine/dosdevices/d:"));
  writeFile(home(".wine/system.reg"), registry);
  const std::string recorded = addWindowsGame(root("/srv/Games/UT2004"));
  // WINEPREFIX names a prefix, looked at before ~/.wine, whose game is in
  // the community patch's default folder.
  const std::string named = addWindowsGame(home("prefixes/ut/drive_c/UnrealTournament2004"));
  Locations locations = sandbox.locations();
  locations.winePrefix = home("prefixes/ut");
  const LayoutSearch found = searchLayouts(locations);
  EXPECT_EQ(gamesOf(found), (std::vector<std::string>{game("Wine", named, named + "/Cache"),
                                                      game("Wine", recorded, recorded + "/Cache")}));

  // A record that names the root's /etc is no game.
  writeFile(home(".wine/system.reg"), "[Software\\\\Unreal Technology\\\\Installed Apps\\\\UT2004]\n"
                                      "\"Folder\"=\"Z:\\\\etc\"\n");
  makeFolders(root("/etc"));
  const LayoutSearch wrong = search();
  EXPECT_TRUE(wrong.games.empty());
  const std::vector<std::string> &looked = wrong.looked.sources[1].gameFolders;
  EXPECT_EQ(looked.front(), root("/etc"));
}

TEST_F(InstallationSourcesTest, LutrisHeroicAndBottles) {
  // Lutris names the executable; its prefix records nothing.
  const std::string lutris = addWindowsGame(home("Games/ut2004/drive_c/UT2004"));
  makeFolders(home(".local/share/lutris/games"));
  writeFile(home(".local/share/lutris/games/ut2004-1700.yml"),
            "game:\n  exe: " + lutris.substr(sandbox.root().size()) +
                "/System/UT2004.exe\n  prefix: " + home("Games/ut2004").substr(sandbox.root().size()) + "\nwine: {}\n");
  makeFolders(home(".config/heroic/gog_store"));
  const std::string heroic = addWindowsGame(root("/data/Heroic/UT2004"));
  writeFile(home(".config/heroic/gog_store/installed.json"),
            R"({"installed": [{"install_path": "/data/Heroic/UT2004", "platform": "windows"}]})");
  const std::string bottle = addWindowsGame(home(".local/share/bottles/bottles/UT/drive_c/UT2004"));

  const LayoutSearch found = search();
  EXPECT_EQ(gamesOf(found), (std::vector<std::string>{game("Lutris", lutris, lutris + "/Cache"),
                                                      game("Heroic", heroic, heroic + "/Cache"),
                                                      game("Bottles", bottle, bottle + "/Cache")}));
  std::vector<std::string> sources;
  for (const SourcePlaces &places : found.looked.sources)
    sources.push_back(places.source);
  EXPECT_EQ(sources, (std::vector<std::string>{"Steam", "Wine", "Lutris", "Heroic", "Bottles"}));
}

TEST_F(InstallationSourcesTest, TheUserSwitchesBetweenTwoInstallations) {
  // The community patch natively, and the retail game under Wine: each with
  // its own cache, holding one map each.
  const std::string patch = addGame(home(".local/share/OldUnreal/UT2004"));
  addCache(home(".ut2004/Cache"));
  const std::string wine = addWindowsGame(home(".wine/drive_c/UT2004"));
  writeFile(wine + "/Cache/cache.ini", "[Cache]\nW1=DM-Wine.ut2\n");
  writeFile(wine + "/Cache/W1.uxx", "wine map");

  MemoryChoiceStore store;
  RecordingWindow window;
  AppController controller(window.platform, sandbox.locations(), &store, std::chrono::milliseconds(0));
  window.connect(controller);
  controller.awakeFromNib();
  ASSERT_EQ(controller.foundGames().size(), 2u);
  const FoundGame patchGame = controller.foundGames()[0];
  const FoundGame wineGame = controller.foundGames()[1];
  EXPECT_EQ(patchGame.layout, "Linux, community patch");
  EXPECT_TRUE(controller.inUse(patchGame));
  EXPECT_FALSE(controller.inUse(wineGame));

  EXPECT_EQ(controller.chooseGame(wineGame), std::nullopt);
  EXPECT_TRUE(controller.inUse(wineGame));
  EXPECT_EQ(controller.location().layout, "Wine");
  EXPECT_EQ(controller.maps, (std::vector<CacheEntry>{{0, "DM-Wine.ut2", "W1"}})) << "read at once";
  EXPECT_EQ(store.chosen.layout, "Wine");
  EXPECT_TRUE(controller.hasChosenFolders());

  // The move lands in the installation picked, and the next start is there.
  controller.selectAll();
  controller.moveFiles();
  EXPECT_EQ(readFile(wine + "/Maps/DM-Wine.ut2"), "wine map");
  EXPECT_FALSE(exists(patch + "/Maps/DM-Wine.ut2"));
  AppController next(window.platform, sandbox.locations(), &store);
  next.awakeFromNib();
  EXPECT_EQ(next.location().layout, "Wine");
  EXPECT_EQ(next.unrealDir, wine);
  EXPECT_EQ(next.cacheFile, wine + "/Cache/cache.ini");

  // Back to the search's first.
  EXPECT_EQ(controller.forgetChosenFolders(), std::nullopt);
  EXPECT_TRUE(controller.inUse(patchGame));
  EXPECT_FALSE(controller.hasChosenFolders());
}

TEST_F(InstallationSourcesTest, HostileFilesArePassedOverByName) {
  const std::string steam = home(".local/share/Steam/steamapps");
  makeFolders(steam);
  // A gigabyte that takes no room.
  writeFile(steam + "/libraryfolders.vdf", "");
  ASSERT_EQ(::truncate((steam + "/libraryfolders.vdf").c_str(), 1LL << 30), 0);
  makeFolders(home(".config/heroic/gog_store"));
  ASSERT_EQ(::mkfifo(home(".config/heroic/gog_store/installed.json").c_str(), 0600), 0);
  makeFolders(home(".config/lutris/games"));
  writeFile(home(".config/lutris/games/ut.yml"), "game: [unclosed\n");
  // A library that is a link to the root, holding nothing of the game's.
  const std::string flatpak = home(".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps");
  makeFolders(flatpak);
  std::filesystem::create_symlink("/", root("/library"));
  writeFile(flatpak + "/libraryfolders.vdf", "\"libraryfolders\" { \"0\" { \"path\" \"/library\" } }");

  const LayoutSearch found = search();
  EXPECT_FALSE(found.found);
  EXPECT_TRUE(found.games.empty());
  const std::vector<std::string> &passed = found.looked.passedOver;
  const auto passedOver = [&](const std::string &path) {
    return std::any_of(passed.begin(), passed.end(), [&](const std::string &note) { return note.starts_with(path); });
  };
  EXPECT_TRUE(passedOver(steam + "/libraryfolders.vdf: it is larger"));
  EXPECT_TRUE(passedOver(home(".config/heroic/gog_store/installed.json: it is not a plain file")));
  EXPECT_TRUE(passedOver(home(".config/lutris/games/ut.yml: it is not YAML")));
}

} // namespace

namespace {

TEST(GameProcess, IsSeenByItsNameOrItsCommandLineAmongTheProcesses) {
  struct ProcessCase {
    const char *folder;
    const char *name;
    std::string commandLine;
    bool running;
  };
  using namespace std::string_literals;
  const ProcessCase cases[] = {
      {"1", "systemd\n", "/sbin/init\0splash\0"s, false},
      {"self", "ut2004-bin\n", "", false},
      {"77", "ut2004-binary\n", "", false},
      {"78", "ut2004-bin-linu\n", "", true},
      {"79", "UT2004.exe\n", "", true},
      // Proton's loader keeps its name; the build is its argument.
      {"80", "wine64-preload\n", "/usr/bin/wine64-preloader\0Z:\\Games\\UT2004\\System\\UT2004.exe\0-log\0"s, true},
      {"81", "wine-preloader\n", "/opt/wine/bin/wine-preloader\0/mnt/games/ut2004/System/ut2004.EXE"s, true},
      {"82", "bash\n", "bash\0-c\0cp UT2004.exe UT2004.exe.bak\0"s, false},
      {"83", "wineserver\n", "wineserver\0"s, false},
  };
  for (const ProcessCase &process : cases) {
    const TemporaryFolder proc;
    EXPECT_FALSE(gameRunning(proc.path() + "/missing"));
    makeFolders(proc / process.folder);
    writeFile(proc / (std::string(process.folder) + "/comm"), process.name);
    writeFile(proc / (std::string(process.folder) + "/cmdline"), process.commandLine);
    EXPECT_EQ(gameRunning(proc.path()), process.running) << process.folder;
  }
}

} // namespace
