#include "package/map_summary.h"
#include "package/package_knowledge.h"

#include "package_writer.h"
#include "samples.h"
#include "temporary_folder.h"
#include "written_package.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint8_t kInt = 2, kFloat = 4, kObject = 5, kString = 13;
constexpr std::uint32_t kHasStateFrame = 0x02000000;

MapSummaryRead summaryOf(const std::string &bytes) {
  const WrittenPackage package(bytes);
  EXPECT_TRUE(package.readable()) << package.unreadable();
  if (!package.readable())
    return {};
  return readMapSummary(package.fd(), package.size(), package.tables());
}

// A map whose summary holds `properties`, which the test ends.
std::string mapWithSummary(PackageWriter &writer, const std::string &properties, std::uint32_t flags = 0x00070004) {
  const std::int32_t summaryClass = writer.addImport("Core", "Class", writer.needs("Engine"), "LevelSummary");
  writer.addExport(summaryClass, "LevelSummary", properties, flags);
  return writer.bytes();
}

TEST(MapSummary, ReadsTheRealMap) {
  const std::optional<std::string> map = sampleBytes(kSampleMap);
  if (!map)
    GTEST_SKIP() << "the shared samples are not beside the project";
  const WrittenPackage package(*map);
  ASSERT_TRUE(package.readable()) << package.unreadable();
  const PackageTables &tables = package.tables();
  const MapSummaryRead summary = readMapSummary(package.fd(), package.size(), tables);
  ASSERT_TRUE(summary.summary) << summary.problem;
  EXPECT_EQ(summary.problem, "");
  EXPECT_EQ(summary.summary->title, "S-Comm Outpost - Torpedo 1");
  EXPECT_EQ(summary.summary->author, "Nicholas -ProjectX- Udell");
  EXPECT_EQ(summary.summary->minPlayers, 4);
  EXPECT_EQ(summary.summary->maxPlayers, 6);
  EXPECT_EQ(summary.summary->description,
            "Space Communications Outpost Torpedo 1 was the first of the faster-than-light satellites to enter "
            "Earth's orbit. These satellites moved at the highest of speeds to enable the ability to send data from "
            "anywhere in the world to everywhere in the world, all at once. The first faster-than-light engines were "
            "unstable, and shortly after launch Torpedo 1's engine imploded, leaving the station stranded, gradually "
            "slowing.");
  // The screenshot is an object of the map itself: its material sequence.
  ASSERT_GT(summary.summary->screenshot, 0);
  const PackageExport &shot = tables.exports[static_cast<std::size_t>(summary.summary->screenshot - 1)];
  EXPECT_EQ(tables.names[shot.objectName], "Screenshot");
  ASSERT_LT(shot.classRef, 0);
  EXPECT_EQ(tables.names[tables.imports[static_cast<std::size_t>(-shot.classRef - 1)].objectName], "MaterialSequence");
}

TEST(MapSummary, ReadsBothFormsOfTextAndPassesOverWhatItDoesNotKnow) {
  PackageWriter writer;
  const std::string properties =
      writer.property("Title", kString, utf16Value(u"Fr\u00E9d\u00E9ric \u2603 \U0001F680")) +
      // The first spelling of a name stands for all: the game reads names
      // ASCII case aside.
      writer.property("author", kString, latin1Value("Andr\xE9")) +
      writer.structProperty("DecoTextColor", "Color", "\x10\x20\x30\x40") +
      writer.property("ExtraInfo", kFloat, wordValue(0x3F800000), 2) + writer.boolProperty("bHidden", true) +
      writer.property("IdealPlayerCountMax", kInt, wordValue(16)) +
      writer.property("Screenshot", kObject, compactIndex(-1)) + writer.endOfProperties() + "trailing bytes";
  const MapSummaryRead read = summaryOf(mapWithSummary(writer, properties));
  ASSERT_TRUE(read.summary);
  EXPECT_EQ(read.problem, "");
  EXPECT_EQ(read.summary->title, "Fr\u00E9d\u00E9ric \u2603 \U0001F680");
  EXPECT_EQ(read.summary->author, "Andr\u00E9");
  EXPECT_EQ(read.summary->description, "");
  EXPECT_EQ(read.summary->minPlayers, std::nullopt);
  EXPECT_EQ(read.summary->maxPlayers, 16);
  EXPECT_EQ(read.summary->screenshot, -1);
}

