#include "package/texture_picture.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// A pixel as its four bytes R, G, B, A in memory order, on the
// little-endian machines this program runs on.
static_assert(std::endian::native == std::endian::little);
using Texel = std::uint32_t;

std::uint32_t byteAt(std::string_view data, std::size_t at) { return static_cast<unsigned char>(data[at]); }

std::uint32_t u16At(std::string_view data, std::size_t at) { return byteAt(data, at) | (byteAt(data, at + 1) << 8); }

Texel texel(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::uint32_t alpha) {
  return red | (green << 8) | (blue << 16) | (alpha << 24);
}

// The four colours of a DXT colour block, each channel of the two between
// ends a third or two of the way. DXT1 alone has the three-colour form,
// halfway and transparent black, where the first end is not the greater.
[[gnu::always_inline]] inline std::array<Texel, 4> blockColours(std::string_view block, bool threeColourForm) {
  const std::uint32_t first = u16At(block, 0), second = u16At(block, 2);
  const auto expand = [](std::uint32_t value, int shift, int bits) {
    const std::uint32_t channel = (value >> shift) & ((1u << bits) - 1);
    return (channel << (8 - bits)) | (channel >> (2 * bits - 8));
  };
  const std::uint32_t r0 = expand(first, 11, 5), g0 = expand(first, 5, 6), b0 = expand(first, 0, 5);
  const std::uint32_t r1 = expand(second, 11, 5), g1 = expand(second, 5, 6), b1 = expand(second, 0, 5);
  const Texel a = texel(r0, g0, b0, 255), b = texel(r1, g1, b1, 255);
  // Both forms are made and one is taken without a branch: which one a
  // block has is as good as random.
  const Texel half = texel((r0 + r1) / 2, (g0 + g1) / 2, (b0 + b1) / 2, 255);
  const Texel third = texel((2 * r0 + r1) / 3, (2 * g0 + g1) / 3, (2 * b0 + b1) / 3, 255);
  const Texel twoThirds = texel((r0 + 2 * r1) / 3, (g0 + 2 * g1) / 3, (b0 + 2 * b1) / 3, 255);
  const Texel threeColours = 0u - static_cast<Texel>(threeColourForm && first <= second);
  return {a, b, (half & threeColours) | (third & ~threeColours), twoThirds & ~threeColours};
}

// The alphas of a DXT5 alpha block: two ends and six or four steps between.
std::array<std::uint8_t, 8> blockAlphas(std::string_view block) {
  const int first = static_cast<int>(byteAt(block, 0)), second = static_cast<int>(byteAt(block, 1));
  std::array<std::uint8_t, 8> alphas{static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)};
  if (first > second) {
    for (int step = 1; step < 7; ++step)
      alphas[static_cast<std::size_t>(step + 1)] = static_cast<std::uint8_t>(((7 - step) * first + step * second) / 7);
  } else {
    for (int step = 1; step < 5; ++step)
      alphas[static_cast<std::size_t>(step + 1)] = static_cast<std::uint8_t>(((5 - step) * first + step * second) / 5);
    alphas[6] = 0;
    alphas[7] = 255;
  }
  return alphas;
}

// Decodes a block into the picture at `at`, `columns` by `rows` of its
// pixels: four by four but where the picture's edge cuts it. Each pixel is
// written where it goes, not gathered first.
template <TextureFormat format>
void decodeBlock(std::string_view block, std::uint8_t *at, std::size_t rowBytes, std::uint32_t columns,
                 std::uint32_t rows) {
  const std::string_view colourBlock = format == TextureFormat::dxt1 ? block : block.substr(8);
  const std::array<Texel, 4> colours = blockColours(colourBlock, format == TextureFormat::dxt1);
  const std::uint32_t codes = byteAt(colourBlock, 4) | (byteAt(colourBlock, 5) << 8) | (byteAt(colourBlock, 6) << 16) |
                              (byteAt(colourBlock, 7) << 24);
  std::array<std::uint8_t, 8> alphas{};
  std::uint64_t alphaBits = 0;
  if constexpr (format == TextureFormat::dxt3) {
    for (std::size_t index = 0; index < 8; ++index)
      alphaBits |= static_cast<std::uint64_t>(byteAt(block, index)) << (8 * index);
  } else if constexpr (format == TextureFormat::dxt5) {
    alphas = blockAlphas(block);
    for (std::size_t index = 0; index < 6; ++index)
      alphaBits |= static_cast<std::uint64_t>(byteAt(block, 2 + index)) << (8 * index);
  }
  for (std::uint32_t row = 0; row < rows; ++row) {
    for (std::uint32_t column = 0; column < columns; ++column) {
      const std::uint32_t pixel = row * 4 + column;
      Texel value = colours[(codes >> (2 * pixel)) & 3];
      if constexpr (format == TextureFormat::dxt3)
        value = (value & 0x00FFFFFF) | (static_cast<Texel>((alphaBits >> (4 * pixel)) & 0x0F) * 17 << 24);
      else if constexpr (format == TextureFormat::dxt5)
        value = (value & 0x00FFFFFF) | (Texel{alphas[(alphaBits >> (3 * pixel)) & 7]} << 24);
      std::memcpy(at + row * rowBytes + column * sizeof(Texel), &value, sizeof(Texel));
    }
  }
}

