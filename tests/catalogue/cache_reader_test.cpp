#include "catalogue/cache_reader.h"
#include "catalogue/category.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <optional>

using namespace std::string_literals;

namespace {

struct ReaderCase {
  const char *label;
  std::string index;
  std::string category;
  std::vector<CacheEntry> expected;
};

std::vector<CacheEntry> read(const TemporaryFolder &folder, const std::string &index, const std::string &category) {
  const std::string path = folder / "cache.ini";
  writeFile(path, index);
  const std::optional<std::vector<CacheEntry>> entries = readCategory(path, category);
  EXPECT_TRUE(entries.has_value());
  return entries.value_or(std::vector<CacheEntry>{});
}

TEST(CacheReader, FollowsTheByteRulesOfTheIndex) {
  const std::string longKey(3000, 'k');
  const std::vector<ReaderCase> cases = {
      {"empty file", "", "Maps", {}},
      {"section line only", "[Cache]\n", "Maps", {}},
      {"one map", "[Cache]\nABC=Foo.ut2\n", "Maps", {{0, "Foo.ut2", "ABC"}}},
      {"map asked as textures", "ABC=Foo.ut2\n", "Textures", {}},
      {"last line without line feed", "ABC=Foo.ut2", "Maps", {}},
      {"finished line before an unfinished one", "A=1.ut2\nB=2.ut2", "Maps", {{0, "1.ut2", "A"}}},
      {"carriage return and line feed", "ABC=Foo.ut2\r\n", "Maps", {{0, "Foo.ut2", "ABC"}}},
      {"carriage return inside a line", "AB\rC=Foo.ut2\n", "Maps", {{0, "Foo.ut2", "ABC"}}},
      {"carriage return before the ending", "ABC=Foo.ut\r2\n", "Maps", {{0, "Foo.ut2", "ABC"}}},
      {"first equals sign splits", "K=V=Foo.u\n", "System", {{0, "V=Foo.u", "K"}}},
      {"empty key", "=Foo.utx\n", "Textures", {{0, "Foo.utx", ""}}},
      {"shortest lines taken", "=.u\n=.U\n", "System", {{0, ".u", ""}, {0, ".U", ""}}},
      {"equals sign alone", "=\na=\n", "System", {}},
      {"capital ending kept", "ABC=Foo.UTX\n", "Textures", {{0, "Foo.UTX", "ABC"}}},
      {"mixed case ending", "ABC=Foo.uTx\n", "Textures", {{0, "Foo.uTx", "ABC"}}},
      {"trailing blank", "ABC=Foo.utx \n", "Textures", {}},
      {"blanks around the equals sign", "ABC = Foo.utx\n", "Textures", {{0, " Foo.utx", "ABC "}}},
      {"duplicate lines", "ABC=Foo.utx\nABC=Foo.utx\n", "Textures", {{0, "Foo.utx", "ABC"}, {0, "Foo.utx", "ABC"}}},
      {"category name in wrong case", "ABC=Foo.utx\n", "textures", {}},
      {"no category name", "ABC=Foo.utx\n", "", {}},
      {"NUL byte in the key", "AB\0C=Foo.u\n"s, "System", {{0, "Foo.u", "AB"}}},
      {"NUL byte in the value, kept name a map", "K=A.ut2\0x.u\n"s, "Maps", {{0, "A.ut2", "K"}}},
      {"NUL byte in the value, line ending not kept", "K=A.ut2\0x.u\n"s, "System", {}},
      {"bytes above 127 kept", "\xC4\xE9=Caf\xE9.uax\n", "Sounds", {{0, "Caf\xE9.uax", "\xC4\xE9"}}},
      {"tab and quotes kept", "\"A\"\t=\"B\".ogg\n", "Music", {{0, "\"B\".ogg", "\"A\"\t"}}},
      {"line longer than 511 bytes read whole", longKey + "=Long.ukx\n", "Animations", {{0, "Long.ukx", longKey}}},
      {"section headers not interpreted", "[Other]\nA=B.ka\n[Cache]\n", "KarmaData", {{0, "B.ka", "A"}}},
      {"line that is no entry line", "Foo.ut2\n", "Maps", {}},
  };
  const TemporaryFolder folder;
  for (const ReaderCase &testCase : cases)
    EXPECT_EQ(read(folder, testCase.index, testCase.category), testCase.expected) << testCase.label;
}

TEST(CacheReader, ReadsLinesThatCrossTheReadBlocks) {
  // Lines of awkward lengths, with carriage returns, straddle every block
  // boundary somewhere in a file of a few hundred kilobytes.
  std::string index = "[Cache]\r\n";
  std::vector<CacheEntry> expected;
  for (int line = 0; line < 9000; ++line) {
    const std::string key = "K" + std::to_string(line) + std::string(static_cast<std::size_t>(line % 37), 'x');
    const std::string value = "M" + std::to_string(line) + ".ut2";
    index += key + "=" + value + (line % 3 == 0 ? "\r\n" : "\n");
    expected.push_back({0, value, key});
  }
  const TemporaryFolder folder;
  EXPECT_EQ(read(folder, index, "Maps"), expected);
}

TEST(CacheReader, CannotOpenAMissingFileOrAFolder) {
  const TemporaryFolder folder;
  EXPECT_EQ(readCategory(folder / "missing.ini", "Maps"), std::nullopt);
  EXPECT_EQ(readCategory(folder.path(), "Maps"), std::nullopt);
}

TEST(Category, EndingsFoldOnlyAsciiCapitals) {
  struct EndingCase {
    const char *name;
    const char *category; // nullptr: no category
  };
  const std::vector<EndingCase> cases = {
      {"Foo.utx", "Textures"},   {"Foo.UTX", "Textures"}, {"Foo.uTx", "Textures"}, {"Foo.u", "System"},
      {".u", "System"},          {".ka", "KarmaData"},    {"Rag.KA", "KarmaData"}, {"Foo.uka", nullptr},
      {"Foo.ux", nullptr},       {"Foo.txt", nullptr},    {"Foo.ut2 ", nullptr},   {"u", nullptr},
      {"DM-1.ut2", "Maps"},      {"A.ukx", "Animations"}, {"A.ogg", "Music"},      {"A.uax", "Sounds"},
      {"A.usx", "StaticMeshes"}, {"A.\xDA", nullptr},     {"", nullptr},
  };
  for (const EndingCase &testCase : cases) {
    const Category *category = categoryOfLine(testCase.name);
    if (testCase.category) {
      ASSERT_NE(category, nullptr) << testCase.name;
      EXPECT_EQ(category->name, testCase.category) << testCase.name;
    } else {
      EXPECT_EQ(category, nullptr) << testCase.name;
    }
  }
  EXPECT_EQ(findCategory("Maps"), &kCategories[2]);
  EXPECT_EQ(findCategory("maps"), nullptr);
}

} // namespace
