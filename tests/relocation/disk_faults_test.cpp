#include "app/app_controller.h"
#include "posix/file_descriptor.h"
#include "relocation/file_copy.h"
#include "relocation/move_journal.h"

#include "move_fixture.h"
#include "recording_window.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// While it lives, the process cannot make a file larger than `bytes`: writes
// beyond fail with EFBIG, as they would on a full volume.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{bytes, previous_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
};

std::vector<std::string> temporaryFilesBelow(const std::string &folder) {
  std::vector<std::string> found;
  for (const auto &file : std::filesystem::recursive_directory_iterator(folder)) {
    if (file.path().filename().string().rfind(".cache-sorter-", 0) == 0)
      found.push_back(file.path().string());
  }
  return found;
}

TEST(DiskFaults, CopyReportsWritesThatFailOnAFullDevice) {
  const TemporaryFolder folder;
  writeFile(folder / "source", std::string(200000, 'x'));
  const FileDescriptor source(::open((folder / "source").c_str(), O_RDONLY));
  const FileDescriptor full(::open("/dev/full", O_WRONLY));
  ASSERT_TRUE(source.valid() && full.valid());
  EXPECT_EQ(copyContents(source.get(), full.get(), 200000), ENOSPC);
}

TEST(DiskFaults, ADestinationLinkToAFullDeviceIsReplacedByTheWholeFile) {
  const Sandbox sandbox;
  const std::string bundle = sandbox.addInstallation("Games");
  sandbox.writeCachedFile("M0", "complete map");
  std::filesystem::create_symlink("/dev/full", bundle + "/Maps/DM-A.ut2");
  sandbox.writeIndex("[Cache]\nM0=DM-A.ut2\n");
  StartedController started(sandbox.locations());
  started.window.log.clear();
  started.controller.selectAll();
  started.controller.moveFiles();
  EXPECT_TRUE(started.window.eventsStartingWith("alert").empty());
  EXPECT_FALSE(std::filesystem::is_symlink(bundle + "/Maps/DM-A.ut2"));
  EXPECT_EQ(readFile(bundle + "/Maps/DM-A.ut2"), "complete map");
  EXPECT_EQ(readFile(sandbox.cacheFile()), "[Cache]\n");
}

TEST(DiskFaults, AFolderInPlaceOfTheIndexIsNeitherReadNorReplaced) {
  const Sandbox sandbox;
  sandbox.addInstallation("Games");
  sandbox.writeIndex("[Cache]\nM0=DM-A.ut2\n");
  StartedController started(sandbox.locations());
  started.window.log.clear();
  std::filesystem::remove(sandbox.cacheFile());
  makeFolders(sandbox.cacheFile() + "/inside");
  started.controller.moveFiles();
  EXPECT_EQ(started.window.log, (EventLog{"alert: Could not write cache file", "alert: Could not open cache file",
                                          "terminate 1", "progress end"}));
  EXPECT_TRUE(std::filesystem::is_directory(sandbox.cacheFile() + "/inside"));
  EXPECT_TRUE(started.controller.terminationRequested());
}

TEST(DiskFaults, TheNextMoveMendsAnIndexThatCouldNotBeWritten) {
  MoveCommand move("Games");
  move.sandbox.writeCachedFile("M0", "map");
  std::string index = "[Cache]\nM0=DM-A.ut2\n";
  for (int line = 0; line < 3000; ++line)
    index += "0123456789ABCDEF0123456789ABCDEF=DM-Map-" + std::to_string(line) + ".ut2\n";
  move.start(index);
  move.tick(kMaps, 0);
  {
    const FileSizeLimit limit(32 * 1024);
    move.controller().moveFiles();
  }
  EXPECT_EQ(move.window().eventsStartingWith("alert"), (EventLog{"alert: Could not write cache file"}));
  EXPECT_EQ(readFile(move.installed("Maps/DM-A.ut2")), "map");
  EXPECT_EQ(readFile(move.sandbox.cacheFile()), index);
  EXPECT_EQ(move.controller().maps.front(), (CacheEntry{0, "DM-A.ut2", "M0"}));

  move.window().log.clear();
  move.controller().moveFiles();
  EXPECT_TRUE(move.window().eventsStartingWith("alert").empty());
  EXPECT_EQ(readFile(move.sandbox.cacheFile()), "[Cache]\n" + index.substr(20));
  EXPECT_FALSE(exists(journalPath(move.sandbox.cacheDirectory())));
}

