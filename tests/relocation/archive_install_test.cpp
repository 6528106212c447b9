// Installing a downloaded archive: each format players' packs come in, the
// layouts inside them, and hostile archives.
#include "relocation/archive_install.h"

#include "archive_writer.h"
#include "package_writer.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/mount.h>

namespace {

namespace fs = std::filesystem;

// A game with its category folders, Steam's "maps" in small letters, and
// a map of the pack's name that holds other bytes.
struct Game {
  Game() {
    for (const char *folder : {"System", "maps", "Textures", "Sounds", "StaticMeshes"})
      makeFolders(game + "/" + folder);
    writeFile(game + "/maps/DM-Pack.ut2", "the player's own DM-Pack");
    writeFile(game + "/Textures/Same.utx", "the same texture");
  }
  const TemporaryFolder root;
  const std::string game = root / "game";
  const std::string data = root / "data";

  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto &file : fs::recursive_directory_iterator(root.path()))
      if (file.path().filename().string().starts_with(".cache-sorter-"))
        names.push_back(file.path().string());
    return names;
  }
};

std::map<std::string, ArchiveFile::Fate> fatesOf(const ArchivePlan &plan) {
  std::map<std::string, ArchiveFile::Fate> fates;
  for (const ArchiveFile &file : plan.files)
    fates[file.name] = file.fate;
  return fates;
}

// `size` bytes that do not compress, from `seed`.
std::string noiseOf(std::size_t size, std::uint32_t seed) {
  std::string bytes;
  for (std::uint32_t state = seed; bytes.size() < size;) {
    state = state * 1103515245 + 12345;
    bytes += static_cast<char>(state >> 24);
  }
  return bytes;
}

const std::string kMap = PackageWriter().bytes() + std::string(5000, 'm');

std::string formatName(ArchiveFormat format) {
  switch (format) {
  case ArchiveFormat::Zip:
    return "Zip";
  case ArchiveFormat::SevenZip:
    return "SevenZip";
  case ArchiveFormat::TarGz:
    return "TarGz";
  case ArchiveFormat::Umod:
    return "Umod";
  }
  return "";
}

class ArchiveFormats : public ::testing::TestWithParam<ArchiveFormat> {};

TEST_P(ArchiveFormats, SortsEachFileByItsEndingAndKeepsADifferentOne) {
  const Game layout;
  const std::string archive = layout.root / "pack";
  ASSERT_TRUE(writeArchive(archive, GetParam(),
                           {{"DM-Pack/Maps/DM-Pack.ut2", kMap},
                            {"DM-Pack/Textures/Pack.utx", "texture bytes"},
                            {"DM-Pack/Textures/Same.utx", "the same texture"},
                            {"DM-Pack/SYSTEM/Pack.INT", "[Public]"},
                            {"pack.u", "script bytes"},
                            {"ReadMe.txt", "how to play"},
                            {"setup.exe", "MZ"}}));
  const CategoryFolders game(layout.game);
  const ArchivePlan plan = planArchiveInstall(archive, game);
  ASSERT_EQ(plan.unreadable, "");
  using Fate = ArchiveFile::Fate;
  EXPECT_EQ(fatesOf(plan), (std::map<std::string, Fate>{{"DM-Pack/Maps/DM-Pack.ut2", Fate::Install},
                                                        {"DM-Pack/Textures/Pack.utx", Fate::Install},
                                                        {"DM-Pack/Textures/Same.utx", Fate::Install},
                                                        {"DM-Pack/SYSTEM/Pack.INT", Fate::Install},
                                                        {"pack.u", Fate::Install},
                                                        {"ReadMe.txt", Fate::Readme},
                                                        {"setup.exe", Fate::NotInstalled}}));
  std::map<std::string, ArchiveFile::Existing> existing;
  for (const ArchiveFile &file : plan.files)
    existing[file.leaf] = file.existing;
  EXPECT_EQ(existing["DM-Pack.ut2"], ArchiveFile::Existing::Different);
  EXPECT_EQ(existing["Same.utx"], ArchiveFile::Existing::Identical);
  EXPECT_EQ(existing["Pack.utx"], ArchiveFile::Existing::None);

  const MoveReport report = installArchive(plan, ArchiveInstallSettings{layout.data, false, {}, {}});
  EXPECT_EQ(readFile(layout.game + "/Textures/Pack.utx"), "texture bytes");
  EXPECT_EQ(readFile(layout.game + "/System/Pack.INT"), "[Public]");
  EXPECT_EQ(readFile(layout.game + "/System/pack.u"), "script bytes");
  EXPECT_EQ(readFile(layout.game + "/maps/DM-Pack.ut2"), "the player's own DM-Pack") << "kept";
  EXPECT_FALSE(exists(layout.game + "/Maps")) << "no second Maps";
  EXPECT_EQ(report.moved.size(), 3u);
  EXPECT_EQ(report.stayed.size(), 4u);
  EXPECT_EQ(layout.leftovers(), std::vector<std::string>{});

  // The text is written out for the player to open, and only it.
  EXPECT_EQ(extractReadmes(plan, layout.root / "Read Me", layout.data),
            std::vector<std::string>{layout.root / "Read Me/ReadMe.txt"});
  EXPECT_EQ(readFile(layout.root / "Read Me/ReadMe.txt"), "how to play");

  // Asked to, the different map replaces the player's, under its spelling.
  const ArchivePlan again = planArchiveInstall(archive, game);
  installArchive(again, ArchiveInstallSettings{layout.data, true, {}, {}});
  EXPECT_EQ(readFile(layout.game + "/maps/DM-Pack.ut2"), kMap);
}

