#include "package/package_reader.h"

#include "package_writer.h"
#include "samples.h"
#include "temporary_folder.h"
#include "written_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace {

TEST(PackageReader, ReadsTheRealMap) {
  const std::optional<std::string> map = sampleBytes(kSampleMap);
  if (!map)
    GTEST_SKIP() << "the shared samples are not beside the project";
  const TemporaryFolder folder;
  const std::string path = folder / (std::string(kSampleMapCacheName) + ".uxx");
  writeFile(path, *map);
  const PackageRead read = readPackage(path, withExports());
  ASSERT_TRUE(read.tables) << read.unreadable;
  const PackageTables &tables = *read.tables;
  EXPECT_EQ(tables.header.version, 128);
  EXPECT_EQ(tables.header.licensee, 29);
  EXPECT_EQ(tables.header.guid.text(), "CB9550544AF3AE166AB7558EBBA5CB46");
  EXPECT_EQ(tables.names.size(), 1105u);
  EXPECT_EQ(tables.imports.size(), 109u);
  EXPECT_EQ(tables.exports.size(), 819u);
  EXPECT_EQ(neededPackages(tables),
            (std::vector<std::string>{"Engine",         "UnWheel",         "Shiptech",         "HumanoidArchitecture",
                                      "EpicParticles",  "SG_LO_meshes",    "EmitterTextures",  "UnWheelJumper",
                                      "X_SG_LO_meshes", "BonusPack",       "lavaskyX",         "X_AW-Convert",
                                      "Gameplay",       "awcity",          "Pipe_Static",      "WeaponSounds",
                                      "ParticleMeshes", "XGame_rc",        "HumanoidHardware", "Core",
                                      "XEffects",       "SG_Lost_Outpost", "Desp_SMS-Tex",     "UnWheelAds"}));
  // Only the header and the tables are read: a small part of 4 MiB.
  EXPECT_LT(read.bytesRead, 200u * 1024) << read.bytesRead;
}

TEST(PackageReader, ReadsWrittenPackages) {
  PackageWriter writer;
  writer.needs("Engine");
  writer.needs("DM-Textures");
  writer.needs("engine"); // once, ASCII case aside
  const std::int32_t level = writer.addImport("Core", "Class", writer.needs("Engine"), "LevelInfo");
  writer.addExport(level, "LevelInfo0", "level data");
  const TemporaryFolder folder;
  writeFile(folder / "P.uxx", writer.bytes());
  const PackageRead read = readPackage(folder / "P.uxx", withExports());
  ASSERT_TRUE(read.tables) << read.unreadable;
  EXPECT_EQ(read.tables->header.guid.text(), "11111111222222223333333344444444");
  EXPECT_EQ(neededPackages(*read.tables), (std::vector<std::string>{"Engine", "DM-Textures"}));
  ASSERT_EQ(read.tables->exports.size(), 1u);
  EXPECT_EQ(read.tables->exports[0].serialSize, 10u);
  EXPECT_EQ(read.tables->exports[0].serialOffset, 64u);
}

