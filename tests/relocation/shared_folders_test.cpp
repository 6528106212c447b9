// What else can happen in a player's folders while the program works on
// them: packages that want the same file, cached files that change or are
// not files, links, a second window.
#include "app/app_controller.h"
#include "posix/file_descriptor.h"
#include "relocation/move_journal.h"

#include "move_fixture.h"
#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSystem = 6;

std::vector<std::string> stayedReasons(const MoveReport &report) {
  std::vector<std::string> reasons;
  for (const MoveReport::Package &package : report.stayed)
    reasons.push_back(package.cacheName + ": " + package.reason);
  return reasons;
}

// A move of everything in `index`, by rename ("Games" home) or by copy.
struct TickedMove {
  TickedMove(bool sameVolume, const std::string &index) : move(sameVolume ? "Games" : "") { index_ = index; }
  void run() {
    move.start(index_);
    move.controller().selectAll();
    move.window().log.clear();
    move.controller().moveFiles();
  }
  const MoveReport &report() { return move.window().platform.report; }
  MoveCommand move;
  std::string index_;
};

TEST(SharedFolders, TheFirstTickedPackageTakesADestination) {
  for (const bool sameVolume : {false, true}) {
    TickedMove ticked(sameVolume, "[Cache]\nV1=DM-Foo.ut2\nV2=DM-Foo.ut2\nV3=Sub/../DM-Bar.ut2\n");
    ticked.move.sandbox.writeCachedFile("V1", "version one");
    ticked.move.sandbox.writeCachedFile("V2", "version two");
    ticked.run();
    const char *label = sameVolume ? "rename" : "copy";
    EXPECT_EQ(readFile(ticked.move.installed("Maps/DM-Foo.ut2")), "version one") << label;
    EXPECT_EQ(readFile(ticked.move.sandbox.cachedFile("V2")), "version two") << label;
    EXPECT_EQ(stayedReasons(ticked.report()),
              (std::vector<std::string>{"V2: Could not be moved (Another ticked package goes to the same file)",
                                        "V3: Refused to move a file whose name leads outside its folder!"}))
        << label;
    EXPECT_EQ(readFile(ticked.move.sandbox.cacheFile()), "[Cache]\nV2=DM-Foo.ut2\nV3=Sub/../DM-Bar.ut2\n") << label;
  }
}

// The game compares names ASCII case aside, and on Linux may take either of
// two files that differ in case alone: two are never made.
TEST(SharedFolders, NamesThatDifferInCaseAreOnePackageInTheGame) {
  for (const bool folds : {false, true}) {
    MoveCommand move;
    // A folder that answers to its name in other letters, as on a volume
    // that folds case.
    if (folds)
      fs::create_directory_symlink("Maps", move.installed("mAPS"));
    move.sandbox.writeCachedFile("V1", "one");
    move.sandbox.writeCachedFile("V2", "two");
    move.start("[Cache]\nV1=DM-Foo.ut2\nV2=dm-foo.UT2\n");
    move.controller().selectAll();
    EXPECT_EQ(move.controller().previewMove().clashes, 1u);
    move.controller().moveFiles();
    EXPECT_TRUE(exists(move.sandbox.cachedFile("V2")));
    EXPECT_FALSE(exists(move.installed("Maps/dm-foo.UT2")) && !folds);
    EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nV2=dm-foo.UT2\n");
  }
}