INSTANTIATE_TEST_SUITE_P(EachFormat, ArchiveFormats,
                         ::testing::Values(ArchiveFormat::Zip, ArchiveFormat::SevenZip, ArchiveFormat::TarGz,
                                           ArchiveFormat::Umod),
                         [](const auto &info) { return formatName(info.param); });

TEST(HostileArchive, NamesLinksAndDevicesAreRefusedAndNothingLandsOutside) {
  const Game layout;
  const std::string archive = layout.root / "hostile.tar.gz";
  ASSERT_TRUE(writeArchive(archive, ArchiveFormat::TarGz,
                           {{"../../Escaped.ut2", "out"},
                            {"/etc/Absolute.u", "abs"},
                            {"Maps/Link.ut2", "/etc/passwd", ArchiveItem::Kind::Link},
                            {"Maps/Device.ut2", "", ArchiveItem::Kind::Device},
                            {"Maps/DM-Fine.ut2", "fine"},
                            {"Other/dm-fine.ut2", "a second of that name"}}));
  const ArchivePlan plan = planArchiveInstall(archive, CategoryFolders(layout.game));
  ASSERT_EQ(plan.unreadable, "");
  std::map<std::string, std::string> why;
  for (const ArchiveFile &file : plan.files)
    why[file.name] = file.fate == ArchiveFile::Fate::Refused ? file.why : "taken";
  EXPECT_EQ(why["../../Escaped.ut2"], "its name leads out of the folder");
  EXPECT_EQ(why["/etc/Absolute.u"], "its name is absolute");
  EXPECT_EQ(why["Maps/Link.ut2"], "it is a link");
  EXPECT_EQ(why["Maps/Device.ut2"], "it is a device");
  EXPECT_EQ(why["Maps/DM-Fine.ut2"], "taken");
  EXPECT_EQ(why["Other/dm-fine.ut2"], "another file of the archive has that name");
  installArchive(plan, ArchiveInstallSettings{layout.data, false, {}, {}});
  EXPECT_EQ(readFile(layout.game + "/maps/DM-Fine.ut2"), "fine");
  EXPECT_FALSE(exists(layout.root / "Escaped.ut2"));
  EXPECT_FALSE(exists(layout.game + "/maps/Link.ut2"));
  EXPECT_FALSE(exists(layout.game + "/maps/Device.ut2"));
}

// What a damaged or hostile archive's file would leave is never under its
// name, and nothing of ours is left.
TEST(HostileArchive, ABombAWrongChecksumAndACutArchiveLeaveNothing) {
  const Game layout;
  const std::string bomb = layout.root / "bomb.zip";
  // 300 MB of one byte: the deflated archive is a few hundred kilobytes.
  ASSERT_TRUE(writeArchive(bomb, ArchiveFormat::Zip, {{"Maps/DM-Bomb.ut2", std::string(300u << 20, '\0')}}));
  ASSERT_LT(fs::file_size(bomb), 2u << 20);
  MoveReport report = installArchive(planArchiveInstall(bomb, CategoryFolders(layout.game)),
                                     ArchiveInstallSettings{layout.data, false, {}, {}});
  ASSERT_EQ(report.stayed.size(), 1u);
  EXPECT_NE(report.stayed[0].reason.find("more than 200 times its size"), std::string::npos) << report.stayed[0].reason;
  EXPECT_FALSE(exists(layout.game + "/maps/DM-Bomb.ut2"));

  // A stored file whose bytes changed after its checksum was taken.
  const std::string damaged = layout.root / "damaged.tar.gz";
  const std::string zip = layout.root / "damaged.zip";
  // Bytes that do not compress, so that the archive is as large as they are.
  const std::string bytes = noiseOf(64 * 1024, 1);
  ASSERT_TRUE(writeArchive(zip, ArchiveFormat::Zip, {{"Maps/DM-Damaged.ut2", bytes}}));
  std::string written = readFile(zip);
  // A byte in the middle of the file's data.
  written[written.size() / 3] = static_cast<char>(written[written.size() / 3] ^ 0x55);
  writeFile(zip, written);
  report = installArchive(planArchiveInstall(zip, CategoryFolders(layout.game)),
                          ArchiveInstallSettings{layout.data, false, {}, {}});
  EXPECT_FALSE(exists(layout.game + "/maps/DM-Damaged.ut2"));
  EXPECT_EQ(report.moved.size(), 0u);
  ASSERT_EQ(report.stayed.size(), 1u);
  EXPECT_NE(report.stayed[0].reason.find("CRC"), std::string::npos) << report.stayed[0].reason;

  // Cut short in the middle of its second file.
  ASSERT_TRUE(writeArchive(damaged, ArchiveFormat::TarGz,
                           {{"Maps/DM-First.ut2", "first"}, {"Maps/DM-Cut.ut2", std::string(200000, 'c')}}));
  fs::resize_file(damaged, fs::file_size(damaged) / 2);
  report = installArchive(planArchiveInstall(damaged, CategoryFolders(layout.game)),
                          ArchiveInstallSettings{layout.data, false, {}, {}});
  EXPECT_FALSE(exists(layout.game + "/maps/DM-Cut.ut2"));
  EXPECT_EQ(layout.leftovers(), std::vector<std::string>{});

  // An installer whose table says more than the file holds.
  std::string umod = umodBytes({{"Maps/DM-U.ut2", "umod bytes"}});
  writeFile(layout.root / "cut.umod", umod.substr(0, umod.size() - 3));
  EXPECT_NE(planArchiveInstall(layout.root / "cut.umod", CategoryFolders(layout.game)).unreadable, "");
}

