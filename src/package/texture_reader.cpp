#include "package/texture_reader.h"

#include "package/package_bytes.h"
#include "package/tagged_properties.h"
#include "posix/name_folding.h"

#include <algorithm>
#include <vector>

namespace {

// A texture holds at most one mip a halving from 65,536 pixels down to one.
constexpr std::int32_t kMaxMips = 17;
constexpr std::int32_t kPaletteColours = 256;
// The bytes of a mip's head: the offset past its data and its size before
// the data, its size and bits after.
constexpr std::uint64_t kMipHeadBytes = 9, kMipTailBytes = 10;

struct Mip {
  std::uint32_t width = 0, height = 0;
  std::uint64_t dataOffset = 0, dataSize = 0;
};

struct Texture {
  std::uint8_t format = 0;
  std::int32_t palette = 0;
  std::vector<Mip> mips;
};

void readTextureProperties(PackageBytes &in, const PackageTables &tables, Texture &texture) {
  PropertyList properties(in, tables.names);
  while (const std::optional<PropertyTag> tag = properties.next()) {
    if (tag->is("Format", PropertyType::byte) && tag->size == 1) {
      texture.format = in.u8().value_or(0);
      properties.readWhole();
    } else if (tag->is("Palette", PropertyType::object)) {
      texture.palette = readObjectRef(in, tables);
      properties.readWhole();
    }
  }
}

// The mips' sizes and where their pixels lie, without reading the pixels.
std::vector<Mip> readMips(int fd, std::uint64_t fileSize, const PackageExport &object, PackageBytes &in) {
  const std::int32_t count = in.compactIndex().value_or(0);
  if (in.failed() || count < 1 || count > kMaxMips) {
    in.fail("it claims " + std::to_string(count) + " mips");
    return {};
  }
  std::vector<Mip> mips;
  std::uint64_t at = in.offset();
  for (std::int32_t index = 0; index < count; ++index) {
    PackageBytes head = objectBytes(fd, fileSize, object, at, kMipHeadBytes);
    const std::uint32_t end = head.u32().value_or(0);
    const std::int32_t size = head.compactIndex().value_or(0);
    Mip mip;
    mip.dataOffset = head.offset();
    mip.dataSize = static_cast<std::uint64_t>(std::max(size, 0));
    if (!head.failed() && (size < 0 || end != mip.dataOffset + mip.dataSize))
      head.fail("a mip's pixels lie outside it");
    PackageBytes tail = objectBytes(fd, fileSize, object, mip.dataOffset + mip.dataSize, kMipTailBytes);
    mip.width = tail.u32().value_or(0);
    mip.height = tail.u32().value_or(0);
    tail.bytes(2);
    for (const PackageBytes *part : {&head, &tail}) {
      if (part->failed()) {
        in.fail(part->failure());
        return {};
      }
    }
    mips.push_back(mip);
    at = tail.offset();
  }
  return mips;
}

// A palette's colours, 4 bytes each.
std::optional<std::string> readPalette(int fd, std::uint64_t fileSize, const PackageTables &tables, std::int32_t ref,
                                       std::string &problem) {
  if (ref <= 0 ||
      !equalsAsciiFolded(objectNameAt(tables, tables.exports[static_cast<std::size_t>(ref - 1)].classRef), "Palette")) {
    problem = "its palette is not in the package";
    return std::nullopt;
  }
  const PackageExport &object = tables.exports[static_cast<std::size_t>(ref - 1)];
  PackageBytes in = objectBytes(fd, fileSize, object, object.serialOffset, object.serialSize);
  // Its colours follow its properties, which say nothing of them.
  PropertyList properties(in, tables.names);
  while (properties.next()) {
  }
  const std::int32_t count = in.compactIndex().value_or(0);
  if (!in.failed() && (count < 1 || count > kPaletteColours))
    in.fail("its palette claims " + std::to_string(count) + " colours");
  const std::optional<std::string_view> colours = in.bytes(static_cast<std::size_t>(std::max(count, 0)) * 4);
  if (in.failed()) {
    problem = "its palette cannot be read (" + in.failure() + ")";
    return std::nullopt;
  }
  return std::string(*colours);
}

} // namespace

PictureDecode readTexturePicture(int fd, std::uint64_t fileSize, const PackageTables &tables,
                                 const PackageExport &texture, std::uint32_t largestSide) {
  PictureDecode decode;
  PackageBytes in = objectBytes(fd, fileSize, texture, texture.serialOffset, 512);
  if ((texture.objectFlags & kHasStateFrame) != 0)
    skipStateFrame(in);
  Texture read;
  readTextureProperties(in, tables, read);
  if (!in.failed())
    read.mips = readMips(fd, fileSize, texture, in);
  if (in.failed()) {
    decode.problem = "the texture cannot be read (" + in.failure() + ")";
    return decode;
  }
  // Mips come largest first. Where none is as small as asked, the smallest
  // is taken, and shown smaller, if it may be decoded at all.
  const auto within = [](const Mip &mip, std::uint32_t side) { return mip.width <= side && mip.height <= side; };
  const std::uint32_t asked = std::min(largestSide, kMaxPictureSide);
  auto fits = std::find_if(read.mips.begin(), read.mips.end(), [&](const Mip &mip) { return within(mip, asked); });
  if (fits == read.mips.end() && !read.mips.empty() && within(read.mips.back(), kMaxPictureSide))
    fits = read.mips.end() - 1;
  if (fits == read.mips.end()) {
    decode.problem = "it has no mip of at most " + std::to_string(kMaxPictureSide) + " pixels a side";
    return decode;
  }
  const std::optional<std::size_t> needed = pictureBytes(read.format, fits->width, fits->height);
  if (!needed)
    return decodePicture(read.format, fits->width, fits->height, {});
  std::string palette;
  if (read.format == static_cast<std::uint8_t>(TextureFormat::paletted)) {
    std::optional<std::string> colours = readPalette(fd, fileSize, tables, read.palette, decode.problem);
    if (!colours)
      return decode;
    palette = std::move(*colours);
  }
  // Only the pixels the picture takes, however many the mip claims.
  const std::uint64_t wanted = std::min<std::uint64_t>(fits->dataSize, *needed);
  PackageBytes pixels = objectBytes(fd, fileSize, texture, fits->dataOffset, wanted);
  const std::string_view data = pixels.bytes(static_cast<std::size_t>(wanted)).value_or(std::string_view());
  if (pixels.failed()) {
    decode.problem = "its pixels cannot be read (" + pixels.failure() + ")";
    return decode;
  }
  return decodePicture(read.format, fits->width, fits->height, data, palette);
}