// A file in the game spelled in another case is the package's file: the
// question counts it, "Keep the files already in the game" keeps the
// package, and a replacement writes under the name that is there.
TEST(SharedFolders, AFileInTheGameInAnotherCaseIsThePackagesFile) {
  struct CaseCase {
    const char *label;
    const char *inGame;
    bool keep;
    bool staysCached;
    const char *afterwards; // Maps/DM-Foo.ut2
  };
  const CaseCase cases[] = {
      {"identical", "the map", true, false, "the map"},
      {"different, kept", "another map", true, true, "another map"},
      {"different, replaced", "another map", false, false, "the map"},
  };
  for (const CaseCase &game : cases) {
    for (const bool sameVolume : {false, true}) {
      MoveCommand move(sameVolume ? "Games" : "");
      writeFile(move.installed("Maps/DM-Foo.ut2"), game.inGame);
      move.sandbox.writeCachedFile("V1", "the map");
      move.start("[Cache]\nV1=dm-foo.ut2\n");
      move.controller().selectAll();
      const MovePreview preview = move.controller().previewMove();
      const std::string label = std::string(game.label) + (sameVolume ? ", rename" : ", copy");
      EXPECT_EQ(preview.replacements, 1u) << label;
      EXPECT_EQ(preview.differentReplacements, std::string(game.inGame) == "the map" ? 0u : 1u) << label;
      ASSERT_EQ(preview.replaced.size(), 1u);
      EXPECT_EQ(preview.replaced[0].destination, "Maps/DM-Foo.ut2") << label;
      move.controller().moveFiles(AppController::MoveChoices{game.keep, false, false});
      EXPECT_EQ(exists(move.sandbox.cachedFile("V1")), game.staysCached) << label;
      EXPECT_EQ(readFile(move.installed("Maps/DM-Foo.ut2")), game.afterwards) << label;
      EXPECT_FALSE(exists(move.installed("Maps/dm-foo.ut2"))) << label;
    }
  }
}

// Steam's copy of the game ships its maps folder in small letters.
TEST(SharedFolders, ACategoryFolderInAnotherCaseReceivesTheMoves) {
  for (const bool sameVolume : {false, true}) {
    MoveCommand move(sameVolume ? "Games" : "");
    fs::rename(move.installed("Maps"), move.installed("maps"));
    move.sandbox.writeCachedFile("V1", "the map");
    move.start("[Cache]\nV1=DM-Foo.ut2\n");
    move.controller().selectAll();
    EXPECT_TRUE(move.controller().previewMove().unwritableFolders.empty());
    move.controller().moveFiles();
    EXPECT_EQ(readFile(move.installed("maps/DM-Foo.ut2")), "the map");
    EXPECT_FALSE(exists(move.installed("Maps")));
    EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\n");
  }
}

TEST(SharedFolders, ACachedFileMovesOnceForItsFirstLine) {
  for (const bool sameVolume : {false, true}) {
    std::string index = "[Cache]\nABC=DM-A.ut2\nABC=DM-A.ut2\n";
    for (int name = 0; name < 50; ++name)
      index += "ABC=Tex-" + std::to_string(name) + ".utx\n";
    TickedMove ticked(sameVolume, index);
    ticked.move.sandbox.writeCachedFile("ABC", "the one file");
    ticked.run();
    const char *label = sameVolume ? "rename" : "copy";
    EXPECT_EQ(readFile(ticked.move.installed("Maps/DM-A.ut2")), "the one file") << label;
    std::size_t installed = 0;
    for (const auto &file : fs::recursive_directory_iterator(ticked.move.bundle))
      installed += file.is_regular_file() ? 1 : 0;
    EXPECT_EQ(installed, 1u) << label;
    EXPECT_EQ(ticked.move.window().eventsStartingWith("alert: Could not open file for reading!").size(), 51u) << label;
    EXPECT_EQ(ticked.move.controller().maps.size(), 1u) << label;
    EXPECT_EQ(ticked.move.controller().textures.size(), 50u) << label;
  }
}

