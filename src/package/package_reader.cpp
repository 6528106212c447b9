#include "package/package_reader.h"

#include "package/map_summary.h"

#include "package/package_bytes.h"
#include "posix/file_descriptor.h"
#include "posix/name_folding.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

constexpr std::uint32_t kSignature = 0x9E2A83C1;
// Far above the largest real package: a real map has about a thousand of
// each.
constexpr std::uint32_t kMaxEntries = 1 << 20;
// The game's names are at most 64 characters.
constexpr std::int32_t kMaxNameLength = 1024;
// An object's outers are followed this far at most.
constexpr int kMaxNesting = 64;

// The fewest bytes an entry of each table takes: a count must fit the bytes
// after its table's start before anything is kept for it.
constexpr std::uint64_t kSmallestName = 6;    // length, one character and its NUL, flags
constexpr std::uint64_t kSmallestImport = 7;  // three one-byte indexes and an outer
constexpr std::uint64_t kSmallestExport = 12; // four one-byte indexes, an outer and flags
// What the header takes up to the GUID, and what entries take on average in
// real maps, rounded up: the size of the first read of each.
constexpr std::uint64_t kHeaderBytes = 52;
constexpr std::uint64_t kTypicalName = 20;
constexpr std::uint64_t kTypicalImport = 12;
constexpr std::uint64_t kTypicalExport = 20;

struct Table {
  std::uint32_t count = 0;
  std::uint32_t offset = 0;
};

struct Layout {
  PackageHeader header;
  Table names, exports, imports;
};

std::string tableProblem(const char *what, const Table &table, std::uint64_t smallest, std::uint64_t fileSize) {
  if (table.count > kMaxEntries)
    return "it claims " + std::to_string(table.count) + " " + what + ", more than any package holds";
  if (table.offset > fileSize || table.count > (fileSize - table.offset) / smallest)
    return std::string("its table of ") + what + " lies past the end of the file";
  return {};
}

std::optional<Layout> readLayout(PackageBytes &in, std::uint64_t fileSize, std::string &problem) {
  Layout layout;
  const std::optional<std::uint32_t> signature = in.u32();
  if (!signature || *signature != kSignature) {
    problem = "it does not begin as a package does";
    return std::nullopt;
  }
  layout.header.version = in.u16().value_or(0);
  layout.header.licensee = in.u16().value_or(0);
  layout.header.flags = in.u32().value_or(0);
  for (Table *table : {&layout.names, &layout.exports, &layout.imports}) {
    table->count = in.u32().value_or(0);
    table->offset = in.u32().value_or(0);
  }
  for (std::uint32_t &word : layout.header.guid.words)
    word = in.u32().value_or(0);
  if (in.failed()) {
    problem = "it is too short for a package";
    return std::nullopt;
  }
  const std::uint16_t version = layout.header.version;
  if (version < kOldestPackageVersion || version > kNewestPackageVersion) {
    problem = "it is a format this program does not read (version " + std::to_string(version) + ")";
    return std::nullopt;
  }
  for (const auto &[what, table, smallest] :
       {std::tuple("names", layout.names, kSmallestName), std::tuple("imports", layout.imports, kSmallestImport),
        std::tuple("exports", layout.exports, kSmallestExport)}) {
    problem = tableProblem(what, table, smallest, fileSize);
    if (!problem.empty())
      return std::nullopt;
  }
  return layout;
}

// Places the short names that lie whole in the bytes in hand, up to
// `wanted` of them, without a check each: most names are short, with a
// length of one byte. Returns how many it placed.
std::uint32_t placeShortNames(PackageBytes &in, std::uint64_t tableStart, PackageNames::Place *places,
                              std::uint32_t wanted) {
  constexpr std::size_t kFlags = 4;
  const std::string_view ahead = in.inBlock(std::string_view::npos);
  const auto begin = static_cast<std::uint32_t>(in.offset() - tableStart);
  std::size_t used = 0;
  std::uint32_t placed = 0;
  while (placed < wanted && used < ahead.size()) {
    const auto length = static_cast<std::uint8_t>(ahead[used]);
    const std::size_t next = used + 1 + length + kFlags;
    if (length == 0 || length >= 0x40 || next > ahead.size())
      break;
    places[placed++] = PackageNames::Place{begin + static_cast<std::uint32_t>(used) + 1, length};
    used = next;
  }
  in.skip(used);
  return placed;
}

