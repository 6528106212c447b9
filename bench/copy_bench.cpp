// Copying a large package across volumes, against cp and sync.
#include "bench_inputs.h"

#include "posix/beneath.h"
#include "posix/paths.h"
#include "relocation/file_copy.h"
#include "relocation/replacement_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

std::string randomBytes(std::size_t size) {
  std::mt19937_64 random(2004);
  std::string bytes(size, '\0');
  for (std::size_t offset = 0; offset + 8 <= size; offset += 8) {
    const std::uint64_t word = random();
    std::memcpy(bytes.data() + offset, &word, 8);
  }
  return bytes;
}

// Copies `source` to `destination` as a move copies one package, flushed to
// disk before it takes the destination's place.
bool copyPackage(const std::string &source, const std::string &destination) {
  const FileDescriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  const FileDescriptor folder = openFolder(folderOf(destination));
  if (!input.valid() || ::fstat(input.get(), &info) != 0 || !folder.valid())
    return false;
  ReplacementFile output(folder.get(), destination.substr(destination.rfind('/') + 1), newTemporaryName(folder.get()));
  return output.valid() && copyContents(input.get(), output.fd(), static_cast<std::uint64_t>(info.st_size)) == 0 &&
         output.finish(ReplacementFile::Flush::Now) && output.commit();
}

struct CopyFixture {
  explicit CopyFixture(std::size_t size) {
    std::filesystem::create_directory(folder.path("destination"));
    writeWholeFile(source, randomBytes(size));
    // The source is on disk before the clock starts, so that no flush
    // measured pays for it.
    ::sync();
  }
  SyncWhenGone syncWhenGone;
  BenchFolder folder;
  std::string source = folder.path("package.uxx");
  std::string destination = folder.path("destination/DM-Large.ut2");
};

void BM_CopyFile(benchmark::State &state) {
  const CopyFixture fixture(static_cast<std::size_t>(state.range(0)) * kMiB);
  for (auto _ : state) {
    if (!copyPackage(fixture.source, fixture.destination))
      state.SkipWithError("the copy failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * kMiB);
}
BENCHMARK(BM_CopyFile)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(5);

// cp, then sync of the copied file, on the same file and folders.
void BM_CopyFileBaseline(benchmark::State &state) {
  const CopyFixture fixture(static_cast<std::size_t>(state.range(0)) * kMiB);
  const std::string command =
      "cp '" + fixture.source + "' '" + fixture.destination + "' && sync '" + fixture.destination + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("cp failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * kMiB);
}
BENCHMARK(BM_CopyFileBaseline)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(5);

// Each copy in a fresh process of this program (see copyAndReportPeak).
void BM_CopyPeakMemory(benchmark::State &state) {
  const CopyFixture small(1 * kMiB);
  const CopyFixture large(256 * kMiB);
  recordPeakMemory(state, [&](bool isLarge) {
    const CopyFixture &fixture = isLarge ? large : small;
    return peakKibOfChild("--copy-and-report-peak", fixture.source, fixture.destination);
  });
}
BENCHMARK(BM_CopyPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int copyAndReportPeak(const char *source, const char *destination) {
  if (!copyPackage(source, destination))
    return 1;
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("%ld\n", usage.ru_maxrss);
  return 0;
}
