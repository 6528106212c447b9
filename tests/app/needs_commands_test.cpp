#include "app/game_settings.h"

#include "move_fixture.h"
#include "package_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr std::size_t kStaticMeshes = 5;

std::string needing(std::initializer_list<const char *> names) {
  PackageWriter writer;
  for (const char *name : names)
    writer.needs(name);
  return writer.bytes();
}

bool ticked(const CacheEntry &entry) { return entry.selected != 0; }

// Two cached maps: DM-Chain needs ChainTex, which needs ChainMeshes and a
// texture the game has; DM-Kept needs ChainTex too and stays in the cache.
struct NeedsCommand : MoveCommand {
  NeedsCommand() {
    sandbox.writeCachedFile("M0", needing({"ChainTex"}));
    sandbox.writeCachedFile("M1", needing({"ChainTex"}));
    sandbox.writeCachedFile("X0", needing({"ChainMeshes", "StockTex"}));
    sandbox.writeCachedFile("S0", needing({}));
    writeFile(installed("Textures/StockTex.utx"), needing({}));
  }
  void start() {
    MoveCommand::start("[Cache]\r\nM0=DM-Chain.ut2\r\nM1=DM-Kept.ut2\r\nX0=ChainTex.utx\r\nS0=ChainMeshes.usx\r\n");
  }
  TableView *table(std::size_t category) { return &window().tables[category]; }
  std::vector<std::string> cacheNamesLeft() const {
    std::vector<std::string> names;
    for (const char *name : {"M0", "M1", "X0", "S0"})
      if (std::filesystem::exists(sandbox.cachedFile(name)))
        names.push_back(name);
    return names;
  }
};

TEST(NeedsCommands, TickWhatItNeedsTicksTheChainOnEveryTabOnce) {
  NeedsCommand needs;
  needs.start();
  AppController &controller = needs.controller();
  EXPECT_EQ(controller.tickWhatRowsNeed(needs.table(kMaps), {0}), 2u);
  EXPECT_TRUE(ticked(controller.listAt(kTextures)[0]));
  EXPECT_TRUE(ticked(controller.listAt(kStaticMeshes)[0]));
  EXPECT_FALSE(ticked(controller.listAt(kMaps)[0])) << "the map itself is the user's to tick";
  EXPECT_FALSE(ticked(controller.listAt(kMaps)[1]));
  EXPECT_EQ(controller.tickWhatRowsNeed(needs.table(kMaps), {0, 1}), 0u) << "what is ticked already is not counted";
}

TEST(NeedsCommands, AMoveTakesWhatTheTickedNeedOnlyWhenAsked) {
  struct Case {
    bool alsoMoveNeeds;
    std::vector<std::string> left;
    std::string index;
  };
  for (const Case &test : {
           Case{false, {"M1", "X0", "S0"}, "[Cache]\nM1=DM-Kept.ut2\nS0=ChainMeshes.usx\nX0=ChainTex.utx\n"},
           Case{true, {"M1"}, "[Cache]\nM1=DM-Kept.ut2\n"},
       }) {
    SCOPED_TRACE(test.alsoMoveNeeds ? "with what it needs" : "the ticked only");
    NeedsCommand needs;
    needs.start();
    needs.tick(kMaps, 0);
    const MovePreview preview = needs.controller().previewMove();
    EXPECT_EQ(preview.needed, 2u);
    EXPECT_TRUE(preview.missingNeeds.empty());
    needs.controller().moveFiles(AppController::MoveChoices{.alsoMoveNeeds = test.alsoMoveNeeds});
    EXPECT_EQ(needs.cacheNamesLeft(), test.left);
    EXPECT_EQ(readFile(needs.sandbox.cacheFile()), test.index);
    EXPECT_EQ(readFile(needs.installed("Maps/DM-Chain.ut2")), needing({"ChainTex"}));
    EXPECT_EQ(std::filesystem::exists(needs.installed("Textures/ChainTex.utx")), test.alsoMoveNeeds);
    EXPECT_EQ(std::filesystem::exists(needs.installed("StaticMeshes/ChainMeshes.usx")), test.alsoMoveNeeds);
  }
}