// `zip` with every size field that records `from` bytes unpacked (in the
// local header, the data descriptor and the central directory) set to `to`.
std::string claimingSize(std::string zip, std::uint32_t from, std::uint32_t to) {
  const auto patch = [&](const std::string &signature, std::size_t field) {
    for (std::size_t at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 4)) {
      if (at + field + 4 > zip.size())
        continue;
      std::uint32_t value = 0;
      for (int byte = 3; byte >= 0; --byte)
        value = value << 8 | static_cast<unsigned char>(zip[at + field + static_cast<std::size_t>(byte)]);
      if (value != from)
        continue;
      for (int byte = 0; byte < 4; ++byte)
        zip[at + field + static_cast<std::size_t>(byte)] = static_cast<char>(to >> (8 * byte));
    }
  };
  patch(std::string("PK\3\4", 4), 22);
  patch(std::string("PK\7\10", 4), 12);
  patch(std::string("PK\1\2", 4), 24);
  return zip;
}

// A file whose bytes are whole and whose checksum is right, but whose
// archive says it unpacks to fewer or more bytes than it does.
TEST(HostileArchive, AFileThatClaimsOneSizeAndHoldsAnotherIsRefused) {
  const Game layout;
  const std::string bytes = std::string(100000, 'x');
  const std::string zip = layout.root / "honest.zip";
  ASSERT_TRUE(writeArchive(zip, ArchiveFormat::Zip, {{"Maps/DM-Lies.ut2", bytes}}));
  const std::string honest = readFile(zip);
  for (const std::uint32_t claimed : {90000u, 110000u}) {
    SCOPED_TRACE(claimed);
    const std::string lying = claimingSize(honest, 100000, claimed);
    ASSERT_NE(lying, honest) << "the zip records its size";
    writeFile(zip, lying);
    const ArchivePlan plan = planArchiveInstall(zip, CategoryFolders(layout.game));
    ASSERT_EQ(plan.unreadable, "");
    const MoveReport report = installArchive(plan, ArchiveInstallSettings{layout.data, false, {}, {}});
    EXPECT_EQ(report.moved.size(), 0u);
    ASSERT_EQ(report.stayed.size(), 1u);
    EXPECT_EQ(report.stayed[0].utName, "Maps/DM-Lies.ut2");
    // libarchive's own check or ours, whichever sees it first.
    const std::string &reason = report.stayed[0].reason;
    EXPECT_TRUE(reason.find("wrong size") != std::string::npos ||
                reason.find("than the archive says") != std::string::npos)
        << reason;
    EXPECT_FALSE(exists(layout.game + "/maps/DM-Lies.ut2"));
    EXPECT_EQ(layout.leftovers(), std::vector<std::string>{});
  }
}

// A pack larger than the game's volume has free: the question says so
// first, and what does not fit is left out whole, nothing of it written.
TEST(HostileArchive, APackLargerThanTheFreeSpaceIsToldAndLeavesNoFile) {
  const Game layout;
  const std::string maps = layout.game + "/maps";
  if (::mount("tmpfs", maps.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "a small tmpfs needs the right to mount";
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount(path.c_str()); }
  } const unmount{maps};
  const std::string noise = noiseOf(1u << 20, 7);
  const std::string archive = layout.root / "large.zip";
  ASSERT_TRUE(writeArchive(archive, ArchiveFormat::Zip, {{"Maps/DM-Large.ut2", noise}}));
  const ArchivePlan plan = planArchiveInstall(archive, CategoryFolders(layout.game));
  EXPECT_EQ(plan.bytesToWrite, noise.size());
  EXPECT_TRUE(plan.noRoom) << "the maps folder's own volume is the one that counts";
  const MoveReport report = installArchive(plan, ArchiveInstallSettings{layout.data, false, {}, {}});
  ASSERT_EQ(report.stayed.size(), 1u);
  EXPECT_NE(report.stayed[0].reason.find("No space left on device"), std::string::npos) << report.stayed[0].reason;
  EXPECT_TRUE(fs::is_empty(maps));
}

} // namespace
