#pragma once

#include "package/package_tables.h"
#include "package/texture_picture.h"

#include <cstdint>

// Decodes the preview of a map: its summary's screenshot reference, followed
// to a texture through the materials that list textures (a material
// sequence's first item, or another material's first texture), the largest
// mip no larger than `largestSide` a side. `fd` is the map, open, of
// `fileSize` bytes when its tables were read.
PictureDecode readMapPreview(int fd, std::uint64_t fileSize, const PackageTables &tables, std::int32_t screenshot,
                             std::uint32_t largestSide);
