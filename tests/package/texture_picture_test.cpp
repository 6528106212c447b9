#include "package/texture_picture.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Rgba = std::array<int, 4>;

Rgba pixelAt(const Picture &picture, std::uint32_t x, std::uint32_t y) {
  const std::size_t at = (std::size_t{y} * picture.width + x) * 4;
  return {picture.rgba[at], picture.rgba[at + 1], picture.rgba[at + 2], picture.rgba[at + 3]};
}

// A DXT colour block: two RGB565 ends, then 2-bit codes, row by row, the
// first pixel in the lowest bits.
std::string colourBlock(std::uint16_t first, std::uint16_t second, const std::array<int, 16> &codes) {
  std::string block{static_cast<char>(first & 0xFF), static_cast<char>(first >> 8), static_cast<char>(second & 0xFF),
                    static_cast<char>(second >> 8)};
  for (int row = 0; row < 4; ++row) {
    int bits = 0;
    for (int column = 0; column < 4; ++column)
      bits |= codes[static_cast<std::size_t>(row * 4 + column)] << (2 * column);
    block += static_cast<char>(bits);
  }
  return block;
}

constexpr std::array<int, 16> kCodes = {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1};

struct Decoded {
  const char *label;
  std::uint8_t format;
  std::uint32_t width, height;
  std::string data, palette;
  // Pixels the test knows: x, y and the colour.
  std::vector<std::tuple<std::uint32_t, std::uint32_t, Rgba>> pixels;
};

TEST(TexturePicture, DecodesEachFormatExactly) {
  const std::string whiteToBlack = colourBlock(0xFFFF, 0x0000, kCodes);
  // Alpha of 4 bits a pixel, 0 to 15 across the block.
  std::string explicitAlpha;
  for (int pair = 0; pair < 8; ++pair)
    explicitAlpha += static_cast<char>((2 * pair) | ((2 * pair + 1) << 4));
  // Alpha ends 255 and 0, codes 0 to 7 for the first eight pixels.
  std::string interpolatedAlpha = "\xFF";
  interpolatedAlpha += '\0';
  std::uint64_t alphaBits = 0;
  for (std::uint64_t pixel = 0; pixel < 8; ++pixel)
    alphaBits |= pixel << (3 * pixel);
  for (int byte = 0; byte < 6; ++byte)
    interpolatedAlpha += static_cast<char>((alphaBits >> (8 * byte)) & 0xFF);

  const std::vector<Decoded> cases = {
      {"DXT1, four colours",
       3,
       4,
       4,
       whiteToBlack,
       {},
       {{0, 0, {255, 255, 255, 255}},
        {1, 0, {0, 0, 0, 255}},
        {2, 0, {170, 170, 170, 255}},
        {3, 0, {85, 85, 85, 255}},
        {0, 3, {0, 0, 0, 255}}}},
      {"DXT1, three colours and transparent black",
       3,
       4,
       4,
       colourBlock(0x0000, 0xF800, kCodes),
       {},
       {{0, 0, {0, 0, 0, 255}}, {1, 0, {255, 0, 0, 255}}, {2, 0, {127, 0, 0, 255}}, {3, 0, {0, 0, 0, 0}}}},
      {"DXT1 of 2 by 2 pixels, a block cut to them",
       3,
       2,
       2,
       whiteToBlack,
       {},
       {{0, 0, {255, 255, 255, 255}}, {1, 1, {170, 170, 170, 255}}}},
      {"DXT1, two blocks across",
       3,
       8,
       4,
       whiteToBlack + colourBlock(0x001F, 0x001F, {}),
       {},
       {{3, 0, {85, 85, 85, 255}}, {4, 0, {0, 0, 255, 255}}, {7, 3, {0, 0, 255, 255}}}},
      {"DXT3",
       7,
       4,
       4,
       explicitAlpha + whiteToBlack,
       {},
       {{0, 0, {255, 255, 255, 0}}, {1, 0, {0, 0, 0, 17}}, {3, 3, {0, 0, 0, 255}}}},
      {"DXT5",
       8,
       4,
       4,
       interpolatedAlpha + whiteToBlack,
       {},
       {{0, 0, {255, 255, 255, 255}},
        {1, 0, {0, 0, 0, 0}},
        {2, 0, {170, 170, 170, 218}},
        {3, 1, {255, 255, 255, 36}},
        {0, 2, {255, 255, 255, 255}}}},
      {"paletted",
       0,
       2,
       1,
       std::string("\x01\x00", 2),
       std::string("\x10\x20\x30\xFF\x40\x50\x60\x80", 8),
       {{0, 0, {0x40, 0x50, 0x60, 0x80}}, {1, 0, {0x10, 0x20, 0x30, 0xFF}}}},
      {"BGRA",
       5,
       1,
       2,
       std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8),
       {},
       {{0, 0, {3, 2, 1, 4}}, {0, 1, {7, 6, 5, 8}}}},
  };
  for (const Decoded &test : cases) {
    const PictureDecode decode = decodePicture(test.format, test.width, test.height, test.data, test.palette);
    ASSERT_TRUE(decode.picture) << test.label << ": " << decode.problem;
    EXPECT_EQ(decode.picture->width, test.width) << test.label;
    EXPECT_EQ(decode.picture->rgba.size(), std::size_t{test.width} * test.height * 4) << test.label;
    for (const auto &[x, y, colour] : test.pixels)
      EXPECT_EQ(pixelAt(*decode.picture, x, y), colour) << test.label << " at " << x << "," << y;
  }
}

// What a stranger's texture may claim: no picture, a reason, and nothing
// allocated for what it claims.
TEST(TexturePicture, HostileTexturesGiveNoPicture) {
  struct Hostile {
    const char *label;
    std::uint8_t format;
    std::uint32_t width, height;
    std::string data, palette;
    const char *problem;
  };
  const std::vector<Hostile> cases = {
      {"65,536 pixels a side", 3, 65536, 65536, std::string(8, '\0'), {}, "claims 65536 by 65536 pixels"},
      {"no pixels", 5, 0, 4, {}, {}, "claims 0 by 4 pixels"},
      {"data cut short", 3, 8, 8, std::string(24, '\0'), {}, "cut short"},
      {"a palette index past the palette", 0, 2, 1, std::string("\x00\x05", 2), std::string(8, '\0'),
       "past the palette"},
      {"no palette", 0, 1, 1, std::string(1, '\0'), {}, "past the palette"},
      {"a format it does not show", 10, 4, 4, std::string(64, '\0'), {}, "format (10)"},
  };
  for (const Hostile &test : cases) {
    const PictureDecode decode = decodePicture(test.format, test.width, test.height, test.data, test.palette);
    EXPECT_FALSE(decode.picture) << test.label;
    EXPECT_NE(decode.problem.find(test.problem), std::string::npos) << test.label << ": " << decode.problem;
  }
}

} // namespace
