#include "package/map_preview.h"
#include "package/map_summary.h"
#include "package/package_bytes.h"
#include "package/tagged_properties.h"

#include "package_writer.h"
#include "samples.h"
#include "texture_writer.h"
#include "written_package.h"

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr std::uint8_t kByte = 1, kObject = 5, kArray = 9;
constexpr std::uint8_t kPaletted = 0, kDxt1 = 3, kBgra = 5;

PictureDecode previewOf(const std::string &bytes, std::int32_t screenshot, std::uint32_t side = 1024) {
  const WrittenPackage package(bytes);
  EXPECT_TRUE(package.readable()) << package.unreadable();
  if (!package.readable())
    return {};
  return readMapPreview(package.fd(), package.size(), package.tables(), screenshot, side);
}

TEST(MapPreview, DecodesTheRealMapsFirstShot) {
  const std::optional<std::string> map = sampleBytes(kSampleMap);
  if (!map)
    GTEST_SKIP() << "the shared samples are not beside the project";
  const WrittenPackage package(*map);
  ASSERT_TRUE(package.readable()) << package.unreadable();
  const MapSummaryRead summary = readMapSummary(package.fd(), package.size(), package.tables());
  ASSERT_TRUE(summary.summary);
  // Its screenshot is a material sequence whose six items show three
  // textures, each twice.
  const PackageTables &tables = package.tables();
  const PackageExport &shot = tables.exports[static_cast<std::size_t>(summary.summary->screenshot - 1)];
  PackageBytes in(package.fd(), package.size(), shot.serialOffset, shot.serialSize);
  if ((shot.objectFlags & kHasStateFrame) != 0)
    skipStateFrame(in);
  // Reads the properties of the object or the array item at `in`, up to
  // the sequence's items, noting each item's Material.
  std::set<std::int32_t> textures;
  std::optional<std::int32_t> items;
  const auto readProperties = [&] {
    PropertyList properties(in, tables.names);
    while (const std::optional<PropertyTag> tag = properties.next()) {
      if (!items && tag->is("SequenceItems", PropertyType::array)) {
        items = in.compactIndex().value_or(0);
        return;
      }
      if (tag->is("Material", PropertyType::object))
        textures.insert(readObjectRef(in, tables));
    }
  };
  readProperties();
  ASSERT_EQ(items, 6) << in.failure();
  for (int item = 0; item < *items; ++item)
    readProperties();
  ASSERT_EQ(textures.size(), 3u) << in.failure();
  for (const std::int32_t texture : textures) {
    ASSERT_GT(texture, 0);
    EXPECT_EQ(objectNameAt(tables, tables.exports[static_cast<std::size_t>(texture - 1)].classRef), "Texture");
  }
  for (const auto &[side, width, height] : {std::tuple(1024u, 512u, 256u), std::tuple(200u, 128u, 64u)}) {
    const PictureDecode decode =
        readMapPreview(package.fd(), package.size(), package.tables(), summary.summary->screenshot, side);
    ASSERT_TRUE(decode.picture) << decode.problem;
    EXPECT_EQ(decode.picture->width, width);
    EXPECT_EQ(decode.picture->height, height);
    // A screenshot, not one colour.
    std::set<std::uint32_t> colours;
    for (std::size_t at = 0; at < decode.picture->rgba.size(); at += 4)
      colours.insert(decode.picture->rgba[at] | (decode.picture->rgba[at + 1] << 8) |
                     (decode.picture->rgba[at + 2] << 16));
    EXPECT_GT(colours.size(), 100u) << side;
  }
}

TEST(MapPreview, FollowsTheMaterialToTheMipThatFits) {
  PackageWriter writer;
  // 8 by 8 of blue, then 4 by 4 of red.
  const std::string texture = textureData(
      writer, kDxt1,
      {{8, 8,
        std::string(oneColourBlock(0x001F)) + oneColourBlock(0x001F) + oneColourBlock(0x001F) + oneColourBlock(0x001F)},
       {4, 4, oneColourBlock(0xF800)}});
  const std::int32_t shot = writer.addExport(classImport(writer, "Texture"), "Shot", texture);
  const std::string items = compactIndex(1) + writer.property("Material", kObject, compactIndex(shot)) +
                            writer.property("DisplayTime", 4, wordValue(0x3F800000)) + writer.endOfProperties();
  const std::int32_t sequence =
      writer.addExport(classImport(writer, "MaterialSequence"), "Screenshot",
                       writer.property("SequenceItems", kArray, items) + writer.endOfProperties());
  const std::string bytes = writer.bytes();
  // Asked for less than the smallest mip, it gives the smallest.
  for (const auto &[side, width, red] : {std::tuple(1024u, 8u, 0), std::tuple(6u, 4u, 255), std::tuple(2u, 4u, 255)}) {
    const PictureDecode decode = previewOf(bytes, sequence, side);
    ASSERT_TRUE(decode.picture) << decode.problem;
    EXPECT_EQ(decode.picture->width, width);
    EXPECT_EQ(decode.picture->rgba[0], red) << side;
  }
}