TEST(NeedsCommands, TheTrashKeepsWhatAMapInTheCacheOrTheGameNeeds) {
  for (const bool keepNeeded : {true, false}) {
    SCOPED_TRACE(keepNeeded ? "keeping" : "not keeping");
    NeedsCommand needs;
    writeFile(needs.installed("Maps/DM-Game.ut2"), needing({"ChainMeshes"}));
    needs.start();
    needs.tick(kMaps, 0);
    needs.tick(kTextures, 0);
    needs.tick(kStaticMeshes, 0);
    const AppController::NeededByKept kept = needs.controller().neededByKeptMaps();
    EXPECT_EQ(kept.needed, (std::vector<EntryPlace>{{kStaticMeshes, 0}, {kTextures, 0}}));
    EXPECT_EQ(kept.maps, (std::vector<std::string>{"DM-Kept.ut2", "DM-Game.ut2"}));

    needs.controller().discardTicked(keepNeeded);
    const std::string trash = needs.sandbox.home() + "/.local/share/Trash/files/";
    EXPECT_TRUE(std::filesystem::exists(trash + "M0.uxx"));
    EXPECT_EQ(std::filesystem::exists(trash + "X0.uxx"), !keepNeeded);
    const std::vector<std::string> left =
        keepNeeded ? std::vector<std::string>{"M1", "X0", "S0"} : std::vector<std::string>{"M1"};
    EXPECT_EQ(needs.cacheNamesLeft(), left);
    EXPECT_EQ(readFile(needs.sandbox.cacheFile()), keepNeeded ? "[Cache]\nM1=DM-Kept.ut2\nS0=ChainMeshes.usx\n"
                                                                "X0=ChainTex.utx\n"
                                                              : "[Cache]\nM1=DM-Kept.ut2\n");
  }
}

TEST(NeedsCommands, AnExportTakesTheCachedPackagesTheTickedNeed) {
  for (const bool withNeeds : {true, false}) {
    NeedsCommand needs;
    needs.start();
    needs.tick(kMaps, 0);
    CopyOutSettings settings;
    settings.folder = needs.sandbox.root() + "/Redirect";
    settings.format = CopyFormat::Uz2;
    makeFolders(settings.folder);
    EXPECT_EQ(needs.controller().previewCopyOut(settings, withNeeds).packages, withNeeds ? 3u : 1u);
    needs.controller().copyTickedOut(settings, withNeeds);
    for (const char *name : {"ChainTex.utx.uz2", "ChainMeshes.usx.uz2"})
      EXPECT_EQ(std::filesystem::exists(settings.folder + "/" + name), withNeeds) << name;
    EXPECT_TRUE(std::filesystem::exists(settings.folder + "/DM-Chain.ut2.uz2"));
    EXPECT_EQ(needs.cacheNamesLeft().size(), 4u) << "an export leaves the cache as it is";
  }
}

// The game looks for packages where its ini's Paths say, by base name,
// ASCII case aside, whatever the ending; the category folders count only
// when the ini names none.
TEST(NeedsCommands, NeedsAreFoundWhereTheGamesPathsSay) {
  NeedsCommand needs;
  writeFile(needs.installed("System/UT2004.ini"),
            "[Core.System]\r\nPaths=../System/*.u\r\nPaths=../Maps/*.ut2\r\n"
            "Paths=C:\\Other\\*.utx\r\nPaths=../MyTextures/*.utx\r\n"
            "Paths=../Maps/*.ut2\r\n[Engine.Engine]\r\nPaths=../Textures/*.utx\r\n");
  makeFolders(needs.installed("MyTextures"));
  writeFile(needs.installed("MyTextures/stocktex.PKG"), needing({}));
  needs.start();
  EXPECT_EQ(packageFolders(needs.bundle),
            (std::vector<std::string>{needs.bundle + "/System", needs.bundle + "/Maps", needs.bundle + "/MyTextures"}));
  const std::optional<PackageNeeds> found = needs.controller().needsOfRow(needs.table(kTextures), 0);
  ASSERT_TRUE(found);
  ASSERT_EQ(found->needs.size(), 2u);
  EXPECT_EQ(found->needs[1].name, "StockTex");
  EXPECT_EQ(found->needs[1].place, Need::Place::InTheGame);
  EXPECT_EQ(found->needs[1].gameFile, needs.installed("MyTextures/stocktex.PKG"))
      << "not the Textures folder, which the Paths leave out";

  writeFile(needs.installed("System/UT2004.ini"), "[Core.System]\r\nCacheRecordPath=../Cache/*.uxx\r\n");
  EXPECT_EQ(packageFolders(needs.bundle).size(), kCategoryCount) << "without Paths, the category folders";
}

} // namespace
