#include "texture_writer.h"

namespace {

constexpr std::uint8_t kByte = 1, kObject = 5;

} // namespace

std::string textureData(PackageWriter &writer, std::uint8_t format, const std::vector<Mip> &mips,
                        std::int32_t palette) {
  const std::uint32_t offset = writer.nextDataOffset();
  std::string data = writer.property("Format", kByte, std::string(1, static_cast<char>(format)));
  if (palette != 0)
    data += writer.property("Palette", kObject, compactIndex(palette));
  data += writer.endOfProperties() + compactIndex(static_cast<std::int32_t>(mips.size()));
  for (const Mip &mip : mips) {
    const std::string size = compactIndex(static_cast<std::int32_t>(mip.pixels.size()));
    const auto end = static_cast<std::uint32_t>(offset + data.size() + 4 + size.size() + mip.pixels.size());
    data += wordValue(end) + size + mip.pixels + wordValue(mip.width) + wordValue(mip.height) + std::string(2, '\0');
  }
  return data;
}

std::string oneColourBlock(std::uint16_t colour) {
  return std::string{static_cast<char>(colour & 0xFF), static_cast<char>(colour >> 8), static_cast<char>(colour & 0xFF),
                     static_cast<char>(colour >> 8)} +
         std::string(4, '\0');
}

std::int32_t classImport(PackageWriter &writer, const std::string &name) {
  return writer.addImport("Core", "Class", writer.needs("Engine"), name);
}