PackageNames readNames(PackageBytes &in, std::uint32_t count) {
  // A count is checked against the bytes left, at least six a name; a name
  // starts at most a table's bytes from its start, which is below 4 GiB with
  // names of the capped length and count.
  std::vector<PackageNames::Place> places(count);
  in.keepAll();
  const std::uint64_t start = in.offset();
  for (std::uint32_t index = 0; index < count && !in.failed();) {
    index += placeShortNames(in, start, places.data() + index, count - index);
    if (index == count)
      break;
    // A long name, or one that goes past the bytes in hand.
    const std::int32_t length = in.compactIndex().value_or(0);
    if (!in.failed() && (length < 1 || length > kMaxNameLength)) {
      in.fail("a name in it has a length of " + std::to_string(length));
      break;
    }
    places[index++] =
        PackageNames::Place{static_cast<std::uint32_t>(in.offset() - start), static_cast<std::uint32_t>(length)};
    in.bytes(static_cast<std::size_t>(length));
    in.u32();
  }
  ByteBuffer table = in.takeKept();
  if (in.failed())
    return {};
  return PackageNames(std::move(table), std::move(places));
}

// Reads a name index and checks it.
std::uint32_t nameIndex(PackageBytes &in, std::size_t names) {
  const std::int32_t index = in.compactIndex().value_or(0);
  if (!in.failed() && (index < 0 || static_cast<std::size_t>(index) >= names))
    in.fail("a name index in it is out of range");
  return static_cast<std::uint32_t>(index);
}

// Checks an object reference against both tables' counts.
std::int32_t objectRef(PackageBytes &in, std::int32_t ref, const Layout &layout) {
  const bool import = ref < 0 && -static_cast<std::int64_t>(ref) - 1 < layout.imports.count;
  const bool exported = ref > 0 && static_cast<std::int64_t>(ref) - 1 < layout.exports.count;
  if (!in.failed() && ref != 0 && !import && !exported)
    in.fail("an object reference in it is out of range");
  return ref;
}

std::vector<PackageImport> readImports(PackageBytes &in, const Layout &layout, std::size_t names) {
  std::vector<PackageImport> imports;
  imports.reserve(layout.imports.count);
  for (std::uint32_t index = 0; index < layout.imports.count && !in.failed(); ++index) {
    PackageImport entry;
    entry.classPackage = nameIndex(in, names);
    entry.className = nameIndex(in, names);
    entry.outer = objectRef(in, in.i32().value_or(0), layout);
    entry.objectName = nameIndex(in, names);
    imports.push_back(entry);
  }
  return imports;
}

std::vector<PackageExport> readExports(PackageBytes &in, const Layout &layout, std::size_t names,
                                       std::uint64_t fileSize) {
  std::vector<PackageExport> exports;
  exports.reserve(layout.exports.count);
  for (std::uint32_t index = 0; index < layout.exports.count && !in.failed(); ++index) {
    PackageExport entry;
    entry.classRef = objectRef(in, in.compactIndex().value_or(0), layout);
    entry.superRef = objectRef(in, in.compactIndex().value_or(0), layout);
    entry.outer = objectRef(in, in.i32().value_or(0), layout);
    entry.objectName = nameIndex(in, names);
    entry.objectFlags = in.u32().value_or(0);
    const std::int32_t size = in.compactIndex().value_or(0);
    const std::int32_t offset = size > 0 ? in.compactIndex().value_or(0) : 0;
    if (!in.failed() && (size < 0 || offset < 0 || static_cast<std::uint64_t>(offset) > fileSize ||
                         static_cast<std::uint64_t>(size) > fileSize - static_cast<std::uint64_t>(offset)))
      in.fail("an object's data in it lies outside the file");
    entry.serialSize = static_cast<std::uint32_t>(size);
    entry.serialOffset = static_cast<std::uint64_t>(offset);
    exports.push_back(entry);
  }
  return exports;
}

// A map's summary: the first export of the class `summaryClass` called
// "LevelSummary". The table is walked and nothing else of it kept; a table
// that breaks a rule gives no summary, and the package is as readable as
// it is without one.
std::optional<PackageExport> findMapSummary(PackageBytes &in, const Layout &layout, const PackageTables &tables,
                                            std::int32_t summaryClass, std::uint64_t fileSize) {
  for (std::uint32_t index = 0; index < layout.exports.count && !in.failed(); ++index) {
    PackageExport entry;
    entry.classRef = in.compactIndex().value_or(0);
    entry.superRef = in.compactIndex().value_or(0);
    entry.outer = in.i32().value_or(0);
    const std::int32_t name = in.compactIndex().value_or(-1);
    entry.objectFlags = in.u32().value_or(0);
    const std::int32_t size = in.compactIndex().value_or(0);
    const std::int32_t offset = size > 0 ? in.compactIndex().value_or(0) : 0;
    if (in.failed() || entry.classRef != summaryClass || name < 0 ||
        static_cast<std::size_t>(name) >= tables.names.size() ||
        !equalsAsciiFolded(tables.names[static_cast<std::size_t>(name)], "LevelSummary"))
      continue;
    if (size < 0 || offset < 0 || static_cast<std::uint64_t>(offset) > fileSize ||
        static_cast<std::uint64_t>(size) > fileSize - static_cast<std::uint64_t>(offset))
      return std::nullopt;
    entry.objectName = static_cast<std::uint32_t>(name);
    entry.serialSize = static_cast<std::uint32_t>(size);
    entry.serialOffset = static_cast<std::uint64_t>(offset);
    return entry;
  }
  return std::nullopt;
}