// A cached file larger than one copy chunk, so that the copy reports its
// progress part-way, and the test changes the file there.
TEST(SharedFolders, ACachedFileThatChangesDuringItsCopyStays) {
  const std::string original(9 << 20, 'o');
  struct ChangeCase {
    const char *label;
    void (*change)(const std::string &path);
  };
  const std::vector<ChangeCase> cases = {
      {"it grows",
       [](const std::string &path) {
         const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND));
         ASSERT_EQ(::write(file.get(), "more", 4), 4);
       }},
      {"it is replaced",
       [](const std::string &path) {
         writeFile(path + ".new", "a newer download");
         fs::rename(path + ".new", path);
       }},
      {"it is rewritten in place",
       [](const std::string &path) {
         const FileDescriptor file(::open(path.c_str(), O_WRONLY));
         ASSERT_EQ(::pwrite(file.get(), "x", 1, 5), 1);
       }},
  };
  for (const ChangeCase &testCase : cases) {
    MoveCommand move;
    move.sandbox.writeCachedFile("BIG", original);
    move.sandbox.writeCachedFile("SMALL", "small");
    move.start("[Cache]\nBIG=DM-Big.ut2\nSMALL=DM-Small.ut2\n");
    move.controller().selectAll();
    const std::string cached = move.sandbox.cachedFile("BIG");
    bool changed = false;
    move.window().platform.duringMove = [&](const MoveProgress &progress) {
      if (progress.bytesCopied > 0 && !changed) {
        changed = true;
        testCase.change(cached);
      }
    };
    move.controller().moveFiles();
    ASSERT_TRUE(changed) << testCase.label;
    EXPECT_TRUE(exists(cached)) << testCase.label;
    EXPECT_NE(readFile(cached), original) << testCase.label;
    EXPECT_FALSE(exists(move.installed("Maps/DM-Big.ut2"))) << testCase.label;
    EXPECT_EQ(readFile(move.installed("Maps/DM-Small.ut2")), "small") << testCase.label;
    EXPECT_EQ(stayedReasons(move.window().platform.report),
              (std::vector<std::string>{"BIG: Could not be moved (The cached file changed during the move)"}))
        << testCase.label;
    EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nBIG=DM-Big.ut2\n") << testCase.label;
  }
}

// The copy of the first package is done and waits for its commit when the
// second one's copy is under way: a file moved over the first one's cached
// file then must keep it from being committed.
TEST(SharedFolders, ACachedFileReplacedBeforeItsCopyIsCommittedStays) {
  MoveCommand move;
  move.sandbox.writeCachedFile("A", "first");
  move.sandbox.writeCachedFile("B", std::string(9 << 20, 'b'));
  move.start("[Cache]\nA=DM-A.ut2\nB=DM-B.ut2\n");
  move.controller().selectAll();
  move.window().platform.duringMove = [&](const MoveProgress &progress) {
    if (progress.bytesCopied > 0 && progress.utName == "DM-B.ut2" && !exists(move.sandbox.cachedFile("A.new"))) {
      writeFile(move.sandbox.cachedFile("A.new"), "newer");
      fs::rename(move.sandbox.cachedFile("A.new"), move.sandbox.cachedFile("A"));
    }
  };
  move.controller().moveFiles();
  EXPECT_EQ(readFile(move.sandbox.cachedFile("A")), "newer");
  EXPECT_FALSE(exists(move.installed("Maps/DM-A.ut2")));
  EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nA=DM-A.ut2\n");
}

TEST(SharedFolders, ASecondWindowOnTheSameCacheTouchesNothing) {
  MoveCommand move;
  move.start("[Cache]\nM0=DM-A.ut2\n");
  // The first window is in the middle of a move: its journal and a copy on
  // its way stand in the folders.
  const std::string journal = journalPath(move.sandbox.cacheDirectory());
  ASSERT_TRUE(journalMoves(journal, std::vector<PlannedMove>{{kMaps, "M0", "DM-A.ut2", ".cache-sorter-M0copy"}}));
  writeFile(move.installed("Maps/.cache-sorter-M0copy"), "half");
  const std::string journalBefore = readFile(journal);

  StartedController second(move.sandbox.locations());
  EXPECT_EQ(second.window.log, (EventLog{"alert: Cache Sorter is already running for this cache", "terminate 1"}));
  EXPECT_EQ(readFile(journal), journalBefore);
  EXPECT_EQ(readFile(move.installed("Maps/.cache-sorter-M0copy")), "half");
}

