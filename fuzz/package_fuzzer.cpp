// Feeds arbitrary bytes to the reader of the game's package files. For any
// input it must end without a fault, read no more than its four parts
// could hold, and give either a reason or tables whose every index is in
// range; a map's summary, read from those tables, refers only to objects
// that are there, and its preview, followed from its screenshot or from the
// first object, is no larger than asked for. The same bytes are decoded as a texture's mip, with a
// format and a size taken from the first three.
#include "fuzz_folder.h"
#include "package/map_preview.h"
#include "package/map_summary.h"
#include "package/package_reader.h"
#include "package/texture_picture.h"
#include "posix/file_descriptor.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const FuzzFolder folder;
  const std::string path = folder.write("package.uxx", data, size);
  if (size >= 3) {
    const std::string_view pixels(reinterpret_cast<const char *>(data) + 3, size - 3);
    const std::uint32_t width = 1u + data[1] % 40u, height = 1u + data[2] % 40u;
    const PictureDecode decode = decodePicture(data[0] % 9, width, height, pixels, pixels);
    if (decode.picture && decode.picture->rgba.size() != std::size_t{width} * height * 4)
      std::abort();
  }
  PackageReadOptions withExports;
  withExports.exports = true;
  const PackageRead read = readPackage(path, withExports);
  if (read.bytesRead > 4 * size || read.tables.has_value() == !read.unreadable.empty())
    std::abort();
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  // As the background reading finds a map's summary: without the exports.
  PackageReadOptions summaryOnly;
  summaryOnly.mapSummary = true;
  const PackageRead lean = readPackage(path, summaryOnly);
  if (lean.mapSummary) {
    if (!lean.tables || !lean.tables->exports.empty() ||
        lean.mapSummary->serialOffset + lean.mapSummary->serialSize > size)
      std::abort();
    readMapSummary(file.get(), size, *lean.tables, *lean.mapSummary);
  }
  if (!read.tables)
    return 0;
  const PackageTables &tables = *read.tables;
  for (const PackageImport &entry : tables.imports) {
    if (entry.classPackage >= tables.names.size() || entry.className >= tables.names.size() ||
        entry.objectName >= tables.names.size())
      std::abort();
  }
  for (const PackageExport &entry : tables.exports) {
    if (entry.objectName >= tables.names.size() || entry.serialOffset + entry.serialSize > size)
      std::abort();
  }
  for (const std::string &name : neededPackages(tables)) {
    if (name.empty())
      std::abort();
  }
  const MapSummaryRead summary = readMapSummary(file.get(), size, tables);
  if (summary.summary) {
    const std::int64_t shot = summary.summary->screenshot;
    if (shot < -static_cast<std::int64_t>(tables.imports.size()) ||
        shot > static_cast<std::int64_t>(tables.exports.size()))
      std::abort();
  }
  for (const std::int32_t shot : {summary.summary ? summary.summary->screenshot : 0, 1}) {
    const PictureDecode preview = readMapPreview(file.get(), size, tables, shot, 64);
    if (preview.picture &&
        (preview.picture->width > kMaxPictureSide || preview.picture->height > kMaxPictureSide ||
         preview.picture->rgba.size() != std::size_t{preview.picture->width} * preview.picture->height * 4))
      std::abort();
  }
  return 0;
}
