#include "package/map_preview.h"

#include "package/package_bytes.h"
#include "package/tagged_properties.h"
#include "package/texture_reader.h"
#include "posix/name_folding.h"

#include <algorithm>
#include <vector>

namespace {

// Materials lead to materials only this far; a real map's takes one step.
constexpr int kMaxSteps = 8;
// A material's settings are a few hundred bytes.
constexpr std::uint32_t kMaxMaterialSize = 64 * 1024;

// The Material of a material sequence's first item: the array's count, then
// the item's own properties.
std::int32_t firstSequenceItem(PackageBytes &in, const PackageTables &tables) {
  const std::int32_t count = in.compactIndex().value_or(0);
  if (in.failed() || count < 1)
    return 0;
  std::int32_t material = 0;
  PropertyList properties(in, tables.names);
  while (const std::optional<PropertyTag> tag = properties.next()) {
    if (tag->is("Material", PropertyType::object)) {
      material = readObjectRef(in, tables);
      properties.readWhole();
    }
  }
  return in.failed() ? 0 : material;
}

// What the material `object` shows first: the first item of a sequence, or
// the first object any other material refers to.
std::int32_t firstMaterialOf(int fd, std::uint64_t fileSize, const PackageTables &tables, const PackageExport &object,
                             std::string &problem) {
  if (object.serialSize > kMaxMaterialSize) {
    problem = "its screenshot's material is larger than any material";
    return 0;
  }
  PackageBytes in = objectBytes(fd, fileSize, object, object.serialOffset, object.serialSize);
  if ((object.objectFlags & kHasStateFrame) != 0)
    skipStateFrame(in);
  PropertyList properties(in, tables.names);
  while (const std::optional<PropertyTag> tag = properties.next()) {
    std::int32_t found = 0;
    if (tag->is("SequenceItems", PropertyType::array))
      found = firstSequenceItem(in, tables);
    else if (tag->type == static_cast<std::uint8_t>(PropertyType::object))
      found = readObjectRef(in, tables);
    if (found != 0 && !in.failed())
      return found;
  }
  problem = in.failed() ? "its screenshot's material cannot be read (" + in.failure() + ")"
                        : "its screenshot's material shows no texture";
  return 0;
}

} // namespace

PictureDecode readMapPreview(int fd, std::uint64_t fileSize, const PackageTables &tables, std::int32_t screenshot,
                             std::uint32_t largestSide) {
  PictureDecode decode;
  std::vector<std::int32_t> seen;
  for (std::int32_t ref = screenshot; seen.size() < kMaxSteps;) {
    if (ref == 0 || !refersToObject(tables, ref)) {
      decode.problem = decode.problem.empty() ? "the map has no screenshot" : decode.problem;
      return decode;
    }
    if (ref < 0) {
      decode.problem = "its screenshot is in another package";
      return decode;
    }
    if (std::find(seen.begin(), seen.end(), ref) != seen.end()) {
      decode.problem = "its screenshot's material leads back to itself";
      return decode;
    }
    seen.push_back(ref);
    const PackageExport &object = tables.exports[static_cast<std::size_t>(ref - 1)];
    if (equalsAsciiFolded(objectNameAt(tables, object.classRef), "Texture"))
      return readTexturePicture(fd, fileSize, tables, object, largestSide);
    ref = firstMaterialOf(fd, fileSize, tables, object, decode.problem);
  }
  decode.problem = "its screenshot's materials lead on too far";
  return decode;
}
