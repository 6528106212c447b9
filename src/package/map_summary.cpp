#include "package/map_summary.h"

#include "package/package_bytes.h"
#include "package/tagged_properties.h"
#include "posix/name_folding.h"

namespace {

// A summary is a few hundred bytes; its description rarely a few thousand.
constexpr std::uint32_t kMaxSummarySize = 256 * 1024;
constexpr std::size_t kMaxProperties = 1024;
// Objects with a state frame, as actors have, begin with it.
constexpr std::uint32_t kHasStateFrame = 0x02000000;

std::string_view classNameOf(const PackageTables &tables, std::int32_t classRef) {
  if (classRef < 0)
    return tables.names[tables.imports[static_cast<std::size_t>(-static_cast<std::int64_t>(classRef) - 1)].objectName];
  if (classRef > 0)
    return tables.names[tables.exports[static_cast<std::size_t>(classRef - 1)].objectName];
  return {};
}

const PackageExport *summaryExport(const PackageTables &tables) {
  for (const PackageExport &object : tables.exports) {
    if (equalsAsciiFolded(tables.names[object.objectName], "LevelSummary") &&
        equalsAsciiFolded(classNameOf(tables, object.classRef), "LevelSummary"))
      return &object;
  }
  return nullptr;
}

void skipStateFrame(PackageBytes &in) {
  const std::int32_t node = in.compactIndex().value_or(0);
  in.compactIndex(); // the state's node
  in.bytes(8);       // the probe mask
  in.bytes(4);       // the latent action
  if (node != 0)
    in.compactIndex();
}

// An object reference, checked against the tables.
std::int32_t objectRef(PackageBytes &in, const PackageTables &tables) {
  const std::int32_t ref = in.compactIndex().value_or(0);
  const bool import = ref < 0 && -static_cast<std::int64_t>(ref) - 1 < static_cast<std::int64_t>(tables.imports.size());
  const bool exported = ref > 0 && static_cast<std::size_t>(ref) - 1 < tables.exports.size();
  if (!in.failed() && ref != 0 && !import && !exported)
    in.fail("its screenshot refers to no object");
  return ref;
}

enum class Field { none, title, author, description, minPlayers, maxPlayers, screenshot };

Field fieldOf(const PropertyTag &tag) {
  const auto type = static_cast<PropertyType>(tag.type);
  if (type == PropertyType::string) {
    if (equalsAsciiFolded(tag.name, "Title"))
      return Field::title;
    if (equalsAsciiFolded(tag.name, "Author"))
      return Field::author;
    if (equalsAsciiFolded(tag.name, "Description"))
      return Field::description;
  }
  if (type == PropertyType::integer && tag.size == 4) {
    if (equalsAsciiFolded(tag.name, "IdealPlayerCountMin"))
      return Field::minPlayers;
    if (equalsAsciiFolded(tag.name, "IdealPlayerCountMax"))
      return Field::maxPlayers;
  }
  if (tag.is("Screenshot", PropertyType::object))
    return Field::screenshot;
  return Field::none;
}

// Takes the value of a property the summary knows, once the whole property
// is read as its tag says; passes over any other.
void readValue(PackageBytes &in, const PropertyTag &tag, const PackageTables &tables, MapSummary &summary) {
  const std::uint64_t end = in.offset() + tag.size;
  const Field field = fieldOf(tag);
  std::string text;
  std::int32_t number = 0;
  if (field == Field::title || field == Field::author || field == Field::description)
    text = readStringValue(in, tag.size);
  else if (field == Field::minPlayers || field == Field::maxPlayers)
    number = in.i32().value_or(0);
  else if (field == Field::screenshot)
    number = objectRef(in, tables);
  else
    in.bytes(tag.size);
  if (!in.failed() && in.offset() != end)
    in.fail("a property in it is not the size it says");
  if (in.failed())
    return;
  switch (field) {
  case Field::title:
    summary.title = std::move(text);
    break;
  case Field::author:
    summary.author = std::move(text);
    break;
  case Field::description:
    summary.description = std::move(text);
    break;
  case Field::minPlayers:
    summary.minPlayers = number;
    break;
  case Field::maxPlayers:
    summary.maxPlayers = number;
    break;
  case Field::screenshot:
    summary.screenshot = number;
    break;
  case Field::none:
    break;
  }
}

} // namespace

MapSummaryRead readMapSummary(int fd, std::uint64_t fileSize, const PackageTables &tables) {
  MapSummaryRead read;
  const PackageExport *object = summaryExport(tables);
  if (!object)
    return read;
  if (object->serialSize > kMaxSummarySize) {
    read.problem = "its summary is larger than any map's";
    return read;
  }
  // The summary's data is read as if the file ended with it, so that no
  // property reads past it.
  const std::uint64_t end = std::min(fileSize, object->serialOffset + object->serialSize);
  PackageBytes in(fd, end, object->serialOffset, object->serialSize);
  if ((object->objectFlags & kHasStateFrame) != 0)
    skipStateFrame(in);
  MapSummary summary;
  for (std::size_t index = 0; index < kMaxProperties && !in.failed(); ++index) {
    const std::optional<PropertyTag> tag = readPropertyTag(in, tables.names);
    if (!tag)
      break;
    readValue(in, *tag, tables, summary);
  }
  if (in.failed())
    read.problem = "its summary is malformed (" + in.failure() + ")";
  read.summary = std::move(summary);
  return read;
}
