// Learning what the cache's packages need and each map's title, as the
// background reading does, against reading the same byte ranges with plain
// pread; and the memory of what was learnt.
#include "bench_inputs.h"

#include "package/package_knowledge.h"
#include "posix/file_descriptor.h"

#include "package_writer.h"

#include <benchmark/benchmark.h>

#include <array>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The tables of a real map: 1,105 names of 12 characters on average, 109
// imports (20 of them packages it needs, 5 of those its own), 819 exports,
// one of them its summary with its title. As in a map, the names follow the
// header and the other tables lie after the objects' data, here a hole of
// 4 MiB, which takes no disk.
constexpr std::size_t kNames = 1105, kImports = 109, kExports = 819, kNeeds = 20, kOwnNeeds = 5;
constexpr std::size_t kHeaderSize = 64, kObjectData = 4 << 20;

struct ByteRange {
  off_t offset;
  std::size_t size;
};

std::uint32_t wordAt(const std::string &bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t index = 0; index < 4; ++index)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + index])) << (8 * index);
  return value;
}

// The writer's package, its tables laid out as the game's are.
struct MapPackage {
  std::string header, names, rest; // names: the summary's data, then the names;
                                   // rest: the import and export tables
  std::size_t importBytes;
  ByteRange summary;
  // The header, the name table, the import and export tables and the
  // summary's data.
  std::array<ByteRange, 5> readRanges() const {
    const auto tables = static_cast<off_t>(kHeaderSize + names.size() + kObjectData);
    return {ByteRange{0, kHeaderSize}, ByteRange{kHeaderSize, names.size()}, ByteRange{tables, importBytes},
            ByteRange{tables + static_cast<off_t>(importBytes), rest.size() - importBytes}, summary};
  }
};

MapPackage mapPackage(std::size_t package) {
  PackageWriter writer;
  std::vector<std::int32_t> needed;
  for (std::size_t need = 0; need < kNeeds; ++need)
    needed.push_back(writer.needs(need < kNeeds - kOwnNeeds
                                      ? "Stock" + std::to_string(need)
                                      : "Map" + std::to_string(package) + "-Pack" + std::to_string(need)));
  const std::int32_t summaryClass = writer.addImport("Core", "Class", 0, "LevelSummary");
  for (std::size_t object = kNeeds + 1; object < kImports; ++object)
    writer.addImport("Engine", "Texture", needed[object % kNeeds], "Texture" + std::to_string(object));
  const std::string summary =
      writer.property("Title", 13, latin1Value("Map " + std::to_string(package))) + writer.endOfProperties();
  writer.addExport(summaryClass, "LevelSummary", summary);
  for (std::size_t object = 1; object < kExports; ++object)
    writer.addRawExport("Export" + std::to_string(object), 0, 0);
  // The names of the objects inside, up to the map's count.
  for (std::size_t name = 0; static_cast<std::size_t>(writer.name("MeshActor" + std::to_string(name))) + 1 < kNames;
       ++name) {
  }
  // The writer puts the import table right after the names: it moves back
  // by the hole.
  std::string bytes = writer.bytes();
  const std::size_t importOffset = wordAt(bytes, PackageWriter::kImportOffset);
  const std::size_t exportOffset = wordAt(bytes, PackageWriter::kExportOffset);
  bytes = withWord(bytes, PackageWriter::kImportOffset, static_cast<std::uint32_t>(importOffset + kObjectData));
  bytes = withWord(bytes, PackageWriter::kExportOffset, static_cast<std::uint32_t>(exportOffset + kObjectData));
  return MapPackage{bytes.substr(0, kHeaderSize), bytes.substr(kHeaderSize, importOffset - kHeaderSize),
                    bytes.substr(importOffset), exportOffset - importOffset,
                    ByteRange{static_cast<off_t>(kHeaderSize), summary.size()}};
}

// Writes the package with a hole for its objects' data.
void writeSparse(const std::string &path, const MapPackage &package) {
  const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  const std::string front = package.header + package.names;
  const auto tables = static_cast<off_t>(front.size() + kObjectData);
  if (!file.valid() || ::pwrite(file.get(), front.data(), front.size(), 0) != static_cast<ssize_t>(front.size()) ||
      ::pwrite(file.get(), package.rest.data(), package.rest.size(), tables) !=
          static_cast<ssize_t>(package.rest.size()))
    std::abort();
}

// `count` map packages in a folder, with the byte ranges of each that the
// reading reads.
class CachedMaps {
public:
  explicit CachedMaps(std::size_t count) {
    for (std::size_t package = 0; package < count; ++package) {
      const MapPackage map = mapPackage(package);
      paths_.push_back(folder_.path(std::to_string(package) + ".uxx"));
      writeSparse(paths_.back(), map);
      ranges_.push_back(map.readRanges());
    }
    ::sync();
  }
  const std::vector<std::string> &paths() const { return paths_; }
  const std::vector<std::array<ByteRange, 5>> &ranges() const { return ranges_; }

private:
  BenchFolder folder_;
  std::vector<std::string> paths_;
  std::vector<std::array<ByteRange, 5>> ranges_;
};

// Written once for the whole run: 5,000 files take a while.
constexpr std::size_t kMapCount = 5000;
const CachedMaps &cachedMaps() {
  static const CachedMaps maps(kMapCount);
  return maps;
}

// What the background reading does, into a knowledge of its own.
void learnAll(PackageKnowledge &knowledge, const std::vector<std::string> &paths) {
  for (const std::string &path : paths)
    knowledge.learnAt(path);
}

void BM_ReadNeeds(benchmark::State &state) {
  const CachedMaps &maps = cachedMaps();
  for (auto _ : state) {
    std::optional<PackageKnowledge> knowledge(std::in_place);
    learnAll(*knowledge, maps.paths());
    if (knowledge->size() != maps.paths().size())
      state.SkipWithError("a package was not learnt");
    if (knowledge->lastKnownTitleAt(maps.paths().front()) != "Map 0")
      state.SkipWithError("a map's title was not learnt");
    state.PauseTiming();
    knowledge.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReadNeeds)->Arg(kMapCount)->Repetitions(5)->Unit(benchmark::kMillisecond);

// The same files opened as the reader opens them, and the same ranges read
// whole with one pread each.
void BM_ReadNeedsBaseline(benchmark::State &state) {
  const CachedMaps &maps = cachedMaps();
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
    for (std::size_t package = 0; package < maps.paths().size(); ++package) {
      const FileDescriptor file(
          ::open(maps.paths()[package].c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
      struct stat info {};
      if (!file.valid() || ::fstat(file.get(), &info) != 0)
        state.SkipWithError("a package could not be opened");
      for (const ByteRange &range : maps.ranges()[package])
        benchmark::DoNotOptimize(::pread(file.get(), buffer.data(), range.size, range.offset));
    }
  }
}
BENCHMARK(BM_ReadNeedsBaseline)->Arg(kMapCount)->Repetitions(5)->Unit(benchmark::kMillisecond);

// The heap that what was learnt of each package takes, on average.
void BM_NeedsMemory(benchmark::State &state) {
  const CachedMaps &maps = cachedMaps();
  double perPackage = 0;
  for (auto _ : state) {
    const std::size_t before = mallinfo2().uordblks;
    std::optional<PackageKnowledge> knowledge(std::in_place);
    learnAll(*knowledge, maps.paths());
    const std::size_t after = mallinfo2().uordblks;
    perPackage = static_cast<double>(after - before) / static_cast<double>(maps.paths().size());
  }
  state.counters["bytes_per_package"] = perPackage;
}
BENCHMARK(BM_NeedsMemory)->Arg(kMapCount)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