// Tables longer than the reader's first read of each, names of both length
// forms, and numbers of one to four bytes, as big maps hold them.
TEST(PackageReader, ReadsTablesLongerThanOneRead) {
  PackageWriter writer;
  std::vector<std::string> expected = {"None", "Core", "Package"};
  for (int index = 3; index < 9000; ++index) {
    // A name of 100 characters takes a length of two bytes; one with a NUL
    // inside is read up to it, as the game reads it.
    std::string name = index == 200 ? std::string(100, 'L') : "Name" + std::to_string(index);
    if (index == 300)
      name = std::string("Cut\0Off", 7);
    writer.name(name);
    expected.push_back(index == 300 ? "Cut" : name);
  }
  // Name indexes of one, two and three bytes.
  for (const int index : {63, 64, 200, 8191, 8192, 8999})
    writer.needs(expected[static_cast<std::size_t>(index)]);
  // A data offset and size of four bytes.
  const std::string big(3 << 20, 'x');
  writer.addExport(0, "Big", big);
  writer.addExport(0, "After", "x");
  expected.insert(expected.end(), {"Big", "After"});
  const TemporaryFolder folder;
  writeFile(folder / "P.uxx", writer.bytes());

  const PackageRead read = readPackage(folder / "P.uxx", withExports());
  ASSERT_TRUE(read.tables) << read.unreadable;
  const PackageNames &names = read.tables->names;
  ASSERT_EQ(names.size(), expected.size());
  for (std::size_t index = 0; index < names.size(); ++index)
    ASSERT_EQ(names[index], expected[index]) << "name " << index;
  EXPECT_EQ(neededPackages(*read.tables),
            (std::vector<std::string>{"Name63", "Name64", std::string(100, 'L'), "Name8191", "Name8192", "Name8999"}));
  ASSERT_EQ(read.tables->exports.size(), 2u);
  EXPECT_EQ(read.tables->exports[0].serialSize, big.size());
  EXPECT_EQ(read.tables->exports[1].serialOffset, 64 + big.size());
  // The tables, not the data between.
  EXPECT_LT(read.bytesRead, 512u * 1024) << read.bytesRead;
}

// What strangers' servers may send: each is unreadable, with its reason,
// after reading no more than each of the four parts (the header and three
// tables) could hold.
TEST(PackageReader, HostilePackagesAreUnreadable) {
  PackageWriter base;
  base.needs("Engine");
  base.addExport(0, "Thing", "data");
  const std::string good = base.bytes();
  const std::string sixByteIndex = "\x7F\xFF\xFF\xFF\xFF\x7F";

  struct Hostile {
    const char *label;
    std::string bytes;
    const char *reason;
  };
  PackageWriter loop;
  loop.addImport("Core", "Package", -2, "A");
  loop.addImport("Core", "Package", -1, "B");
  PackageWriter older = base;
  older.version = 69;
  PackageWriter newer = base;
  newer.version = 129;
  // The name table's first length, made 1 GiB or six bytes long.
  const std::size_t firstName = 64 + 4;
  const auto withNameLength = [&](const std::string &length) {
    std::string bytes = good;
    bytes.replace(firstName, 1, length);
    return bytes;
  };
  const std::vector<Hostile> cases = {
      {"2^31 names", withWord(good, PackageWriter::kNameCount, 0x80000000u), "claims 2147483648 names"},
      {"2^31 imports", withWord(good, PackageWriter::kImportCount, 0x80000000u), "claims 2147483648 imports"},
      {"2^31 exports", withWord(good, PackageWriter::kExportCount, 0x80000000u), "claims 2147483648 exports"},
      {"names past the end", withWord(good, PackageWriter::kNameOffset, 1 << 30), "past the end"},
      {"a negative import offset", withWord(good, PackageWriter::kImportOffset, 0xFFFFFFF0u), "past the end"},
      {"more names than bytes", withWord(good, PackageWriter::kNameCount, 100000), "past the end"},
      {"a compact index of six bytes", withNameLength(sixByteIndex), "malformed"},
      {"a name of 1 GiB", withNameLength(compactIndex(1 << 30)), "a length of 1073741824"},
      {"a negative name length", withNameLength(compactIndex(-5)), "a length of -5"},
      {"an outer chain that loops", loop.bytes(), "inside themselves"},
      {"an old game's version", older.bytes(), "a format this program does not read (version 69)"},
      {"a newer version", newer.bytes(), "a format this program does not read (version 129)"},
      {"not a package", "<html>404 Not Found</html>", "does not begin as a package does"},
      {"empty", "", "does not begin as a package does"},
  };
  for (const Hostile &hostile : cases) {
    const TemporaryFolder folder;
    writeFile(folder / "P.uxx", hostile.bytes);
    const PackageRead read = readPackage(folder / "P.uxx", withExports());
    EXPECT_FALSE(read.tables) << hostile.label;
    EXPECT_NE(read.unreadable.find(hostile.reason), std::string::npos) << hostile.label << ": " << read.unreadable;
    EXPECT_LE(read.bytesRead, 4 * hostile.bytes.size()) << hostile.label;
  }
}