TEST(SharedFolders, OnlyRegularFilesAreMovedAndNothingWaitsOnAFifo) {
  for (const bool sameVolume : {false, true}) {
    TickedMove ticked(sameVolume, "[Cache]\nFIFO=Pipe.u\nDIR=Folder.u\nLINK=Link.u\nOK=Fine.u\n");
    const Sandbox &sandbox = ticked.move.sandbox;
    ASSERT_EQ(::mkfifo(sandbox.cachedFile("FIFO").c_str(), 0644), 0);
    makeFolders(sandbox.cachedFile("DIR"));
    writeFile(sandbox.root() + "/elsewhere", "not the cache's");
    fs::create_symlink(sandbox.root() + "/elsewhere", sandbox.cachedFile("LINK"));
    sandbox.writeCachedFile("OK", "fine");
    ticked.run();
    const char *label = sameVolume ? "rename" : "copy";
    const char *why = sameVolume ? "Could not be moved" : "Could not open file for reading!";
    EXPECT_EQ(stayedReasons(ticked.report()),
              (std::vector<std::string>{std::string("FIFO: ") + why + " (it is not a regular file)",
                                        std::string("DIR: ") + why + " (it is a folder)",
                                        std::string("LINK: ") + why + " (it is a link)"}))
        << label;
    EXPECT_EQ(ticked.move.window().eventsStartingWith("alert").size(), sameVolume ? 0u : 3u) << label;
    EXPECT_EQ(readFile(ticked.move.installed("System/Fine.u")), "fine") << label;
    EXPECT_EQ(ticked.move.controller().system.size(), 3u) << label;
  }
}

TEST(SharedFolders, AFifoAsTheIndexEndsTheStartLikeAMissingOne) {
  const Sandbox sandbox;
  sandbox.addInstallation("Games");
  ASSERT_EQ(::mkfifo(sandbox.cacheFile().c_str(), 0644), 0);
  const StartedController started(sandbox.locations());
  EXPECT_EQ(started.window.log, (EventLog{"alert: Could not open cache file", "terminate 1"}));
}

TEST(SharedFolders, NoMoveRunsWhileTheJournalIsNoJournal) {
  struct JournalCase {
    const char *label;
    void (*make)(const std::string &journal, const std::string &outside);
  };
  const std::vector<JournalCase> cases = {
      {"a FIFO",
       [](const std::string &journal, const std::string &) { ASSERT_EQ(::mkfifo(journal.c_str(), 0644), 0); }},
      {"a link to a player's file",
       [](const std::string &journal, const std::string &outside) { fs::create_symlink(outside, journal); }},
      {"a folder", [](const std::string &journal, const std::string &) { makeFolders(journal); }},
  };
  for (const JournalCase &testCase : cases) {
    MoveCommand move;
    const std::string journal = journalPath(move.sandbox.cacheDirectory());
    const std::string outside = move.sandbox.root() + "/notes.txt";
    writeFile(outside, "a player's notes");
    testCase.make(journal, outside);
    move.sandbox.writeCachedFile("M0", "map");
    move.start("[Cache]\nM0=DM-A.ut2\n");
    move.tick(kMaps, 0);
    move.controller().moveFiles();
    ASSERT_EQ(move.window().eventsStartingWith("alert").size(), 1u) << testCase.label;
    EXPECT_NE(move.window().log[0].find("the journal of an earlier move"), std::string::npos) << testCase.label;
    EXPECT_EQ(readFile(move.sandbox.cachedFile("M0")), "map") << testCase.label;
    EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nM0=DM-A.ut2\n") << testCase.label;
    EXPECT_EQ(readFile(outside), "a player's notes") << testCase.label;
    EXPECT_TRUE(fs::exists(fs::symlink_status(journal))) << testCase.label;
  }
}

