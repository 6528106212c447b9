// The readers of Steam's, Wine's, Lutris' and Heroic's files, on the texts
// those programs write and on texts that are not theirs.
#include "app/installations/heroic_source.h"
#include "app/installations/lutris_source.h"
#include "app/installations/registry_file.h"
#include "app/installations/steam_library_list.h"
#include "app/installations/wine_prefix.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Folders = std::optional<std::vector<std::string>>;

TEST(SteamLibraryList, ReadsBothFormatsAndRefusesBrokenText) {
  struct ListCase {
    const char *label;
    std::string text;
    Folders expected;
  };
  const ListCase cases[] = {
      {"since 2021",
       "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/Steam\"\n\t\t\"label\"\t\t\"\"\n"
       "\t\t\"apps\"\n\t\t{\n\t\t\t\"13240\"\t\t\"5\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games/"
       "SteamLibrary\"\n"
       "\t}\n}\n",
       Folders{{"/home/u/.local/share/Steam", "/mnt/games/SteamLibrary"}}},
      {"before 2021",
       "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"ContentStatsID\"\t\t\"-1\"\n"
       "\t\"1\"\t\t\"/media/sd/Steam\"\n\t\"2\"\t\t\"D:\\\\Steam\"\n}\n",
       Folders{{"/media/sd/Steam", "D:\\Steam"}}},
      {"comments and bare words", "// Steam\nlibraryfolders { 0 { path /srv/steam } }", Folders{{"/srv/steam"}}},
      {"a path outside the list", "\"other\" { \"0\" { \"path\" \"/nope\" } }", Folders{std::vector<std::string>{}}},
      {"empty", "", Folders{std::vector<std::string>{}}},
      {"a quote that never closes", "\"libraryfolders\" { \"0\" { \"path\" \"/mnt", std::nullopt},
      {"a block that never closes", "\"libraryfolders\" { \"0\" { \"path\" \"/mnt\" }", std::nullopt},
      {"a brace too many", "\"libraryfolders\" { } }", std::nullopt},
      {"a key without a value", "\"libraryfolders\"", std::nullopt},
      {"too deep", std::string(5000, '{'), std::nullopt},
  };
  for (const ListCase &list : cases)
    EXPECT_EQ(steamLibraryFolders(list.text), list.expected) << list.label;
}

TEST(RegistryFile, FindsTheInstallersFolderUnderEitherKey) {
  const std::string key = "Software\\Wow6432Node\\Unreal Technology\\Installed Apps\\UT2004";
  const std::string folder = "Folder";
  struct RegistryCase {
    const char *label;
    std::string text;
    std::optional<std::string> expected;
  };
  const RegistryCase cases[] = {
      {"as Wine writes it",
       "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
       "[Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\UT2004] 1700000000\n#time=1da\n"
       "\"CDKey\"=\"XXXXX\"\n\"Folder\"=\"C:\\\\UT2004\"\n\"Version\"=\"3369\"\n",
       "C:\\UT2004"},
      {"CRLF, another case",
       "[software\\\\wow6432node\\\\unreal technology\\\\installed apps\\\\ut2004] 1\r\n"
       "\"folder\"=str(2):\"D:\\\\Games\\\\UT2004\"\r\n",
       "D:\\Games\\UT2004"},
      {"escaped quotes",
       "[" + std::string("Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\UT2004") +
           "]\n\"Folder\"=\"C:\\\\A \\\"B\\\"\"\n",
       "C:\\A \"B\""},
      {"another key's Folder", "[Software\\\\Epic]\n\"Folder\"=\"C:\\\\Epic\"\n", std::nullopt},
      {"a number, not a string",
       "[Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\UT2004]\n\"Folder\"=dword:00000001\n",
       std::nullopt},
      {"a string that never closes",
       "[Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\UT2004]\n\"Folder\"=\"C:\\\\UT\n",
       std::nullopt},
      {"a key after it",
       "[Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\UT2004]\n[Other]\n"
       "\"Folder\"=\"C:\\\\Other\"\n",
       std::nullopt},
  };
  for (const RegistryCase &registry : cases)
    EXPECT_EQ(registryString(registry.text, key, folder), registry.expected) << registry.label;
  EXPECT_EQ(registryString("[Software\\\\Unreal Technology\\\\Installed Apps\\\\UT2004]\n\"Folder\"=\"C:\\\\UT\"\n",
                           "Software\\Unreal Technology\\Installed Apps\\UT2004", folder),
            "C:\\UT");
}

