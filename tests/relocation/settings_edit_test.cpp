// The edit of the game's own settings file: only the lines added change.
#include "relocation/settings_edit.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

const std::vector<std::string> kPaths = {"Paths=/home/u/.ut2004/Maps/*.ut2", "Paths=/home/u/.ut2004/Textures/*.utx"};

TEST(SettingsEdit, AddsOnlyTheMissingLinesAndKeepsEveryOtherByte) {
  struct EditCase {
    const char *label;
    std::string before;
    std::string after;
  };
  const EditCase cases[] = {
      {"after the last Paths line",
       "[Engine.Engine]\nRenderDevice=X\n\n[Core.System]\nPurgeCacheDays=30\nPaths=../System/*.u\nPaths=../Maps/*.ut2\n"
       "Suppress=DevLoad\n\n[Other]\nA=1\n",
       "[Engine.Engine]\nRenderDevice=X\n\n[Core.System]\nPurgeCacheDays=30\nPaths=../System/*.u\nPaths=../Maps/*.ut2\n"
       "Paths=/home/u/.ut2004/Maps/*.ut2\nPaths=/home/u/.ut2004/Textures/*.utx\nSuppress=DevLoad\n\n[Other]\nA=1\n"},
      {"CRLF kept", "[Core.System]\r\nPaths=../Maps/*.ut2\r\n",
       "[Core.System]\r\nPaths=../Maps/*.ut2\r\nPaths=/home/u/.ut2004/Maps/*.ut2\r\n"
       "Paths=/home/u/.ut2004/Textures/*.utx\r\n"},
      {"one there already, in other case and blanks", "[core.system]\npaths = /home/u/.ut2004/Maps/*.ut2 \n[Next]\n",
       "[core.system]\npaths = /home/u/.ut2004/Maps/*.ut2 \nPaths=/home/u/.ut2004/Textures/*.utx\n[Next]\n"},
      {"both there", "[Core.System]\n" + kPaths[0] + "\n" + kPaths[1] + "\n",
       "[Core.System]\n" + kPaths[0] + "\n" + kPaths[1] + "\n"},
      {"no section", "[Engine.Engine]\r\nA=1\r\n",
       "[Engine.Engine]\r\nA=1\r\n[Core.System]\r\n" + kPaths[0] + "\r\n" + kPaths[1] + "\r\n"},
      {"no Paths line, the section's last line open", "[Core.System]\nCachePath=../Cache\n\n\n[X]\nB=2",
       "[Core.System]\nCachePath=../Cache\n" + kPaths[0] + "\n" + kPaths[1] + "\n\n\n[X]\nB=2"},
      {"the file's last line open", "[Core.System]\nPaths=../Maps/*.ut2",
       "[Core.System]\nPaths=../Maps/*.ut2\n" + kPaths[0] + "\n" + kPaths[1] + "\n"},
      {"empty", "", "[Core.System]\n" + kPaths[0] + "\n" + kPaths[1] + "\n"},
  };
  for (const EditCase &edit : cases)
    EXPECT_EQ(withCoreSystemLines(edit.before, kPaths), edit.after) << edit.label;
}

TEST(SettingsEdit, ChangesOnlyTheValueOfTheFirstLineOfItsKey) {
  struct EditCase {
    const char *label;
    std::string before;
    std::string after;
  };
  const EditCase cases[] = {
      {"CRLF and the other sections kept",
       "[Engine.Engine]\r\nPurgeCacheDays=7\r\n[Core.System]\r\nPaths=../Maps/*.ut2\r\n"
       "PurgeCacheDays=30\r\nSuppress=X\r\n[Other]\r\nA=1\r\n",
       "[Engine.Engine]\r\nPurgeCacheDays=7\r\n[Core.System]\r\nPaths=../Maps/"
       "*.ut2\r\nPurgeCacheDays=0\r\nSuppress=X\r\n"
       "[Other]\r\nA=1\r\n"},
      {"the key's case and the blanks kept, the first line alone",
       "[core.system]\n purgecachedays = 30 \nPurgeCacheDays=9\n",
       "[core.system]\n purgecachedays = 0 \nPurgeCacheDays=9\n"},
      {"an empty value", "[Core.System]\nPurgeCacheDays=\r\n", "[Core.System]\nPurgeCacheDays=0\r\n"},
      {"the last line open", "[Core.System]\nPurgeCacheDays=30", "[Core.System]\nPurgeCacheDays=0"},
      {"no line: added", "[Core.System]\r\nPaths=../Maps/*.ut2\r\n[X]\r\n",
       "[Core.System]\r\nPaths=../Maps/*.ut2\r\nPurgeCacheDays=0\r\n[X]\r\n"},
      {"no section: added", "[X]\nB=2\n", "[X]\nB=2\n[Core.System]\nPurgeCacheDays=0\n"},
      {"already so", "[Core.System]\nPurgeCacheDays=0\n", "[Core.System]\nPurgeCacheDays=0\n"},
  };
  for (const EditCase &edit : cases)
    EXPECT_EQ(withCoreSystemValue(edit.before, "PurgeCacheDays", "0"), edit.after) << edit.label;
}

TEST(SettingsEdit, ReplacesTheFileWholeAndKeepsTheOneBefore) {
  const TemporaryFolder root;
  const std::string system = root / "System";
  makeFolders(system);
  const std::string ini = system + "/UT2004.ini";
  const std::string before = "[Core.System]\r\nPaths=../Maps/*.ut2\r\n[Engine.Engine]\r\nX=1\r\n";
  writeFile(ini, before);
  ::chmod(ini.c_str(), 0640);
  ASSERT_EQ(addCoreSystemLines(ini, kPaths, root / "data"), std::nullopt);
  EXPECT_EQ(readFile(ini), withCoreSystemLines(before, kPaths));
  EXPECT_EQ(readFile(settingsBackupOf(ini)), before);
  EXPECT_EQ(permissionBits(ini), 0640u);
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(system))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"UT2004.ini", "UT2004.ini.cache-sorter.bak"})) << "no temporary left";

  // Added once: a second edit changes nothing, not even the backup.
  ASSERT_EQ(addCoreSystemLines(ini, kPaths, root / "data"), std::nullopt);
  EXPECT_EQ(readFile(settingsBackupOf(ini)), before);

  // What is not a plain file is refused and left as it is.
  const std::string link = system + "/Link.ini";
  std::filesystem::create_symlink(ini, link);
  EXPECT_NE(addCoreSystemLines(link, kPaths, root / "data"), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  const std::string fifo = system + "/Fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_NE(addCoreSystemLines(fifo, kPaths, root / "data"), std::nullopt);
  EXPECT_NE(addCoreSystemLines(system + "/Missing.ini", kPaths, root / "data"), std::nullopt);
}

} // namespace
