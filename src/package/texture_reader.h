#pragma once

#include "package/package_tables.h"
#include "package/texture_picture.h"

#include <cstdint>

// Decodes a picture of the texture `texture`, an export of the package open
// as `fd` (of `fileSize` bytes then): the largest mip no larger than
// `largestSide` a side. Reads the texture's properties, the heads of its
// mips, and only the pixels of the mip decoded.
PictureDecode readTexturePicture(int fd, std::uint64_t fileSize, const PackageTables &tables,
                                 const PackageExport &texture, std::uint32_t largestSide);
