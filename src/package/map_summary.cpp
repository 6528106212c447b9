#include "package/map_summary.h"

#include "package/package_bytes.h"
#include "package/tagged_properties.h"
#include "posix/name_folding.h"

namespace {

// A summary is a few hundred bytes; its description rarely a few thousand.
constexpr std::uint32_t kMaxSummarySize = 256 * 1024;

const PackageExport *summaryExport(const PackageTables &tables) {
  for (const PackageExport &object : tables.exports) {
    if (equalsAsciiFolded(tables.names[object.objectName], "LevelSummary") &&
        equalsAsciiFolded(objectNameAt(tables, object.classRef), "LevelSummary"))
      return &object;
  }
  return nullptr;
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
void readValue(PackageBytes &in, PropertyList &properties, const PropertyTag &tag, const PackageTables &tables,
               MapSummary &summary) {
  const Field field = fieldOf(tag);
  if (field == Field::none)
    return;
  std::string text;
  std::int32_t number = 0;
  if (field == Field::title || field == Field::author || field == Field::description)
    text = readStringValue(in, tag.size);
  else if (field == Field::minPlayers || field == Field::maxPlayers)
    number = in.i32().value_or(0);
  else
    number = readObjectRef(in, tables);
  if (!properties.readWhole())
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

std::int32_t mapSummaryClass(const PackageTables &tables) {
  for (std::size_t index = 0; index < tables.imports.size(); ++index) {
    const PackageImport &object = tables.imports[index];
    if (equalsAsciiFolded(tables.names[object.objectName], "LevelSummary") &&
        equalsAsciiFolded(tables.names[object.className], "Class"))
      return -static_cast<std::int32_t>(index) - 1;
  }
  return 0;
}

MapSummaryRead readMapSummary(int fd, std::uint64_t fileSize, const PackageTables &tables) {
  const PackageExport *found = summaryExport(tables);
  if (!found)
    return {};
  return readMapSummary(fd, fileSize, tables, *found);
}

MapSummaryRead readMapSummary(int fd, std::uint64_t fileSize, const PackageTables &tables,
                              const PackageExport &object) {
  MapSummaryRead read;
  if (object.serialSize > kMaxSummarySize) {
    read.problem = "its summary is larger than any map's";
    return read;
  }
  PackageBytes in = objectBytes(fd, fileSize, object, object.serialOffset, object.serialSize);
  if ((object.objectFlags & kHasStateFrame) != 0)
    skipStateFrame(in);
  MapSummary summary;
  PropertyList properties(in, tables.names);
  while (const std::optional<PropertyTag> tag = properties.next())
    readValue(in, properties, *tag, tables, summary);
  if (in.failed())
    read.problem = "its summary is malformed (" + in.failure() + ")";
  read.summary = std::move(summary);
  return read;
}