TEST(MapSummary, SkipsTheStateFrameOfAnObjectThatHasOne) {
  PackageWriter writer;
  // Node 1, state node 0, probe mask, latent action, offset.
  const std::string frame = compactIndex(1) + compactIndex(0) + std::string(8, '\0') + wordValue(0) + compactIndex(0);
  const std::string properties =
      frame + writer.property("Title", kString, latin1Value("Framed")) + writer.endOfProperties();
  const MapSummaryRead read = summaryOf(mapWithSummary(writer, properties, 0x00070004 | kHasStateFrame));
  ASSERT_TRUE(read.summary);
  EXPECT_EQ(read.summary->title, "Framed");
}

TEST(MapSummary, APackageWithoutASummaryHasNone) {
  PackageWriter writer;
  writer.addExport(writer.addImport("Core", "Class", writer.needs("Engine"), "Texture"), "Wall", "pixels");
  const MapSummaryRead read = summaryOf(writer.bytes());
  EXPECT_FALSE(read.summary);
  EXPECT_EQ(read.problem, "");
}

// What a stranger's map may hold: the summary keeps what came before the
// fault, and says what the fault is.
TEST(MapSummary, AMalformedSummaryKeepsWhatCameBefore) {
  struct Case {
    const char *label;
    std::string (*properties)(PackageWriter &);
    const char *problem;
  };
  const Case cases[] = {
      {"a text longer than its property",
       [](PackageWriter &writer) { return writer.property("Author", kString, compactIndex(40) + "short"); },
       "does not fit its property"},
      {"a text of UTF-16 cut in half",
       [](PackageWriter &writer) { return writer.property("Author", kString, compactIndex(-3) + "ab\0"); },
       "does not fit its property"},
      {"a size past the summary's data",
       [](PackageWriter &writer) { return writer.property("Author", kString, "").substr(0, 2) + "\xFF"; },
       "the file ends"},
      {"a name index out of range", [](PackageWriter &) { return compactIndex(5000) + "\x52\x04" + wordValue(1); },
       "name index is out of range"},
      {"no end of the list", [](PackageWriter &writer) { return writer.property("Author", kString, latin1Value("A")); },
       "the file ends"},
      {"a reference shorter than its property",
       [](PackageWriter &writer) { return writer.property("Screenshot", kObject, compactIndex(-1) + "x"); },
       "not the size it says"},
      {"a screenshot that refers to nothing",
       [](PackageWriter &writer) { return writer.property("Screenshot", kObject, compactIndex(900)); },
       "refers to no object"},
  };
  for (const Case &test : cases) {
    PackageWriter writer;
    const std::string before = writer.property("Title", kString, latin1Value("Kept"));
    const std::string properties = before + test.properties(writer);
    const MapSummaryRead read = summaryOf(mapWithSummary(writer, properties));
    ASSERT_TRUE(read.summary) << test.label;
    EXPECT_EQ(read.summary->title, "Kept") << test.label;
    EXPECT_EQ(read.summary->screenshot, 0) << test.label;
    EXPECT_NE(read.problem.find(test.problem), std::string::npos) << test.label << ": " << read.problem;
  }
}

TEST(MapSummary, TheBackgroundReadingLearnsAMapsTitleAndReadsNoMoreOfOtherPackages) {
  TemporaryFolder folder;
  PackageWriter map;
  writeFile(folder / "map",
            mapWithSummary(map, map.property("Title", kString, latin1Value("Deck 17")) + map.endOfProperties()));
  PackageWriter texture;
  texture.addExport(texture.addImport("Core", "Class", texture.needs("Engine"), "Texture"), "Sky", "");
  writeFile(folder / "texture", texture.bytes());

  const ReadFacts mapFacts = readPackageFacts(folder / "map");
  ASSERT_TRUE(mapFacts.facts.readable) << mapFacts.facts.unreadable;
  EXPECT_EQ(mapFacts.facts.title, "Deck 17");
  PackageKnowledge knowledge;
  knowledge.learn(*mapFacts.file, mapFacts.facts, folder / "map");
  EXPECT_EQ(knowledge.lastKnownTitleAt(folder / "map"), "Deck 17");
  EXPECT_EQ(knowledge.lastKnownTitleAt(folder / "texture"), "");

  // Only a package whose imports hold the summary's class has its export
  // table walked, and nothing of it but the summary is kept.
  PackageReadOptions options;
  options.mapSummary = true;
  const PackageRead read = readPackage(folder / "map", options);
  ASSERT_TRUE(read.mapSummary);
  EXPECT_TRUE(read.tables->exports.empty());
  const PackageRead other = readPackage(folder / "texture", options);
  ASSERT_TRUE(other.tables);
  EXPECT_FALSE(other.mapSummary);
  EXPECT_LT(other.bytesRead, read.bytesRead);
  EXPECT_EQ(readPackageFacts(folder / "texture").facts.title, "");
}

} // namespace
