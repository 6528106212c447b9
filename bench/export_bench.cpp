// Writing a large package as a redirect server's .uz2 on every core, against
// zlib's compress() of the same chunks on one.
#include "bench_inputs.h"

#include "posix/file_descriptor.h"
#include "relocation/uz2_writer.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// Bytes that compress about as a map package does, to a third or so: runs
// of words from a small vocabulary among random bytes.
std::string packageLikeBytes(std::size_t size) {
  std::mt19937 random(2004);
  const char *words[] = {"StaticMesh", "Texture", "Brush", "Actor", "Light", "Vector", "Rotator", "None"};
  std::string bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    if (random() % 3 == 0) {
      for (int noise = 0; noise < 24; ++noise)
        bytes += static_cast<char>(random());
    } else {
      bytes += words[random() % 8];
    }
  }
  bytes.resize(size);
  return bytes;
}

struct ExportFixture {
  explicit ExportFixture(std::size_t size) { writeWholeFile(source, packageLikeBytes(size)); }
  BenchFolder folder;
  std::string source = folder.path("package.uxx");
  std::string destination = folder.path("DM-Large.ut2.uz2");
};

bool exportOnce(const std::string &source, const std::string &destination) {
  const FileDescriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  const FileDescriptor output(::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  const off_t size = ::lseek(input.get(), 0, SEEK_END);
  ::lseek(input.get(), 0, SEEK_SET);
  return input.valid() && output.valid() && writeUz2(input.get(), static_cast<std::uint64_t>(size), output.get()) == 0;
}

void BM_ExportUz2(benchmark::State &state) {
  const ExportFixture fixture(static_cast<std::size_t>(state.range(0)) * kMiB);
  for (auto _ : state) {
    if (!exportOnce(fixture.source, fixture.destination))
      state.SkipWithError("the export failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * kMiB);
  state.counters["threads"] = uz2Threads(0);
}
BENCHMARK(BM_ExportUz2)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

// compress() of each 32 KiB chunk in turn, on one thread, from memory, with
// nothing read or written: what the export must beat.
void BM_ExportUz2Baseline(benchmark::State &state) {
  const std::string bytes = packageLikeBytes(static_cast<std::size_t>(state.range(0)) * kMiB);
  std::vector<unsigned char> output(kUz2MostCompressed);
  for (auto _ : state) {
    for (std::size_t at = 0; at < bytes.size(); at += kUz2ChunkSize) {
      uLongf length = output.size();
      const std::size_t chunk = std::min(kUz2ChunkSize, bytes.size() - at);
      if (compress(output.data(), &length, reinterpret_cast<const Bytef *>(bytes.data() + at), chunk) != Z_OK)
        state.SkipWithError("compress() failed");
      benchmark::DoNotOptimize(output.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * kMiB);
}
BENCHMARK(BM_ExportUz2Baseline)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

// Each export in a fresh process of this program (see exportAndReportPeak).
void BM_ExportPeakMemory(benchmark::State &state) {
  const ExportFixture small(1 * kMiB);
  const ExportFixture large(256 * kMiB);
  recordPeakMemory(state, [&](bool isLarge) {
    const ExportFixture &fixture = isLarge ? large : small;
    return peakKibOfChild("--export-and-report-peak", fixture.source, fixture.destination);
  });
  state.counters["threads"] = uz2Threads(0);
}
BENCHMARK(BM_ExportPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int exportAndReportPeak(const char *source, const char *destination) {
  if (!exportOnce(source, destination))
    return 1;
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("%ld\n", usage.ru_maxrss);
  return 0;
}