#if defined(__x86_64__) || defined(__i386__)
// For each byte of a block's codes (four pixels of a row, two bits each),
// the byte shuffle that puts each pixel's colour, of the four in a
// register, in its place.
constexpr auto kRowShuffles = [] {
  std::array<std::array<std::uint8_t, 16>, 256> shuffles{};
  for (std::size_t codes = 0; codes < 256; ++codes) {
    for (std::size_t pixel = 0; pixel < 4; ++pixel) {
      const std::size_t colour = (codes >> (2 * pixel)) & 3;
      for (std::size_t byte = 0; byte < 4; ++byte)
        shuffles[codes][pixel * 4 + byte] = static_cast<std::uint8_t>(colour * 4 + byte);
    }
  }
  return shuffles;
}();

// The four colours of a DXT1 block, as blockColours() makes them, in one
// register: each channel in a 16-bit lane, the two ends side by side, so
// that the steps between are a few operations on both ends at once.
[[gnu::target("ssse3")]] inline __m128i dxt1Colours(std::uint32_t first, std::uint32_t second) {
  const auto a = static_cast<short>(first), b = static_cast<short>(second);
  // Each channel moved to the top of its lane, then widened to 8 bits as
  // (c << 3) | (c >> 2) and (c << 2) | (c >> 4) are: c * 8.25, c * 4.0625.
  const __m128i raw = _mm_set_epi16(0, b, b, b, 0, a, a, a);
  const __m128i top = _mm_and_si128(_mm_mullo_epi16(raw, _mm_set_epi16(0, 2048, 32, 1, 0, 2048, 32, 1)),
                                    _mm_set_epi16(0, -2048, -1024, -2048, 0, -2048, -1024, -2048));
  const __m128i ends = _mm_or_si128(_mm_mulhi_epu16(top, _mm_set_epi16(0, 264, 260, 264, 0, 264, 260, 264)),
                                    _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0));
  const __m128i swapped = _mm_shuffle_epi32(ends, _MM_SHUFFLE(1, 0, 3, 2));
  // (2 * a + b) / 3 beside (2 * b + a) / 3; x / 3 is (x * 0xAAAB) >> 17.
  const __m128i thirds =
      _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(_mm_add_epi16(ends, ends), swapped), _mm_set1_epi16(-21845)), 1);
  // Or, where the first end is not the greater, halfway and transparent
  // black: taken without a branch, since which form a block has is as
  // good as random.
  const __m128i half = _mm_and_si128(_mm_srli_epi16(_mm_add_epi16(ends, swapped), 1), _mm_set_epi32(0, 0, -1, -1));
  const __m128i fourColours = _mm_set1_epi32(-static_cast<int>(first > second));
  const __m128i between = _mm_or_si128(_mm_and_si128(fourColours, thirds), _mm_andnot_si128(fourColours, half));
  return _mm_packus_epi16(ends, between);
}

// The whole blocks of a DXT1 mip, a row of four pixels at a time with one
// shuffle: most of a preview's decoding. Blocks cut by the picture's edge
// are left to the caller.
[[gnu::target("ssse3")]] void decodeWholeDxt1Blocks(Picture &picture, std::string_view data) {
  const std::uint32_t across = (picture.width + 3) / 4;
  const std::size_t rowBytes = std::size_t{picture.width} * sizeof(Texel);
  for (std::uint32_t row = 0; row < picture.height / 4; ++row) {
    const char *blocks = data.data() + std::size_t{row} * across * 8;
    std::uint8_t *line = picture.rgba.data() + std::size_t{row} * 4 * rowBytes;
    for (std::uint32_t column = 0; column < picture.width / 4; ++column) {
      std::uint64_t block = 0;
      std::memcpy(&block, blocks + std::size_t{column} * 8, sizeof block);
      const __m128i palette = dxt1Colours(block & 0xFFFF, (block >> 16) & 0xFFFF);
      std::uint8_t *at = line + std::size_t{column} * 16;
      for (std::size_t pixels = 0; pixels < 4; ++pixels) {
        const auto &shuffle = kRowShuffles[(block >> (32 + 8 * pixels)) & 0xFF];
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + pixels * rowBytes),
                         _mm_shuffle_epi8(palette, _mm_loadu_si128(reinterpret_cast<const __m128i *>(shuffle.data()))));
      }
    }
  }
}

bool hasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}
#endif

