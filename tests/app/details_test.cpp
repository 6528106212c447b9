#include "app/package_details.h"

#include "move_fixture.h"
#include "package_writer.h"
#include "texture_writer.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint8_t kInt = 2, kObject = 5, kString = 13, kDxt1 = 3;

// A map whose summary holds a title, an author, its players, a
// description and `screenshot`, which `shot` adds to the map.
std::string summaryMap(const std::function<std::int32_t(PackageWriter &)> &shot) {
  PackageWriter writer;
  const std::int32_t screenshot = shot(writer);
  const std::string properties = writer.property("Title", kString, latin1Value("Deck Seventeen")) +
                                 writer.property("Author", kString, utf16Value(u"Andr\u00E9")) +
                                 writer.property("IdealPlayerCountMin", kInt, wordValue(4)) +
                                 writer.property("IdealPlayerCountMax", kInt, wordValue(6)) +
                                 writer.property("Description", kString, latin1Value("Low gravity.")) +
                                 writer.property("Screenshot", kObject, compactIndex(screenshot)) +
                                 writer.endOfProperties();
  writer.addExport(classImport(writer, "LevelSummary"), "LevelSummary", properties);
  return writer.bytes();
}

// A package holding the texture "Shot": 4 by 4 of pure red.
std::string shotPackage() {
  PackageWriter writer;
  writer.addExport(classImport(writer, "Texture"), "Shot",
                   textureData(writer, kDxt1, {{4, 4, oneColourBlock(0xF800)}}));
  return writer.bytes();
}

struct Details : MoveCommand {
  Details() {
    // The screenshot is the texture Shot of the cached ShotTex.
    sandbox.writeCachedFile("M0", summaryMap([](PackageWriter &writer) {
                              return writer.addImport("Engine", "Texture", writer.needs("ShotTex"), "Shot");
                            }));
    sandbox.writeCachedFile("X0", shotPackage());
    // Its screenshot is in a package no one has.
    sandbox.writeCachedFile("M1", summaryMap([](PackageWriter &writer) {
                              return writer.addImport("Engine", "Texture", writer.needs("Purged"), "Shot");
                            }));
    PackageWriter plain;
    plain.guid = {0xAAAAAAAA, 0xBBBBBBBB, 0xCCCCCCCC, 0xDDDDDDDD};
    sandbox.writeCachedFile("AAAAAAAABBBBBBBBCCCCCCCCDDDDDDDD", plain.bytes());
    sandbox.writeCachedFile("M3", "<html>404</html>");
    sandbox.writeCachedFile("X1", std::string("\xC1\x83\x2A\x9E", 4) + "cut short");
    start("[Cache]\nM0=DM-Deck.ut2\nM1=DM-Lost.ut2\nAAAAAAAABBBBBBBBCCCCCCCCDDDDDDDD=DM-Plain.ut2\n"
          "M3=DM-Broken.ut2\nM4=DM-Purged.ut2\nX0=ShotTex.utx\nX1=Cut.utx\n");
  }
  PackageDetails of(std::size_t category, std::int32_t row) {
    std::optional<PackageDetails> details = controller().detailsOfRow(&window().tables[category], row);
    EXPECT_TRUE(details);
    return details.value_or(PackageDetails{});
  }
};

TEST(PackageDetailsTest, AMapsSummaryAndItsPreviewFromAnotherCachedPackage) {
  Details test;
  const PackageDetails deck = test.of(kMaps, 0);
  ASSERT_TRUE(deck.summary) << deck.summaryProblem;
  EXPECT_EQ(deck.summary->title, "Deck Seventeen");
  EXPECT_EQ(deck.summary->author, "Andr\u00E9");
  EXPECT_EQ(deck.summary->minPlayers, 4);
  EXPECT_EQ(deck.summary->maxPlayers, 6);
  EXPECT_EQ(deck.summary->description, "Low gravity.");
  EXPECT_EQ(deck.size, std::string_view(summaryMap([](PackageWriter &writer) {
                         return writer.addImport("Engine", "Texture", writer.needs("ShotTex"), "Shot");
                       })).size());
  EXPECT_TRUE(deck.notItsPackage) << "its cache name is not its GUID";
  ASSERT_TRUE(deck.needs);
  ASSERT_TRUE(deck.preview) << deck.noPreview;
  EXPECT_EQ(deck.preview->path, test.sandbox.cachedFile("X0"));
  EXPECT_EQ(deck.preview->objectName, "Shot");
  const PictureDecode picture = decodePreview(*deck.preview, 1024);
  ASSERT_TRUE(picture.picture) << picture.problem;
  EXPECT_EQ(picture.picture->width, 4u);
  EXPECT_EQ(std::vector<std::uint8_t>(picture.picture->rgba.begin(), picture.picture->rgba.begin() + 4),
            (std::vector<std::uint8_t>{255, 0, 0, 255}));
}

TEST(PackageDetailsTest, SaysWhatItCanOfEveryOtherPackage) {
  Details test;
  struct Case {
    std::size_t category;
    std::int32_t row;
    const char *utName;
    bool hasFile;
    PackageCondition condition;
    const char *unreadable;
    const char *noPreview;
  };
  const Case cases[] = {
      {kMaps, 1, "DM-Lost.ut2", true, PackageCondition::Sound, "",
       "its screenshot is in Purged, which is neither in the game nor the cache"},
      {kMaps, 2, "DM-Plain.ut2", true, PackageCondition::Sound, "", "the map has no summary"},
      {kMaps, 3, "DM-Broken.ut2", true, PackageCondition::WebPage, "", "the download is damaged"},
      {kMaps, 4, "DM-Purged.ut2", false, PackageCondition::NotLookedAt, "", "there is no cached file"},
      {kTextures, 1, "Cut.utx", true, PackageCondition::Sound, "it is too short for a package", ""},
  };
  for (const Case &expected : cases) {
    const PackageDetails details = test.of(expected.category, expected.row);
    EXPECT_EQ(details.utName, expected.utName);
    EXPECT_EQ(details.size.has_value(), expected.hasFile) << expected.utName;
    EXPECT_EQ(details.condition, expected.condition) << expected.utName;
    EXPECT_EQ(details.unreadable, expected.unreadable) << expected.utName;
    EXPECT_EQ(details.noPreview, expected.noPreview) << expected.utName;
    EXPECT_FALSE(details.preview) << expected.utName;
  }
  EXPECT_FALSE(test.of(kMaps, 2).notItsPackage) << "its cache name is its GUID";
  EXPECT_FALSE(test.controller().detailsOfRow(&test.window().tables[kMaps], 5)) << "past the last row";
}

} // namespace
