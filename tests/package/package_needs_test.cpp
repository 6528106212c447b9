#include "package/package_needs.h"

#include "package_writer.h"
#include "samples.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace {

constexpr std::size_t kMaps = 2, kStaticMeshes = 5, kTextures = 7;

std::string packageNeeding(std::initializer_list<const char *> names) {
  PackageWriter writer;
  for (const char *name : names)
    writer.needs(name);
  return writer.bytes();
}

// A game folder with its category folders, and a cache with its lists.
struct NeedsBed {
  TemporaryFolder root;
  const std::string game = root / "game";
  const std::string cache = root / "cache";
  std::array<std::vector<CacheEntry>, kCategoryCount> lists;

  NeedsBed() {
    for (const Category &category : kCategories)
      makeFolders(game + "/" + std::string(category.name));
    makeFolders(cache);
  }
  // A cache entry of `category`, with a cached file holding `bytes` unless
  // it is absent.
  void cached(std::size_t category, const std::string &cacheName, const std::string &utName,
              const std::optional<std::string> &bytes) {
    lists[category].push_back(CacheEntry{0, utName, cacheName});
    if (bytes)
      writeFile(cache + "/" + cacheName + ".uxx", *bytes);
  }
  NeedFinder finder() const {
    ListsView view;
    for (std::size_t index = 0; index < kCategoryCount; ++index)
      view[index] = lists[index];
    std::vector<std::string> folders;
    for (const Category &category : kCategories)
      folders.push_back(game + "/" + std::string(category.name));
    return NeedFinder(folders, view, cache);
  }
};

std::vector<std::string> describe(const PackageNeeds &needs) {
  std::vector<std::string> lines;
  for (const Need &need : needs.needs) {
    const char *where = need.place == Need::Place::InTheGame    ? "game"
                        : need.place == Need::Place::InTheCache ? "cache"
                                                                : "missing";
    lines.push_back(need.name + " " + where + " " + std::to_string(need.depth));
  }
  return lines;
}

TEST(PackageNeeds, FollowsTheChainAsTheGameFindsPackages) {
  NeedsBed bed;
  // The map needs a texture package in the cache, which needs a mesh
  // package in the cache, which needs one the game has under another case
  // and ending, and one whose cached file was purged.
  bed.cached(kMaps, "M0", "DM-Chain.ut2", packageNeeding({"ChainTex"}));
  bed.cached(kTextures, "T0", "ChainTex.utx", packageNeeding({"ChainMeshes", "ChainTex"}));
  bed.cached(kStaticMeshes, "S0", "ChainMeshes.usx", packageNeeding({"StockMeshes", "Purged", "DM-Chain"}));
  bed.cached(kTextures, "P0", "Purged.utx", std::nullopt);
  writeFile(bed.game + "/StaticMeshes/STOCKMESHES.USX", packageNeeding({}));

  const PackageNeeds needs = bed.finder().needsOf(bed.cache + "/M0.uxx", "DM-Chain.ut2");
  EXPECT_EQ(describe(needs), (std::vector<std::string>{"ChainTex cache 1", "ChainMeshes cache 2", "StockMeshes game 3",
                                                       "Purged missing 3"}))
      << "each once, the map not among its own needs";
  EXPECT_EQ(needs.needs[0].entry, (EntryPlace{kTextures, 0}));
  EXPECT_EQ(needs.needs[2].gameFile, bed.game + "/StaticMeshes/STOCKMESHES.USX");
  EXPECT_TRUE(needs.unreadable.empty());
}

TEST(PackageNeeds, ACycleEndsAndAnUnreadableLinkIsSaid) {
  NeedsBed bed;
  bed.cached(kTextures, "A0", "A.utx", packageNeeding({"B"}));
  bed.cached(kTextures, "B0", "B.utx", packageNeeding({"A", "Broken"}));
  bed.cached(kTextures, "C0", "Broken.utx", "<html>404</html>");
  const PackageNeeds needs = bed.finder().needsOf(bed.cache + "/A0.uxx", "A.utx");
  EXPECT_EQ(describe(needs), (std::vector<std::string>{"B cache 1", "Broken cache 2"}));
  EXPECT_EQ(needs.unreadable, std::vector<std::string>{"Broken: it does not begin as a package does"});
}

TEST(PackageNeeds, TheRealMapAgainstAGameAndACache) {
  NeedsBed bed;
  // The game ships its own packages; the mod's come from the server.
  for (const char *stock : {"System/Core.u", "System/Engine.u", "System/XGame_rc.u", "System/Gameplay.u",
                            "System/XEffects.u", "System/BonusPack.u", "Sounds/WeaponSounds.uax",
                            "StaticMeshes/ParticleMeshes.usx", "Textures/EpicParticles.utx"})
    writeFile(bed.game + "/" + stock, packageNeeding({}));
  bed.cached(6, "W0", "UnWheel.u", packageNeeding({"Core"}));
  bed.cached(7, "W1", "UnWheelAds.utx", packageNeeding({}));
  bed.cached(6, "W2", "UnWheelJumper.u", std::nullopt);
  const std::optional<std::string> map = sampleBytes(kSampleMap);
  if (!map)
    GTEST_SKIP() << "the shared samples are not beside the project";
  bed.cached(kMaps, kSampleMapCacheName, "UWRM-Torpedo.ut2", *map);

  const PackageNeeds needs = bed.finder().needsOf(bed.cache + "/" + kSampleMapCacheName + ".uxx", "UWRM-Torpedo.ut2");
  std::size_t game = 0, cached = 0, missing = 0;
  for (const Need &need : needs.needs) {
    EXPECT_EQ(need.depth, 1u) << need.name << ": the packages laid out here need nothing new";
    game += need.place == Need::Place::InTheGame ? 1 : 0;
    cached += need.place == Need::Place::InTheCache ? 1 : 0;
    missing += need.place == Need::Place::Missing ? 1 : 0;
  }
  EXPECT_EQ(needs.needs.size(), 24u);
  EXPECT_EQ(game, 9u);
  EXPECT_EQ(cached, 2u) << "UnWheel and UnWheelAds; UnWheelJumper's cached file is gone";
  EXPECT_EQ(missing, 13u);
}

} // namespace