TEST(DiskFaults, ADestinationThatCannotTakeTheFileIsFoundBeforeCopying) {
  struct DestinationCase {
    const char *label;
    std::string utName;
    void (*prepare)(const MoveCommand &move);
  };
  const std::vector<DestinationCase> cases = {
      {"a folder", "DM-A.ut2", [](const MoveCommand &move) { makeFolders(move.installed("Maps/DM-A.ut2")); }},
      {"a link to a folder", "DM-A.ut2",
       [](const MoveCommand &move) {
         std::filesystem::create_symlink(move.installed("Textures"), move.installed("Maps/DM-A.ut2"));
       }},
      {"no category folder", "DM-A.ut2",
       [](const MoveCommand &move) { std::filesystem::remove_all(move.installed("Maps")); }},
      {"a name too long", "DM-" + std::string(300, 'x') + ".ut2", [](const MoveCommand &) {}},
  };
  for (const bool sameVolume : {false, true}) {
    for (const DestinationCase &testCase : cases) {
      MoveCommand move(sameVolume ? "Games" : "");
      testCase.prepare(move);
      move.sandbox.writeCachedFile("M0", "map");
      const std::string index = "[Cache]\nM0=" + testCase.utName + "\n";
      move.start(index);
      const auto before = std::filesystem::symlink_status(move.installed("Maps/DM-A.ut2")).type();
      move.tick(kMaps, 0);
      // The question knows beforehand what will stay for its name or folder.
      const MovePreview preview = move.controller().previewMove();
      EXPECT_EQ(preview.tooLongNames, testCase.label == std::string("a name too long") ? 1u : 0u) << testCase.label;
      EXPECT_EQ(preview.inUnwritableFolders, testCase.label == std::string("no category folder") ? 1u : 0u)
          << testCase.label;
      move.controller().moveFiles();

      // A rename that cannot be done fails silently, as any failed rename.
      const EventLog alerts = sameVolume ? EventLog{} : EventLog{"alert: Could not open file for writing!"};
      EXPECT_EQ(move.window().eventsStartingWith("alert"), alerts) << testCase.label;
      EXPECT_EQ(readFile(move.sandbox.cachedFile("M0")), "map") << testCase.label;
      EXPECT_EQ(readFile(move.sandbox.cacheFile()), index) << testCase.label;
      EXPECT_EQ(std::filesystem::symlink_status(move.installed("Maps/DM-A.ut2")).type(), before) << testCase.label;
      EXPECT_TRUE(temporaryFilesBelow(move.sandbox.root()).empty()) << testCase.label;
    }
  }
}

} // namespace

namespace {

// Gives up, for this process, the root's right to write where the permission
// bits say no, as an ordinary player's process has none.
bool dropFileOverrides() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (::syscall(SYS_capget, &header, data) != 0)
    return false;
  for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
    data[capability / 32].effective &= ~(1u << (capability % 32));
    data[capability / 32].permitted &= ~(1u << (capability % 32));
  }
  return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

TEST(DiskFaults, AGameFolderThatCannotBeWrittenIsFoundBeforeAnythingMoves) {
  const Sandbox sandbox;
  const std::string bundle = sandbox.addInstallation("Games");
  sandbox.writeIndex("[Cache]\nM1=DM-One.ut2\nX1=Sky.utx\nA1=Walk.ukx\n");
  for (const char *name : {"M1", "X1", "A1"})
    sandbox.writeCachedFile(name, "package");
  std::filesystem::permissions(bundle + "/Maps", std::filesystem::perms(0555));
  std::filesystem::remove(bundle + "/Textures");

  // In a child process, which alone gives up the root's overrides.
  EXPECT_EXIT(
      {
        if (!dropFileOverrides())
          std::_Exit(2);
        StartedController started(sandbox.locations());
        started.controller.selectAll();
        const MovePreview preview = started.controller.previewMove();
        std::_Exit(preview.unwritableFolders == std::vector<std::string>{"Maps", "Textures"} ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");

  // With the overrides, Maps can be written; the missing folder still counts.
  StartedController started(sandbox.locations());
  started.controller.selectAll();
  EXPECT_EQ(started.controller.previewMove().unwritableFolders, std::vector<std::string>{"Textures"});
}
