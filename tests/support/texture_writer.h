#pragma once

#include "package_writer.h"

#include <cstdint>
#include <string>
#include <vector>

// Textures as the game writes them, for the readers of previews.

struct Mip {
  std::uint32_t width, height;
  std::string pixels;
};

// A texture's data: its properties (its format, and its palette when not
// 0), then its mips, each with the file offset past its pixels, for data
// that will lie at `writer`'s next data offset.
std::string textureData(PackageWriter &writer, std::uint8_t format, const std::vector<Mip> &mips,
                        std::int32_t palette = 0);

// A DXT1 block of one colour (RGB565).
std::string oneColourBlock(std::uint16_t colour);

// An import of the class `name` from the game's Engine.
std::int32_t classImport(PackageWriter &writer, const std::string &name);
