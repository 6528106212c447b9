#pragma once

#include "package/byte_buffer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A picture decoded from one mip level of a texture of the game: RGBA, 8
// bits a channel, row by row from the top.
struct Picture {
  std::uint32_t width = 0, height = 0;
  // Not zeroed first: every decoder writes each pixel, and a picture is
  // given only once it has.
  ByteBuffer rgba;
};

// The texture formats maps use for their screenshots, as the `Format` byte
// of a texture says them.
enum class TextureFormat : std::uint8_t { paletted = 0, dxt1 = 3, bgra = 5, dxt3 = 7, dxt5 = 8 };

// The largest side decoded: a preview needs no more, and a texture that
// claims more is not decoded.
inline constexpr std::uint32_t kMaxPictureSide = 1024;

// The bytes a mip of `format` takes, or nothing for a format not decoded.
std::optional<std::size_t> pictureBytes(std::uint8_t format, std::uint32_t width, std::uint32_t height);

struct PictureDecode {
  std::optional<Picture> picture;
  std::string problem; // why not, when there is no picture
};

// Decodes a mip of `width` by `height` pixels of `format` from `data`;
// `palette` is the colours of a paletted texture, 4 bytes each (R, G, B,
// A). The data must hold the whole mip; bytes after it are left alone.
PictureDecode decodePicture(std::uint8_t format, std::uint32_t width, std::uint32_t height, std::string_view data,
                            std::string_view palette = {});