TEST(MapPreview, DecodesAPalettedTextureWithItsPalette) {
  PackageWriter writer;
  const std::string colours = compactIndex(2) + "\x10\x20\x30\xFF" + "\x40\x50\x60\xFF";
  const std::int32_t palette =
      writer.addExport(classImport(writer, "Palette"), "Colours", writer.endOfProperties() + colours);
  const std::int32_t shot =
      writer.addExport(classImport(writer, "Texture"), "Shot",
                       textureData(writer, kPaletted, {{2, 1, std::string("\x01\x00", 2)}}, palette));
  const PictureDecode decode = previewOf(writer.bytes(), shot);
  ASSERT_TRUE(decode.picture) << decode.problem;
  EXPECT_EQ(decode.picture->rgba, (ByteBuffer{0x40, 0x50, 0x60, 0xFF, 0x10, 0x20, 0x30, 0xFF}));
}

// What a stranger's map may hold: no preview and a reason, in bounded time
// and memory, nothing else read.
TEST(MapPreview, HostileScreenshotsGiveNoPreview) {
  struct Hostile {
    const char *label;
    std::int32_t (*write)(PackageWriter &);
    const char *problem;
  };
  const Hostile cases[] = {
      {"65,536 pixels a side",
       [](PackageWriter &writer) {
         return writer.addExport(classImport(writer, "Texture"), "Shot",
                                 textureData(writer, kDxt1, {{65536, 65536, oneColourBlock(0)}}));
       },
       "no mip of at most 1024 pixels"},
      {"mip data past the end",
       [](PackageWriter &writer) {
         std::string data = textureData(writer, kBgra, {{4, 4, std::string(64, 'x')}});
         data.resize(data.size() - 40);
         return writer.addExport(classImport(writer, "Texture"), "Shot", data);
       },
       "the texture cannot be read"},
      {"a mip that claims more pixels than its offsets hold",
       [](PackageWriter &writer) {
         std::string data = textureData(writer, kBgra, {{4, 4, std::string(64, 'x')}});
         data[data.size() - 64 - 10 - 2] = 0x7F; // the size before the pixels: 127
         return writer.addExport(classImport(writer, "Texture"), "Shot", data);
       },
       "pixels lie outside it"},
      {"a thousand mips",
       [](PackageWriter &writer) {
         std::string data = writer.property("Format", kByte, "\x03") + writer.endOfProperties() + compactIndex(1000);
         return writer.addExport(classImport(writer, "Texture"), "Shot", data);
       },
       "claims 1000 mips"},
      {"a palette index past the palette",
       [](PackageWriter &writer) {
         const std::int32_t palette = writer.addExport(classImport(writer, "Palette"), "Colours",
                                                       writer.endOfProperties() + compactIndex(1) + "\x10\x20\x30\xFF");
         return writer.addExport(classImport(writer, "Texture"), "Shot",
                                 textureData(writer, kPaletted, {{2, 1, std::string("\x00\x07", 2)}}, palette));
       },
       "past the palette"},
      {"a material that refers to itself",
       [](PackageWriter &writer) {
         // The material is the next export; it names its own reference.
         const std::int32_t self = static_cast<std::int32_t>(writer.addRawExport("Placeholder", 0, 0)) + 1;
         return writer.addExport(classImport(writer, "Shader"), "Loop",
                                 writer.property("Diffuse", kObject, compactIndex(self)) + writer.endOfProperties());
       },
       "leads back to itself"},
      {"a screenshot in another package",
       [](PackageWriter &writer) { return writer.addImport("Engine", "Texture", writer.needs("Shots"), "Shot"); },
       "in another package"},
      {"a format it does not show",
       [](PackageWriter &writer) {
         return writer.addExport(classImport(writer, "Texture"), "Shot",
                                 textureData(writer, 10, {{4, 4, std::string(16, 'x')}}));
       },
       "format (10)"},
  };
  for (const Hostile &test : cases) {
    PackageWriter writer;
    const std::int32_t screenshot = test.write(writer);
    const PictureDecode decode = previewOf(writer.bytes(), screenshot);
    EXPECT_FALSE(decode.picture) << test.label;
    EXPECT_NE(decode.problem.find(test.problem), std::string::npos) << test.label << ": " << decode.problem;
  }
}

} // namespace
