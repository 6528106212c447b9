#include "app/app_controller.h"

#include "move_fixture.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

const EventLog kReloadAll = {"reload Animations", "reload KarmaData",    "reload Maps",   "reload Music",
                             "reload Sounds",     "reload StaticMeshes", "reload System", "reload Textures"};

EventLog withReloads(EventLog events) {
  events.insert(events.end(), kReloadAll.begin(), kReloadAll.end());
  return events;
}

ino_t inode(const std::string &path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_ino;
}

TEST(MoveFiles, MovesTickedFilesByCopyOrRenameAndRewritesTheIndex) {
  for (const bool sameVolume : {false, true}) {
    MoveCommand move(sameVolume ? "Games" : "");
    move.sandbox.writeCachedFile("M0", "map zero");
    move.sandbox.writeCachedFile("M1", "map one");
    move.sandbox.writeCachedFile("X0", "sky");
    move.sandbox.writeCachedFile("U0", "");
    move.start("[Cache]\r\nM0=DM-Zero.ut2\r\nR0=Readme.txt\r\nX0=Sky.utx\r\nM1=DM-One.ut2\r\nU0=Empty.u\r\n");
    const ino_t skyInode = inode(move.sandbox.cachedFile("X0"));
    move.tick(kMaps, 1);
    move.tick(kTextures, 0);
    move.tick(6, 0);

    move.controller().moveFiles();

    const char *label = sameVolume ? "rename" : "copy";
    EXPECT_EQ(move.window().log, withReloads({"progress 1/3", "progress 2/3", "progress 3/3", "progress end"}))
        << label;
    EXPECT_EQ(readFile(move.installed("Maps/DM-One.ut2")), "map one") << label;
    EXPECT_EQ(readFile(move.installed("Textures/Sky.utx")), "sky") << label;
    EXPECT_EQ(readFile(move.installed("System/Empty.u")), "") << label;
    EXPECT_EQ(inode(move.installed("Textures/Sky.utx")) == skyInode, sameVolume) << label;
    EXPECT_FALSE(exists(move.sandbox.cachedFile("M1"))) << label;
    EXPECT_FALSE(exists(move.sandbox.cachedFile("X0"))) << label;
    EXPECT_FALSE(exists(move.sandbox.cachedFile("U0"))) << label;
    EXPECT_EQ(readFile(move.sandbox.cachedFile("M0")), "map zero") << label;
    EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nM0=DM-Zero.ut2\nR0=Readme.txt\n") << label;
    EXPECT_EQ(move.controller().maps, (std::vector<CacheEntry>{{0, "DM-Zero.ut2", "M0"}})) << label;
    EXPECT_TRUE(move.controller().textures.empty()) << label;
    for (const auto &file : std::filesystem::recursive_directory_iterator(move.sandbox.root()))
      EXPECT_EQ(file.path().filename().string().rfind(".cache-sorter-", 0), std::string::npos) << file.path();
  }
}

TEST(MoveFiles, ReportsProgressDuringALongCopy) {
  MoveCommand move;
  const std::string package(20 << 20, 'p');
  move.sandbox.writeCachedFile("M0", package);
  move.start("[Cache]\nM0=DM-Big.ut2\n");
  move.tick(kMaps, 0);
  move.controller().moveFiles();
  EXPECT_EQ(move.window().eventsStartingWith("progress"),
            (EventLog{"progress 1/1", "progress 1/1", "progress 1/1", "progress end"}));
  EXPECT_EQ(readFile(move.installed("Maps/DM-Big.ut2")), package);
}

// Across volumes the bar goes by bytes, so a large copy takes its share:
// when the small two of 4, 2 and 18 MiB are copied, a quarter is done. On
// one volume it goes by packages.
TEST(MoveFiles, TheProgressCountsBytesOnACopyAndPackagesOnRenames) {
  for (const bool sameVolume : {false, true}) {
    MoveCommand move(sameVolume ? "Games" : "");
    move.sandbox.writeCachedFile("M0", std::string(4 << 20, 'a'));
    move.sandbox.writeCachedFile("M1", std::string(2 << 20, 'b'));
    move.sandbox.writeCachedFile("M2", std::string(18 << 20, 'c'));
    move.start("[Cache]\nM0=DM-A.ut2\nM1=DM-B.ut2\nM2=DM-C.ut2\n");
    for (std::size_t row = 0; row < 3; ++row)
      move.tick(kMaps, row);
    std::vector<double> fractions;
    std::optional<double> atTheLast;
    move.window().platform.duringMove = [&](const MoveProgress &progress) {
      fractions.push_back(progressFraction(progress));
      if (progress.utName == "DM-C.ut2" && !atTheLast)
        atTheLast = fractions.back();
    };
    move.controller().moveFiles();
    ASSERT_TRUE(atTheLast.has_value());
    EXPECT_NEAR(*atTheLast, sameVolume ? 2.0 / 3 : 0.25, 0.01) << sameVolume;
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end())) << "the bar never goes back";
    EXPECT_LE(fractions.back(), 1.0);
  }
}