TEST(WinePrefix, MapsDrivesThroughDosDevices) {
  const TemporaryFolder root;
  const std::string prefix = root / "prefix";
  makeFolders(prefix + "/dosdevices");
  makeFolders(prefix + "/drive_c");
  std::filesystem::create_symlink("/mnt/games", prefix + "/dosdevices/d:");
  struct PathCase {
    const char *windows;
    std::optional<std::string> host;
  };
  const PathCase cases[] = {
      {"C:\\UT2004", prefix + "/drive_c/UT2004"},
      {"c:\\Games\\UT2004\\", prefix + "/drive_c/Games/UT2004"},
      {"D:\\UT2004", root / "mnt/games/UT2004"},
      {"Z:\\etc", root / "etc"},
      {"E:\\UT2004", std::nullopt},
      {"C:\\UT2004\\..\\..\\..\\etc", std::nullopt},
      {"\\\\server\\share", std::nullopt},
      {"UT2004", std::nullopt},
  };
  for (const PathCase &path : cases)
    EXPECT_EQ(hostPathOf(prefix, path.windows, root.path()), path.host) << path.windows;

  // A prefix's own links win over the defaults: C: elsewhere, Z: at a folder.
  std::filesystem::create_symlink("../elsewhere", prefix + "/dosdevices/c:");
  std::filesystem::create_symlink("/", prefix + "/dosdevices/z:");
  EXPECT_EQ(hostPathOf(prefix, "C:\\UT2004", root.path()), prefix + "/elsewhere/UT2004");
  EXPECT_EQ(hostPathOf(prefix, "Z:\\srv\\UT2004", root.path()), root / "srv/UT2004");
}

TEST(LauncherFiles, LutrisYamlAndHeroicJson) {
  const std::optional<LutrisGame> lutris = parseLutrisGame("game:\n  exe: /home/u/Games/ut2004/drive_c/UT2004/System/"
                                                           "UT2004.exe\n  prefix: /home/u/Games/ut2004\n"
                                                           "system:\n  disable_runtime: true\nwine:\n  version: ge\n");
  ASSERT_TRUE(lutris);
  EXPECT_EQ(lutris->executable, "/home/u/Games/ut2004/drive_c/UT2004/System/UT2004.exe");
  EXPECT_EQ(lutris->prefix, "/home/u/Games/ut2004");
  EXPECT_EQ(parseLutrisGame("game:\n  exe: [unclosed\n"), std::nullopt);
  EXPECT_EQ(parseLutrisGame("- a list\n"), std::nullopt);
  EXPECT_EQ(parseLutrisGame("game:\n  exe: {a: b}\n")->executable, "") << "not a path";
  EXPECT_EQ(parseLutrisGame(std::string(3000, '[')), std::nullopt) << "too deep";

  EXPECT_EQ(heroicInstalledFolders(R"({"installed": [{"appName": "1", "install_path": "/home/u/Games/Heroic/UT2004",
                                       "platform": "windows"}, {"appName": "2"}, {"install_path": 7}]})"),
            Folders{{"/home/u/Games/Heroic/UT2004"}});
  EXPECT_EQ(heroicInstalledFolders(R"([{"install_path": "/old/UT2004"}])"), Folders{{"/old/UT2004"}});
  EXPECT_EQ(heroicSideloadedFolders(R"({"games": [{"app_name": "x", "folder_name": "/srv/UT2004"},
                                        {"install": {"executable": "/opt/ut/System/UT2004.exe"}}]})"),
            Folders({"/srv/UT2004", "/opt/ut"}));
  EXPECT_EQ(heroicInstalledFolders("{\"installed\": [ {"), std::nullopt) << "cut short";
  EXPECT_EQ(heroicInstalledFolders("{\"other\": []}"), std::nullopt);
  EXPECT_EQ(heroicInstalledFolders(std::string(100000, '[') + std::string(100000, ']')),
            Folders{std::vector<std::string>{}})
      << "what lies deeper than Heroic writes is not kept";
}

} // namespace
