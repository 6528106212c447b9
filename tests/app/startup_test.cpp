#include "app/app_controller.h"

#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

namespace {

const std::string kAllCategories = "[Cache]\n"
                                   "A1=Walk.ukx\n"
                                   "K1=Ragdoll.ka\n"
                                   "M1=DM-One.ut2\n"
                                   "O1=Theme.ogg\n"
                                   "S1=Bang.uax\n"
                                   "T1=Rock.usx\n"
                                   "U1=Mutator.u\n"
                                   "X1=Sky.utx\n"
                                   "M2=DM-Two.UT2\n"
                                   "R1=Readme.txt\n";

TEST(Startup, ReadsTheEightListsAndFindsTheInstallation) {
  const Sandbox sandbox;
  const std::string bundle = sandbox.addInstallation("Games");
  sandbox.writeIndex(kAllCategories);
  const StartedController started(sandbox.locations());
  const AppController &controller = started.controller;

  EXPECT_TRUE(started.window.log.empty()) << "start-up alerts nothing and reloads nothing";
  EXPECT_EQ(controller.unrealDir, bundle);
  EXPECT_EQ(controller.cacheFile, sandbox.cacheFile());
  EXPECT_EQ(controller.animations, (std::vector<CacheEntry>{{0, "Walk.ukx", "A1"}}));
  EXPECT_EQ(controller.karma, (std::vector<CacheEntry>{{0, "Ragdoll.ka", "K1"}}));
  EXPECT_EQ(controller.maps, (std::vector<CacheEntry>{{0, "DM-One.ut2", "M1"}, {0, "DM-Two.UT2", "M2"}}));
  EXPECT_EQ(controller.music, (std::vector<CacheEntry>{{0, "Theme.ogg", "O1"}}));
  EXPECT_EQ(controller.sounds, (std::vector<CacheEntry>{{0, "Bang.uax", "S1"}}));
  EXPECT_EQ(controller.staticMeshes, (std::vector<CacheEntry>{{0, "Rock.usx", "T1"}}));
  EXPECT_EQ(controller.system, (std::vector<CacheEntry>{{0, "Mutator.u", "U1"}}));
  EXPECT_EQ(controller.textures, (std::vector<CacheEntry>{{0, "Sky.utx", "X1"}}));
  EXPECT_FALSE(controller.terminationRequested());
}

TEST(Startup, GoesOnWithoutAnInstallation) {
  const Sandbox sandbox;
  sandbox.writeIndex(kAllCategories);
  const StartedController started(sandbox.locations());

  EXPECT_EQ(started.window.log, (EventLog{"alert: Could not find installation of Unreal Tournament 2004"}));
  EXPECT_EQ(started.controller.unrealDir, std::nullopt);
  EXPECT_EQ(started.controller.maps.size(), 2u);
  EXPECT_EQ(started.controller.textures.size(), 1u);
}

TEST(Startup, EndsWhenTheVolumesFolderCannotBeListed) {
  const Sandbox sandbox;
  sandbox.writeIndex(kAllCategories);
  Locations locations = sandbox.locations();
  locations.volumesFolder = sandbox.root() + "/missing";
  const StartedController started(locations);

  EXPECT_EQ(started.window.log, (EventLog{"alert: Could not access mounted volumes", "terminate 1"}));
  EXPECT_TRUE(started.controller.terminationRequested());
  EXPECT_TRUE(started.controller.maps.empty()) << "the index must not be read";
}

TEST(Startup, EndsWhenTheIndexCannotBeOpened) {
  struct MissingIndexCase {
    const char *label;
    bool withInstallation;
    EventLog expected;
  };
  const std::vector<MissingIndexCase> cases = {
      {"with installation", true, {"alert: Could not open cache file", "terminate 1"}},
      {"without installation",
       false,
       {"alert: Could not find installation of Unreal Tournament 2004", "alert: Could not open cache file",
        "terminate 1"}},
  };
  for (const MissingIndexCase &testCase : cases) {
    const Sandbox sandbox;
    if (testCase.withInstallation)
      sandbox.addInstallation("Games");
    const StartedController started(sandbox.locations());
    EXPECT_EQ(started.window.log, testCase.expected) << testCase.label;
    EXPECT_TRUE(started.controller.terminationRequested()) << testCase.label;
  }
}

TEST(Startup, ExpandsTheHomeFolderWithoutDoubledSeparators) {
  EXPECT_EQ(expandTilde("~/Library/x", "/home/me/"), "/home/me/Library/x");
  EXPECT_EQ(expandTilde("~/Library/x", "/"), "/Library/x");
  EXPECT_EQ(expandTilde("~", "/"), "/");
  EXPECT_EQ(expandTilde("~", "//"), "/");
  EXPECT_EQ(expandTilde("~/x", "//"), "/x");
  EXPECT_EQ(expandTilde("/abs/~/x", "/home/me"), "/abs/~/x");
  EXPECT_EQ(expandTilde("~other/x", "/home/me"), "~other/x");
}

} // namespace