TEST(MoveFiles, ReplacesAnExistingFileAndKeepsItsPermissions) {
  const mode_t previousMask = ::umask(022);
  for (const bool sameVolume : {false, true}) {
    MoveCommand move(sameVolume ? "Games" : "");
    move.sandbox.writeCachedFile("M0", "new map");
    move.sandbox.writeCachedFile("M1", "fresh");
    ::chmod(move.sandbox.cachedFile("M0").c_str(), 0600);
    ::chmod(move.sandbox.cachedFile("M1").c_str(), 0600);
    writeFile(move.installed("Maps/DM-Old.ut2"), "old map, longer than the new one");
    ::chmod(move.installed("Maps/DM-Old.ut2").c_str(), 0640);
    move.start("[Cache]\nM0=DM-Old.ut2\nM1=DM-New.ut2\n");
    move.tick(kMaps, 0);
    move.tick(kMaps, 1);
    move.controller().moveFiles();

    EXPECT_EQ(readFile(move.installed("Maps/DM-Old.ut2")), "new map");
    // A rename carries the cached file itself; a copy keeps the replaced
    // file's bits and gives a new file those of any new file.
    EXPECT_EQ(permissionBits(move.installed("Maps/DM-Old.ut2")), sameVolume ? 0600u : 0640u);
    EXPECT_EQ(permissionBits(move.installed("Maps/DM-New.ut2")), sameVolume ? 0600u : 0644u);
  }
  ::umask(previousMask);
}

TEST(MoveFiles, KeepsEntriesWhoseFilesCannotMove) {
  struct FailureCase {
    const char *label;
    bool sameVolume;
    EventLog alerts;
  };
  const std::vector<FailureCase> cases = {
      {"rename", true, {}},
      {"copy",
       false,
       {"alert: Could not open file for reading!", "alert: Could not open file for reading!",
        "alert: Could not open file for writing!"}},
  };
  for (const FailureCase &testCase : cases) {
    MoveCommand move(testCase.sameVolume ? "Games" : "");
    std::filesystem::remove_all(move.installed("Music"));
    move.sandbox.writeCachedFile("O0", "song");
    move.sandbox.writeCachedFile("M0", "ok");
    makeFolders(move.sandbox.cachedFile("F0"));
    move.start("[Cache]\nO0=Theme.ogg\nM0=DM-A.ut2\nM9=DM-Gone.ut2\nM8=DM-Kept.ut2\nF0=DM-Folder.ut2\n");
    move.tick(3, 0);
    move.tick(kMaps, 0);
    move.tick(kMaps, 1);
    move.tick(kMaps, 3);
    move.controller().moveFiles();

    EXPECT_EQ(move.window().eventsStartingWith("alert"), testCase.alerts) << testCase.label;
    EXPECT_EQ(readFile(move.sandbox.cachedFile("O0")), "song") << testCase.label;
    EXPECT_TRUE(std::filesystem::is_directory(move.sandbox.cachedFile("F0"))) << testCase.label;
    EXPECT_FALSE(exists(move.installed("Music"))) << testCase.label;
    EXPECT_FALSE(exists(move.installed("Maps/DM-Folder.ut2"))) << testCase.label;
    EXPECT_FALSE(exists(move.installed("Maps/DM-Gone.ut2"))) << testCase.label;
    EXPECT_EQ(readFile(move.installed("Maps/DM-A.ut2")), "ok") << testCase.label;
    EXPECT_EQ(readFile(move.sandbox.cacheFile()),
              "[Cache]\nM8=DM-Kept.ut2\nM9=DM-Gone.ut2\nF0=DM-Folder.ut2\nO0=Theme.ogg\n")
        << testCase.label;
    // It stayed, and keeps its tick for the next command.
    EXPECT_EQ(move.controller().maps.back(), (CacheEntry{1, "DM-Folder.ut2", "F0"})) << testCase.label;
  }
}