TEST(PackageReader, IndexesAndDataOutsideTheirTablesAreUnreadable) {
  struct Case {
    const char *label;
    std::function<void(PackageWriter &)> write;
    const char *reason;
  };
  const std::vector<Case> cases = {
      {"a name index out of range",
       [](PackageWriter &writer) {
         writer.needs("Engine");
         writer.addImport("Core", "Package", 0, "X");
       },
       nullptr},
      {"an outer out of range", [](PackageWriter &writer) { writer.addImport("Core", "Package", -50, "X"); },
       "an object reference in it is out of range"},
      {"data past the end", [](PackageWriter &writer) { writer.addRawExport("Thing", 16, 1 << 20); },
       "an object's data in it lies outside the file"},
      {"a negative size", [](PackageWriter &writer) { writer.addRawExport("Thing", -16, 0); },
       "an object's data in it lies outside the file"},
      {"a negative offset", [](PackageWriter &writer) { writer.addRawExport("Thing", 16, -64); },
       "an object's data in it lies outside the file"},
  };
  for (const Case &test : cases) {
    PackageWriter writer;
    test.write(writer);
    std::string bytes = writer.bytes();
    if (!test.reason) {
      // The last import's object name, the file's last byte, names a name
      // that is not there.
      bytes.back() = 0x3F;
    }
    const TemporaryFolder folder;
    writeFile(folder / "P.uxx", bytes);
    const PackageRead read = readPackage(folder / "P.uxx", withExports());
    EXPECT_FALSE(read.tables) << test.label;
    EXPECT_EQ(read.unreadable, test.reason ? test.reason : "a name index in it is out of range") << test.label;
  }
}

TEST(PackageReader, AFileCutAnywhereIsUnreadable) {
  PackageWriter writer;
  writer.needs("Engine");
  writer.needs("Textures");
  writer.addExport(writer.needs("Gameplay"), "Thing", "some data");
  const std::string bytes = writer.bytes();
  const TemporaryFolder folder;
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    writeFile(folder / "P.uxx", bytes.substr(0, size));
    const PackageRead read = readPackage(folder / "P.uxx", withExports());
    EXPECT_FALSE(read.tables) << "cut at " << size;
    EXPECT_FALSE(read.unreadable.empty()) << "cut at " << size;
  }
}

TEST(PackageReader, WhatIsNotAPlainFileIsNotRead) {
  const TemporaryFolder folder;
  PackageWriter writer;
  writeFile(folder / "P.uxx", writer.bytes());
  std::filesystem::create_symlink(folder / "P.uxx", folder / "link.uxx");
  ::mkfifo((folder / "fifo.uxx").c_str(), 0600);
  makeFolders(folder / "folder.uxx");
  EXPECT_EQ(readPackage(folder / "link.uxx").unreadable, "it is a link");
  EXPECT_EQ(readPackage(folder / "fifo.uxx").unreadable, "it is not a plain file");
  EXPECT_EQ(readPackage(folder / "folder.uxx").unreadable, "it is not a plain file");
  EXPECT_NE(readPackage(folder / "gone.uxx").unreadable.find("cannot be opened"), std::string::npos);

  // A file that grows while it is read.
  PackageReadOptions options;
  options.afterTables = [&] {
    FILE *file = std::fopen((folder / "P.uxx").c_str(), "ab");
    std::fputs("more", file);
    std::fclose(file);
  };
  EXPECT_EQ(readPackage(folder / "P.uxx", options).unreadable, "it changed while it was read");
}

} // namespace
