#include "posix/beneath.h"
#include "relocation/move_plan.h"
#include "relocation/same_volume.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kAnimations = 0;
constexpr std::size_t kKarma = 1;
constexpr std::size_t kMaps = 2;
constexpr std::size_t kTextures = 7;

std::vector<std::string> destinationsOf(const std::vector<PlannedMove> &plan) {
  std::vector<std::string> destinations;
  for (const PlannedMove &move : plan)
    destinations.push_back(move.cacheName + " -> " + move.destination());
  return destinations;
}

TEST(Collect, TakesTheTickedInCategoryThenListOrderAndLeavesTheLists) {
  const std::vector<CacheEntry> animations = {{0, "A0.ukx", "a0"}, {0, "A1.ukx", "a1"}, {1, "A2.ukx", "a2"}};
  const std::vector<CacheEntry> karma = {{1, "Ragdoll.ka", "k0"}};
  const std::vector<CacheEntry> maps = {{1, "M0.ut2", "m0"}, {1, "M1.ut2", "m1"},  {2, "M2.ut2", "m2"},
                                        {1, "M3.ut2", "m3"}, {-1, "M4.ut2", "m4"}, {0, "M5.ut2", "m5"}};
  const std::vector<CacheEntry> textures = {{1, "Foo.utx", "t0"}, {1, "Bar.utx", "t1"}};
  std::vector<PlannedMove> plan;
  collectTicked(kAnimations, animations, plan);
  collectTicked(kKarma, karma, plan);
  collectTicked(kMaps, maps, plan);
  collectTicked(kTextures, textures, plan);

  EXPECT_EQ(destinationsOf(plan),
            (std::vector<std::string>{"a2 -> Animations/A2.ukx", "k0 -> KarmaData/Ragdoll.ka", "m0 -> Maps/M0.ut2",
                                      "m1 -> Maps/M1.ut2", "m3 -> Maps/M3.ut2", "t0 -> Textures/Foo.utx",
                                      "t1 -> Textures/Bar.utx"}));
  EXPECT_EQ(maps.size(), 6u) << "the lists the tables show are left as they are";
}

TEST(SameVolume, JudgesFromTheTextAlone) {
  struct PathPair {
    const char *first;
    const char *second;
    bool same;
  };
  const std::vector<PathPair> cases = {
      {"/Volumes/Disk/App/Maps/x.ut2", "/Users/me/Cache/a.uxx", false},
      {"/Users/me/Cache/a.uxx", "/Volumes/Disk/App/Maps/x.ut2", false},
      {"/Volumes/Disk/App/Maps/x.ut2", "/Volumes/Disk/Users/me/a.uxx", true},
      {"/Volumes/Disk/App/Maps/x.ut2", "/Volumes/Other/Users/me/a.uxx", false},
      {"/Volumes/Disk/a", "/Volumes/disk/a", false},
      {"/Volumes/Disk", "/Volumes/Disk", false},
      {"/Volumes/Disk/", "/Volumes/Disk", false},
      {"/Volumes/Disk/", "/Volumes/Disk/x", true},
      {"/Volumes//a", "/Volumes//b", true},
      {"/Volumes//a", "/Volumes/x/b", false},
      {"/Users/x", "/Applications/y", true},
      {"/Volumes", "/Volume", true},
      {"/volumes/Disk/a", "/Users/b", true},
      {"", "", true},
      {"/Volumes/", "/Volumes/", false},
  };
  for (const PathPair &pair : cases)
    EXPECT_EQ(pathsShareVolume(pair.first, pair.second, "/Volumes/"), pair.same) << pair.first << " ~ " << pair.second;
}

TEST(RelativeName, RefusesParentComponentsAndDropsEmptyOnes) {
  for (const char *name :
       {"..", "../x.u", "a/../b.u", "Maps/..", "Maps/../../Documents/x.u", "a/b/../../../c", "", "/", "./."})
    EXPECT_FALSE(splitRelativeName(name)) << name;
  struct Split {
    const char *name;
    const char *folder;
    const char *leaf;
  };
  for (const Split &split : std::vector<Split>{{"x.u", "", "x.u"},
                                               {"...u", "", "...u"},
                                               {"x..u", "", "x..u"},
                                               {"a/b.u", "a", "b.u"},
                                               {"/etc/x.u", "etc", "x.u"},
                                               {"./x.u", "", "x.u"},
                                               {"a//b/./c.u", "a/b", "c.u"},
                                               {"Maps/x.u..", "Maps", "x.u.."}}) {
    const std::optional<RelativeName> relative = splitRelativeName(split.name);
    ASSERT_TRUE(relative) << split.name;
    EXPECT_EQ(relative->folder, split.folder) << split.name;
    EXPECT_EQ(relative->leaf, split.leaf) << split.name;
  }
}

} // namespace