template <TextureFormat format> void decodeBlocks(Picture &picture, std::string_view data) {
  constexpr std::size_t kBlockSize = format == TextureFormat::dxt1 ? 8 : 16;
  const std::uint32_t across = (picture.width + 3) / 4, down = (picture.height + 3) / 4;
  const std::size_t rowBytes = std::size_t{picture.width} * sizeof(Texel);
  bool wholeBlocksDone = false;
#if defined(__x86_64__) || defined(__i386__)
  if constexpr (format == TextureFormat::dxt1) {
    if (hasSsse3()) {
      decodeWholeDxt1Blocks(picture, data);
      wholeBlocksDone = true;
    }
  }
#endif
  for (std::uint32_t row = 0; row < down; ++row) {
    // Where the whole blocks are done, only those the edge cuts are left.
    const bool wholeRow = row * 4 + 4 <= picture.height;
    for (std::uint32_t column = wholeBlocksDone && wholeRow ? picture.width / 4 : 0; column < across; ++column) {
      const std::string_view block(data.data() + (std::size_t{row} * across + column) * kBlockSize, kBlockSize);
      const std::uint32_t x = column * 4, y = row * 4;
      std::uint8_t *at = picture.rgba.data() + y * rowBytes + std::size_t{x} * sizeof(Texel);
      if (x + 4 <= picture.width && wholeRow)
        decodeBlock<format>(block, at, rowBytes, 4, 4);
      else
        decodeBlock<format>(block, at, rowBytes, std::min(4u, picture.width - x), std::min(4u, picture.height - y));
    }
  }
}

std::string decodePaletted(Picture &picture, std::string_view data, std::string_view palette) {
  const std::size_t colours = palette.size() / 4;
  for (std::size_t pixel = 0; pixel < std::size_t{picture.width} * picture.height; ++pixel) {
    const std::size_t index = byteAt(data, pixel);
    if (index >= colours)
      return "a pixel's colour lies past the palette";
    for (std::size_t channel = 0; channel < 4; ++channel)
      picture.rgba[pixel * 4 + channel] = static_cast<std::uint8_t>(byteAt(palette, index * 4 + channel));
  }
  return {};
}

void decodeBgra(Picture &picture, std::string_view data) {
  for (std::size_t pixel = 0; pixel < std::size_t{picture.width} * picture.height; ++pixel) {
    picture.rgba[pixel * 4 + 0] = static_cast<std::uint8_t>(byteAt(data, pixel * 4 + 2));
    picture.rgba[pixel * 4 + 1] = static_cast<std::uint8_t>(byteAt(data, pixel * 4 + 1));
    picture.rgba[pixel * 4 + 2] = static_cast<std::uint8_t>(byteAt(data, pixel * 4 + 0));
    picture.rgba[pixel * 4 + 3] = static_cast<std::uint8_t>(byteAt(data, pixel * 4 + 3));
  }
}

} // namespace

// DXT mips are never smaller than a block.
std::optional<std::size_t> pictureBytes(std::uint8_t format, std::uint32_t width, std::uint32_t height) {
  const std::size_t pixels = std::size_t{width} * height;
  const std::size_t blocks = std::size_t{(width + 3) / 4} * ((height + 3) / 4);
  switch (static_cast<TextureFormat>(format)) {
  case TextureFormat::paletted:
    return pixels;
  case TextureFormat::bgra:
    return pixels * 4;
  case TextureFormat::dxt1:
    return blocks * 8;
  case TextureFormat::dxt3:
  case TextureFormat::dxt5:
    return blocks * 16;
  }
  return std::nullopt;
}

PictureDecode decodePicture(std::uint8_t format, std::uint32_t width, std::uint32_t height, std::string_view data,
                            std::string_view palette) {
  PictureDecode decode;
  const std::optional<std::size_t> needed = pictureBytes(format, width, height);
  if (!needed) {
    decode.problem = "its format (" + std::to_string(format) + ") is not one this program shows";
    return decode;
  }
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
    decode.problem = "it claims " + std::to_string(width) + " by " + std::to_string(height) + " pixels";
    return decode;
  }
  if (data.size() < *needed) {
    decode.problem = "its pixels are cut short";
    return decode;
  }
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.resize(std::size_t{width} * height * 4);
  const auto kind = static_cast<TextureFormat>(format);
  if (kind == TextureFormat::paletted) {
    decode.problem = decodePaletted(picture, data, palette);
    if (!decode.problem.empty())
      return decode;
  } else if (kind == TextureFormat::bgra) {
    decodeBgra(picture, data);
  } else if (kind == TextureFormat::dxt1) {
    decodeBlocks<TextureFormat::dxt1>(picture, data);
  } else if (kind == TextureFormat::dxt3) {
    decodeBlocks<TextureFormat::dxt3>(picture, data);
  } else {
    decodeBlocks<TextureFormat::dxt5>(picture, data);
  }
  decode.picture = std::move(picture);
  return decode;
}
