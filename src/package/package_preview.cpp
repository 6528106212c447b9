#include "package/package_preview.h"

#include "package/map_preview.h"
#include "package/package_reader.h"
#include "posix/file_descriptor.h"
#include "posix/name_folding.h"

#include <sys/stat.h>

std::string importedFrom(const PackageTables &tables, std::int32_t ref) {
  // The reader has checked that every chain of outers ends.
  std::int32_t top = ref;
  while (top < 0 && refersToObject(tables, top)) {
    const std::int32_t outer = tables.imports[static_cast<std::size_t>(-top - 1)].outer;
    if (outer == 0)
      return std::string(objectNameAt(tables, top));
    top = outer;
  }
  return {};
}

namespace {

// The first export called `name`, ASCII case aside; 0 for none.
std::int32_t exportNamed(const PackageTables &tables, const std::string &name) {
  for (std::size_t index = 0; index < tables.exports.size(); ++index) {
    if (equalsAsciiFolded(tables.names[tables.exports[index].objectName], name))
      return static_cast<std::int32_t>(index + 1);
  }
  return 0;
}

} // namespace

PictureDecode decodePreview(const PreviewSource &source, std::uint32_t largestSide) {
  PictureDecode decode;
  const FileDescriptor file = openPackageFile(source.path);
  struct stat opened {};
  if (!file.valid() || ::fstat(file.get(), &opened) != 0) {
    decode.problem = "the package that holds it cannot be opened";
    return decode;
  }
  PackageReadOptions options;
  options.exports = true;
  const PackageRead package = readPackage(file.get(), opened, options);
  if (!package.tables) {
    decode.problem = "the package that holds it cannot be read: " + package.unreadable;
    return decode;
  }
  const std::int32_t object =
      source.objectName.empty() ? source.object : exportNamed(*package.tables, source.objectName);
  if (object == 0 && !source.objectName.empty()) {
    decode.problem = "its screenshot " + source.objectName + " is not in the package that should hold it";
    return decode;
  }
  return readMapPreview(file.get(), static_cast<std::uint64_t>(opened.st_size), *package.tables, object, largestSide);
}