TEST(MoveFiles, MovesNothingWithoutAnInstallation) {
  MoveCommand move("", false);
  move.sandbox.writeCachedFile("M0", "map");
  move.start("[Cache]\nM0=DM-A.ut2\nX0=Sky.utx\n");
  move.tick(kMaps, 0);
  move.tick(kTextures, 0);
  move.controller().moveFiles();

  EXPECT_EQ(move.window().log,
            withReloads({"alert: Could not find installation of Unreal Tournament 2004", "progress end"}));
  EXPECT_EQ(readFile(move.sandbox.cachedFile("M0")), "map");
  EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nM0=DM-A.ut2\nX0=Sky.utx\n");
}

TEST(MoveFiles, RewritesTheIndexWhenNothingIsTicked) {
  MoveCommand move;
  const std::string index = "[Cache]\r\n"
                            "X0=Sky.utx\r\n"
                            "; a comment\n"
                            "M0=DM-A.ut2\n"
                            "R0=Readme.txt\n"
                            "C=Foo.ut2 \n"
                            "K=A=B.u\n"
                            "\n"
                            "[Other]\n"
                            "D=Dup.ut2\n"
                            "D=Dup.ut2\n"
                            "\xC4\xFF=Caf\xE9.uax\n"
                            "I0=Server.int\n"
                            "T=tail.ini";
  move.start(index);
  ::chmod(move.sandbox.cacheFile().c_str(), 0604);
  const std::vector<CacheEntry> mapsBefore = move.controller().maps;
  move.controller().moveFiles();

  EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\n"
                                                "M0=DM-A.ut2\nD=Dup.ut2\nD=Dup.ut2\n"
                                                "\xC4\xFF=Caf\xE9.uax\n"
                                                "K=A=B.u\n"
                                                "X0=Sky.utx\n"
                                                "R0=Readme.txt\nC=Foo.ut2 \nI0=Server.int\n"
                                                "T=tail.ini");
  EXPECT_EQ(permissionBits(move.sandbox.cacheFile()), 0604u) << "the new index keeps the old one's permissions";
  EXPECT_EQ(move.controller().maps, mapsBefore);
  EXPECT_EQ(move.controller().system, (std::vector<CacheEntry>{{0, "A=B.u", "K"}}));
  EXPECT_EQ(move.controller().sounds, (std::vector<CacheEntry>{{0, "Caf\xE9.uax", "\xC4\xFF"}}));

  // A second rewrite changes nothing.
  const std::string once = readFile(move.sandbox.cacheFile());
  move.controller().moveFiles();
  EXPECT_EQ(readFile(move.sandbox.cacheFile()), once);
}

} // namespace

TEST(MoveFiles, ACancelledMoveFinishesThePackageInHandAndKeepsTheRest) {
  for (const bool sameVolume : {false, true}) {
    MoveCommand move(sameVolume ? "Games" : "");
    std::string index = "[Cache]\n";
    for (int map = 0; map < 5; ++map) {
      const std::string name = "M" + std::to_string(map);
      move.sandbox.writeCachedFile(name, "map " + name);
      index += name + "=DM-" + name + ".ut2\n";
    }
    move.start(index);
    move.controller().selectAll();
    move.window().platform.duringMove = [&](const MoveProgress &progress) {
      move.window().platform.cancelRequested = progress.current == 2;
    };

    move.controller().moveFiles();

    const char *label = sameVolume ? "rename" : "copy";
    const MoveReport &report = move.window().platform.report;
    EXPECT_TRUE(report.cancelled) << label;
    EXPECT_EQ(report.handled, 2u) << label;
    EXPECT_EQ(report.planned, 5u) << label;
    EXPECT_EQ(report.moved.size(), 2u) << label;
    ASSERT_EQ(report.stayed.size(), 3u) << label;
    EXPECT_EQ(report.stayed[0].reason, "Left in the cache: the move was cancelled") << label;
    for (const char *name : {"M0", "M1"})
      EXPECT_EQ(readFile(move.installed("Maps/DM-" + std::string(name) + ".ut2")), "map " + std::string(name));
    for (const char *name : {"M2", "M3", "M4"})
      EXPECT_TRUE(exists(move.sandbox.cachedFile(name))) << name << " " << label;
    EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nM2=DM-M2.ut2\nM3=DM-M3.ut2\nM4=DM-M4.ut2\n") << label;
    EXPECT_EQ(move.controller().maps.size(), 3u) << "read again: " << label;
    EXPECT_FALSE(exists(move.sandbox.cacheDirectory() + "/.cache-sorter-journal")) << label;
  }
}
