#include "relocation/move_plan.h"
#include "relocation/path_safety.h"
#include "relocation/same_volume.h"

#include <gtest/gtest.h>

namespace {

const Category &kAnimations = kCategories[0];
const Category &kKarma = kCategories[1];
const Category &kMaps = kCategories[2];
const Category &kTextures = kCategories[7];

TEST(Collect, SplitsTickedFromKeptInCategoryThenListOrder) {
  std::vector<CacheEntry> animations = {{0, "A0.ukx", "a0"}, {0, "A1.ukx", "a1"}, {1, "A2.ukx", "a2"}};
  std::vector<CacheEntry> karma = {{1, "Ragdoll.ka", "k0"}};
  std::vector<CacheEntry> maps = {{1, "M0.ut2", "m0"}, {1, "M1.ut2", "m1"},  {2, "M2.ut2", "m2"},
                                  {1, "M3.ut2", "m3"}, {-1, "M4.ut2", "m4"}, {0, "M5.ut2", "m5"}};
  std::vector<CacheEntry> textures = {{1, "Foo.utx", "t0"}, {1, "Bar.utx", "t1"}};
  MovePlan plan;
  collectTicked(kAnimations, animations, plan);
  collectTicked(kKarma, karma, plan);
  collectTicked(kMaps, maps, plan);
  collectTicked(kTextures, textures, plan);

  EXPECT_EQ(plan.cacheNames, (std::vector<std::string>{"a2", "k0", "m0", "m1", "m3", "t0", "t1"}));
  EXPECT_EQ(plan.destinations,
            (std::vector<std::string>{"Animations/A2.ukx", "KarmaData/Ragdoll.ka", "Maps/M0.ut2", "Maps/M1.ut2",
                                      "Maps/M3.ut2", "Textures/Foo.utx", "Textures/Bar.utx"}));
  const std::vector<CacheEntry> kept = {
      {0, "A0.ukx", "a0"}, {0, "A1.ukx", "a1"}, {2, "M2.ut2", "m2"}, {-1, "M4.ut2", "m4"}, {0, "M5.ut2", "m5"}};
  EXPECT_EQ(animations, (std::vector<CacheEntry>{kept[0], kept[1]}));
  EXPECT_TRUE(karma.empty());
  EXPECT_EQ(maps, (std::vector<CacheEntry>{kept[2], kept[3], kept[4]}));
  EXPECT_TRUE(textures.empty());

  const CacheEntry failed{0, "Bar.utx", "t1"};
  std::vector<CacheEntry> *lists[] = {&animations, &karma, &maps, &textures};
  std::vector<CacheEntry> expected = kept;
  expected.push_back(failed);
  EXPECT_EQ(takeKeptEntries(lists, {failed}), expected) << "unticked by category, then the failed ones";
}

TEST(Collect, KeepsEverythingWhenNothingIsTicked) {
  std::vector<CacheEntry> maps = {{0, "M0.ut2", "m0"}, {0, "Sub/M1.ut2", "m1"}};
  const std::vector<CacheEntry> before = maps;
  MovePlan plan;
  collectTicked(kMaps, maps, plan);
  EXPECT_TRUE(plan.cacheNames.empty());
  EXPECT_TRUE(plan.destinations.empty());
  EXPECT_EQ(maps, before);
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

TEST(PathSafety, RefusesOnlyParentComponents) {
  for (const char *name : {"..", "../x.u", "a/../b.u", "Maps/..", "Maps/../../Documents/x.u", "a/b/../../../c"})
    EXPECT_TRUE(leavesItsFolder(name)) << name;
  for (const char *name : {"x.u", "...u", "..x.u", "x..u", "a/b.u", "/etc/x.u", "./x.u", "", "a//b.u", "Maps/x.u.."})
    EXPECT_FALSE(leavesItsFolder(name)) << name;
}

} // namespace