// The outer of the object `ref` refers to; 0 once there is none.
std::int32_t outerOf(const PackageTables &tables, std::int32_t ref) {
  if (ref < 0)
    return tables.imports[static_cast<std::size_t>(-static_cast<std::int64_t>(ref) - 1)].outer;
  const auto index = static_cast<std::size_t>(ref - 1);
  return index < tables.exports.size() ? tables.exports[index].outer : 0;
}

// Whether every object's chain of outers ends, within the nesting limit.
bool outersEnd(const PackageTables &tables) {
  const auto ends = [&](std::int32_t ref) {
    for (int depth = 0; ref != 0; ++depth, ref = outerOf(tables, ref)) {
      if (depth == kMaxNesting)
        return false;
    }
    return true;
  };
  for (std::size_t index = 0; index < tables.imports.size(); ++index) {
    if (!ends(-static_cast<std::int32_t>(index) - 1))
      return false;
  }
  for (std::size_t index = 0; index < tables.exports.size(); ++index) {
    if (!ends(static_cast<std::int32_t>(index) + 1))
      return false;
  }
  return true;
}

bool sameFile(const struct stat &before, const struct stat &after) {
  return before.st_dev == after.st_dev && before.st_ino == after.st_ino && before.st_size == after.st_size &&
         before.st_mtim.tv_sec == after.st_mtim.tv_sec && before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

} // namespace

PackageRead readPackage(int fd, PackageReadOptions options) {
  struct stat opened {};
  if (::fstat(fd, &opened) != 0) {
    PackageRead read;
    read.unreadable = "it is not a plain file";
    return read;
  }
  return readPackage(fd, opened, std::move(options));
}

PackageRead readPackage(int fd, const struct stat &before, PackageReadOptions options) {
  PackageRead read;
  if (!S_ISREG(before.st_mode)) {
    read.unreadable = "it is not a plain file";
    return read;
  }
  const auto fileSize = static_cast<std::uint64_t>(before.st_size);
  PackageBytes header(fd, fileSize, 0, kHeaderBytes);
  std::optional<Layout> layout = readLayout(header, fileSize, read.unreadable);
  read.bytesRead = header.bytesRead();
  if (!layout)
    return read;

  PackageTables tables;
  tables.header = layout->header;
  // Each table is read in one block of about its size where that will do.
  PackageBytes names(fd, fileSize, layout->names.offset, std::uint64_t{layout->names.count} * kTypicalName);
  tables.names = readNames(names, layout->names.count);
  PackageBytes imports(fd, fileSize, layout->imports.offset, std::uint64_t{layout->imports.count} * kTypicalImport);
  if (!names.failed())
    tables.imports = readImports(imports, *layout, tables.names.size());
  PackageBytes exports(fd, fileSize, layout->exports.offset, std::uint64_t{layout->exports.count} * kTypicalExport);
  tables.exportCount = layout->exports.count;
  if (options.exports && !names.failed() && !imports.failed())
    tables.exports = readExports(exports, *layout, tables.names.size(), fileSize);
  const std::int32_t summaryClass =
      options.mapSummary && !options.exports && !names.failed() && !imports.failed() ? mapSummaryClass(tables) : 0;
  const std::optional<PackageExport> summary =
      summaryClass != 0 ? findMapSummary(exports, *layout, tables, summaryClass, fileSize) : std::nullopt;
  read.bytesRead += names.bytesRead() + imports.bytesRead() + exports.bytesRead();
  // The summary's walk of the exports may fail without making the package
  // unreadable.
  for (const PackageBytes *table : {&names, &imports, &exports}) {
    if (table->failed() && (table != &exports || summaryClass == 0)) {
      read.unreadable = table->failure();
      return read;
    }
  }
  if (!outersEnd(tables)) {
    read.unreadable = "its objects are nested too deep, or inside themselves";
    return read;
  }
  if (options.afterTables)
    options.afterTables();
  struct stat after {};
  if (::fstat(fd, &after) != 0 || !sameFile(before, after)) {
    read.unreadable = "it changed while it was read";
    return read;
  }
  read.tables = std::move(tables);
  read.mapSummary = summary;
  return read;
}

FileDescriptor openPackageFile(const std::string &path) {
  return FileDescriptor(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

PackageRead readPackage(const std::string &path, PackageReadOptions options) {
  const FileDescriptor file = openPackageFile(path);
  if (!file.valid()) {
    PackageRead read;
    read.unreadable =
        errno == ELOOP ? "it is a link" : std::string("it cannot be opened (") + std::strerror(errno) + ")";
    return read;
  }
  return readPackage(file.get(), options);
}