TEST(SharedFolders, NamesThatPassThroughALinkAreRefused) {
  for (const bool sameVolume : {false, true}) {
    TickedMove ticked(sameVolume, "[Cache]\nsub/secret=Secret.u\nreal/M1=Sub/DM-Deep.ut2\nM2=linked/Into.ut2\n");
    const Sandbox &sandbox = ticked.move.sandbox;
    const std::string outside = sandbox.root() + "/outside";
    makeFolders(outside);
    writeFile(outside + "/secret.uxx", "someone's secret");
    fs::create_directory_symlink(outside, sandbox.cacheDirectory() + "/sub");
    fs::create_directory_symlink(outside, ticked.move.installed("Maps/linked"));
    makeFolders(sandbox.cacheDirectory() + "/real");
    sandbox.writeCachedFile("real/M1", "deep");
    makeFolders(ticked.move.installed("Maps/Sub"));
    sandbox.writeCachedFile("M2", "into");
    ticked.run();
    const char *label = sameVolume ? "rename" : "copy";
    EXPECT_EQ(readFile(outside + "/secret.uxx"), "someone's secret") << label;
    EXPECT_FALSE(exists(ticked.move.installed("System/Secret.u"))) << label;
    EXPECT_FALSE(exists(outside + "/Into.ut2")) << label;
    EXPECT_EQ(readFile(ticked.move.installed("Maps/Sub/DM-Deep.ut2")), "deep") << label;
    EXPECT_EQ(ticked.move.window().eventsStartingWith("alert: Refused").size(), 2u) << label;
    EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\nM2=linked/Into.ut2\nsub/secret=Secret.u\n") << label;
  }
}

// The game's volume is gone when the program starts after an interrupted
// move: the journal waits for it, and the start after it settles the move.
TEST(SharedFolders, AnInterruptedMoveWaitsForItsVolume) {
  MoveCommand move;
  writeFile(move.installed("Maps/DM-A.ut2"), "moved");
  const std::string journal = journalPath(move.sandbox.cacheDirectory());
  ASSERT_TRUE(journalMoves(journal, std::vector<PlannedMove>{{kMaps, "A", "DM-A.ut2", ".cache-sorter-aaaaaa"}}));
  const std::string volume = move.sandbox.volumes() + "/Games";
  fs::rename(volume, move.sandbox.root() + "/unplugged");

  move.start("[Cache]\nA=DM-A.ut2\n");
  EXPECT_TRUE(exists(journal));
  EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\nA=DM-A.ut2\n");
  move.started.reset();

  fs::rename(move.sandbox.root() + "/unplugged", move.sandbox.volumes() + "/Renamed");
  move.bundle = move.sandbox.volumes() + "/Renamed/Applications/Unreal Tournament 2004.app";
  move.start("[Cache]\nA=DM-A.ut2\n");
  EXPECT_FALSE(exists(journal));
  EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\n");
}

TEST(SharedFolders, ADamagedJournalCannotReachOutsideTheGame) {
  MoveCommand move;
  const std::string outside = move.sandbox.root() + "/outside";
  makeFolders(outside);
  writeFile(outside + "/.cache-sorter-aaaaaa", "a file elsewhere");
  const std::string journal = journalPath(move.sandbox.cacheDirectory());
  ASSERT_TRUE(journalMoves(
      journal, std::vector<PlannedMove>{{kMaps, "A", "../../../../../../../../outside/x.ut2", ".cache-sorter-aaaaaa"},
                                        {kSystem, "B", "x.u", "../../outside/.cache-sorter-aaaaaa"}}));
  move.start("[Cache]\nA=DM-A.ut2\n");
  EXPECT_EQ(readFile(outside + "/.cache-sorter-aaaaaa"), "a file elsewhere");
  EXPECT_FALSE(exists(journal));
}

TEST(SharedFolders, LongNamesAreCutInAlerts) {
  const std::string longName(10 << 20, 'x');
  MoveCommand move;
  move.start("[Cache]\nM0=" + longName + ".ut2\n");
  move.tick(kMaps, 0);
  move.controller().moveFiles();
  ASSERT_EQ(move.window().platform.alertDetails.size(), 1u);
  EXPECT_LT(move.window().platform.alertDetails[0].size(), 1000u);
}

} // namespace
