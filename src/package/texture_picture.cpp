#include "package/texture_picture.h"

#include <array>

namespace {

using Colour = std::array<std::uint8_t, 4>;

std::uint32_t byteAt(std::string_view data, std::size_t at) { return static_cast<unsigned char>(data[at]); }

std::uint32_t u16At(std::string_view data, std::size_t at) { return byteAt(data, at) | (byteAt(data, at + 1) << 8); }

Colour fromRgb565(std::uint32_t value) {
  const std::uint32_t red = (value >> 11) & 0x1F, green = (value >> 5) & 0x3F, blue = value & 0x1F;
  return Colour{static_cast<std::uint8_t>((red << 3) | (red >> 2)),
                static_cast<std::uint8_t>((green << 2) | (green >> 4)),
                static_cast<std::uint8_t>((blue << 3) | (blue >> 2)), 255};
}

// `weight` thirds of the way from a to b, or halfway for weight 0.
Colour between(const Colour &a, const Colour &b, int weight) {
  Colour mixed{};
  for (std::size_t channel = 0; channel < 4; ++channel) {
    const int from = a[channel], to = b[channel];
    mixed[channel] = static_cast<std::uint8_t>(weight == 0 ? (from + to) / 2 : ((3 - weight) * from + weight * to) / 3);
  }
  return mixed;
}

// The four colours of a DXT colour block. DXT1 alone has the three-colour
// form, with transparent black, where the first colour is not the greater.
std::array<Colour, 4> blockColours(std::string_view block, bool threeColourForm) {
  const std::uint32_t first = u16At(block, 0), second = u16At(block, 2);
  const Colour a = fromRgb565(first), b = fromRgb565(second);
  if (threeColourForm && first <= second)
    return {a, b, between(a, b, 0), Colour{0, 0, 0, 0}};
  return {a, b, between(a, b, 1), between(a, b, 2)};
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

void put(Picture &picture, std::uint32_t x, std::uint32_t y, const Colour &colour) {
  if (x >= picture.width || y >= picture.height)
    return;
  const std::size_t at = (std::size_t{y} * picture.width + x) * 4;
  for (std::size_t channel = 0; channel < 4; ++channel)
    picture.rgba[at + channel] = colour[channel];
}

void decodeBlocks(Picture &picture, std::string_view data, TextureFormat format) {
  const std::size_t blockSize = format == TextureFormat::dxt1 ? 8 : 16;
  const std::uint32_t across = (picture.width + 3) / 4, down = (picture.height + 3) / 4;
  for (std::uint32_t row = 0; row < down; ++row) {
    for (std::uint32_t column = 0; column < across; ++column) {
      const std::string_view block = data.substr((std::size_t{row} * across + column) * blockSize, blockSize);
      const std::string_view colourBlock = format == TextureFormat::dxt1 ? block : block.substr(8);
      const std::array<Colour, 4> colours = blockColours(colourBlock, format == TextureFormat::dxt1);
      const std::array<std::uint8_t, 8> alphas =
          format == TextureFormat::dxt5 ? blockAlphas(block) : std::array<std::uint8_t, 8>{};
      std::uint64_t alphaBits = 0;
      for (std::size_t index = 0; index < 6; ++index)
        alphaBits |= static_cast<std::uint64_t>(byteAt(block, 2 + index)) << (8 * index);
      for (std::uint32_t pixel = 0; pixel < 16; ++pixel) {
        const std::uint32_t code = (byteAt(colourBlock, 4 + pixel / 4) >> (2 * (pixel % 4))) & 3;
        Colour colour = colours[code];
        if (format == TextureFormat::dxt3) {
          const std::uint32_t alpha = (byteAt(block, pixel / 2) >> (4 * (pixel % 2))) & 0x0F;
          colour[3] = static_cast<std::uint8_t>(alpha * 17);
        } else if (format == TextureFormat::dxt5) {
          colour[3] = alphas[(alphaBits >> (3 * pixel)) & 7];
        }
        put(picture, column * 4 + pixel % 4, row * 4 + pixel / 4, colour);
      }
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
  } else {
    decodeBlocks(picture, data, kind);
  }
  decode.picture = std::move(picture);
  return decode;
}
