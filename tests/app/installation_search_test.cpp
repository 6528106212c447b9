#include "app/installation_search.h"

#include "sandbox.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <filesystem>

namespace {

// The volume names as the folder listing gives them, "." entries left out.
std::vector<std::string> listingOrder(const std::string &folder) {
  std::vector<std::string> names;
  DIR *listing = ::opendir(folder.c_str());
  while (const dirent *entry = ::readdir(listing)) {
    if (entry->d_name[0] != '.')
      names.emplace_back(entry->d_name);
  }
  ::closedir(listing);
  return names;
}

TEST(InstallationSearch, TakesTheFirstVolumeInListingOrder) {
  const Sandbox sandbox;
  sandbox.addInstallation("Games");
  sandbox.addInstallation("Backup");
  const std::string first = listingOrder(sandbox.volumes()).front();
  const InstallationSearchResult result = searchInstallation(sandbox.volumes());
  EXPECT_TRUE(result.volumesFolderReadable);
  EXPECT_EQ(result.installation, sandbox.volumes() + "/" + first + "/Applications/Unreal Tournament 2004.app");
}

TEST(InstallationSearch, PassesOverVolumesThatDoNotLeadToTheGame) {
  struct SearchCase {
    const char *label;
    void (*build)(const Sandbox &);
    std::optional<std::string> expectedVolume;
  };
  const std::vector<SearchCase> cases = {
      {"only . and ..", [](const Sandbox &) {}, std::nullopt},
      {"hidden volume", [](const Sandbox &s) { s.addInstallation(".Hidden"); }, std::nullopt},
      {"applications in lower case",
       [](const Sandbox &s) { makeFolders(s.volumes() + "/V/applications/Unreal Tournament 2004.app"); }, std::nullopt},
      {"bundle without .app",
       [](const Sandbox &s) { makeFolders(s.volumes() + "/V/Applications/Unreal Tournament 2004"); }, std::nullopt},
      {"Applications is a plain file",
       [](const Sandbox &s) {
         makeFolders(s.volumes() + "/V");
         writeFile(s.volumes() + "/V/Applications", "");
       },
       std::nullopt},
      {"a plain file as the bundle",
       [](const Sandbox &s) {
         makeFolders(s.volumes() + "/V/Applications");
         writeFile(s.volumes() + "/V/Applications/Unreal Tournament 2004.app", "");
       },
       "V"},
      {"a plain file as the volume",
       [](const Sandbox &s) {
         writeFile(s.volumes() + "/File", "");
         s.addInstallation("Games");
       },
       "Games"},
      {"spaces and percent signs", [](const Sandbox &s) { s.addInstallation("My %s Disk %d"); }, "My %s Disk %d"},
      {"volume listed as a link",
       [](const Sandbox &s) {
         s.addInstallation(".Real");
         std::filesystem::create_directory_symlink(s.volumes() + "/.Real", s.volumes() + "/Linked");
       },
       "Linked"},
  };
  for (const SearchCase &testCase : cases) {
    const Sandbox sandbox;
    testCase.build(sandbox);
    const InstallationSearchResult result = searchInstallation(sandbox.volumes());
    EXPECT_TRUE(result.volumesFolderReadable) << testCase.label;
    if (testCase.expectedVolume)
      EXPECT_EQ(result.installation,
                sandbox.volumes() + "/" + *testCase.expectedVolume + "/Applications/Unreal Tournament 2004.app")
          << testCase.label;
    else
      EXPECT_EQ(result.installation, std::nullopt) << testCase.label;
  }
}

TEST(InstallationSearch, SkipsAVolumeThatCannotBeOpened) {
  // A link to nowhere cannot be opened as a folder, even by root. Volumes
  // are added until the listing puts the broken one between two others.
  const Sandbox sandbox;
  std::filesystem::create_directory_symlink(sandbox.volumes() + "/nowhere", sandbox.volumes() + "/Broken");
  for (int volume = 0; volume < 12; ++volume)
    makeFolders(sandbox.volumes() + "/Plain" + std::to_string(volume));
  std::vector<std::string> order = listingOrder(sandbox.volumes());
  const auto broken = std::find(order.begin(), order.end(), "Broken");
  ASSERT_NE(broken, order.begin());
  ASSERT_NE(broken + 1, order.end());
  const std::string after = *(broken + 1);
  sandbox.addInstallation(after);

  const InstallationSearchResult result = searchInstallation(sandbox.volumes());
  EXPECT_EQ(result.installation, sandbox.volumes() + "/" + after + "/Applications/Unreal Tournament 2004.app");
}

TEST(InstallationSearch, ReportsAMissingVolumesFolder) {
  const Sandbox sandbox;
  const InstallationSearchResult missing = searchInstallation(sandbox.root() + "/NoVolumes");
  EXPECT_FALSE(missing.volumesFolderReadable);
  EXPECT_EQ(missing.installation, std::nullopt);

  writeFile(sandbox.root() + "/FileVolumes", "");
  EXPECT_FALSE(searchInstallation(sandbox.root() + "/FileVolumes").volumesFolderReadable);
}

} // namespace
