#include "posix/small_file.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What stands where a settings file should be: each is read, or passed over
// at once with its reason, never waited on and never read past the cap.
TEST(SmallFile, ReadsPlainFilesAndPassesOverTheRest) {
  struct Shape {
    const char *label;
    std::function<std::string(const TemporaryFolder &)> lay; // gives the path to read
    SmallFile::State state;
    std::string text;
  };
  const std::vector<Shape> shapes = {
      {"a plain file",
       [](const TemporaryFolder &folder) {
         writeFile(folder / "UT2004.ini", "[Core.System]\n");
         return folder / "UT2004.ini";
       },
       SmallFile::State::Read, "[Core.System]\n"},
      {"nothing there", [](const TemporaryFolder &folder) { return folder / "UT2004.ini"; }, SmallFile::State::Absent,
       ""},
      {"a FIFO",
       [](const TemporaryFolder &folder) {
         ::mkfifo((folder / "UT2004.ini").c_str(), 0600);
         return folder / "UT2004.ini";
       },
       SmallFile::State::NotAPlainFile, ""},
      {"a link to a FIFO",
       [](const TemporaryFolder &folder) {
         ::mkfifo((folder / "fifo").c_str(), 0600);
         std::filesystem::create_symlink(folder / "fifo", folder / "UT2004.ini");
         return folder / "UT2004.ini";
       },
       SmallFile::State::NotAPlainFile, ""},
      {"a device", [](const TemporaryFolder &) { return std::string("/dev/zero"); }, SmallFile::State::NotAPlainFile,
       ""},
      {"a folder",
       [](const TemporaryFolder &folder) {
         makeFolders(folder / "UT2004.ini");
         return folder / "UT2004.ini";
       },
       SmallFile::State::NotAPlainFile, ""},
      {"a 1 GiB sparse file",
       [](const TemporaryFolder &folder) {
         writeFile(folder / "UT2004.ini", "");
         std::filesystem::resize_file(folder / "UT2004.ini", std::uintmax_t(1) << 30);
         return folder / "UT2004.ini";
       },
       SmallFile::State::TooLarge, ""},
      {"one byte over the cap",
       [](const TemporaryFolder &folder) {
         writeFile(folder / "UT2004.ini", std::string(kSmallFileCap + 1, 'x'));
         return folder / "UT2004.ini";
       },
       SmallFile::State::TooLarge, ""},
      {"exactly the cap",
       [](const TemporaryFolder &folder) {
         writeFile(folder / "UT2004.ini", std::string(kSmallFileCap, 'x'));
         return folder / "UT2004.ini";
       },
       SmallFile::State::Read, std::string(kSmallFileCap, 'x')},
  };
  for (const Shape &shape : shapes) {
    const TemporaryFolder folder;
    const std::string path = shape.lay(folder);
    const SmallFile file = readSmallFile(path);
    EXPECT_EQ(file.state, shape.state) << shape.label;
    EXPECT_EQ(file.text, shape.text) << shape.label;
    EXPECT_EQ(checkSmallFile(path), shape.state) << shape.label;
  }
}

// A file whose size says nothing of what it holds, as one that grows while it
// is read: it is read to its end, but never past the cap.
TEST(SmallFile, AFileThatGrowsWhileReadStopsAtTheCap) {
  const SmallFile whole = readSmallFile("/proc/self/status");
  ASSERT_EQ(whole.state, SmallFile::State::Read);
  EXPECT_NE(whole.text.find("Name:"), std::string::npos);
  EXPECT_EQ(readSmallFile("/proc/self/status", 16).state, SmallFile::State::TooLarge);
}

} // namespace
