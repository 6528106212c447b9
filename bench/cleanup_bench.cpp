// Removing the lines of purged packages from a long index.
#include "bench_inputs.h"

#include "posix/file_descriptor.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "relocation/index_cleanup.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kKeptFiles = 400;

// An index of `entries` lines in a cache folder that holds the files of only
// kKeptFiles of them; the coded names, in index order.
struct StaleCache {
  explicit StaleCache(std::size_t entries) : index(generateIndex(entries)) {
    writeWholeFile(indexPath(), index);
    for (std::size_t start = index.find('\n') + 1; start < index.size();) {
      const std::size_t end = index.find('\n', start);
      names.push_back(index.substr(start, index.find('=', start) - start));
      start = end + 1;
    }
    for (std::size_t kept = 0; kept < kKeptFiles; ++kept)
      writeWholeFile(folder.path(names[kept * (names.size() / kKeptFiles)] + ".uxx"), "package");
  }
  std::string indexPath() const { return folder.path("cache.ini"); }

  BenchFolder folder;
  std::string index;
  std::vector<std::string> names;
};

void BM_RemoveMissingEntries(benchmark::State &state) {
  StaleCache cache(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string problem;
    const std::optional<std::size_t> removed = removeMissingEntries(cache.indexPath(), cache.folder.path("."), problem);
    if (!removed || *removed == 0) {
      state.SkipWithError("the clean-up failed");
      break;
    }
    state.PauseTiming();
    writeWholeFile(cache.indexPath(), cache.index);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RemoveMissingEntries)->Arg(100000)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// The least it could do: look up every cached file once, then write the
// cleaned index durably with one write call, a flush, a rename and a flush of
// the folder.
void BM_RemoveMissingEntriesBaseline(benchmark::State &state) {
  StaleCache cache(static_cast<std::size_t>(state.range(0)));
  const std::string temporary = cache.folder.path("cache.ini.new");
  for (auto _ : state) {
    const FileDescriptor folder(::open(cache.folder.path(".").c_str(), O_RDONLY | O_DIRECTORY));
    std::string text = "[Cache]\n";
    struct stat info {};
    for (const std::string &name : cache.names) {
      if (::fstatat(folder.get(), (name + ".uxx").c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        text += name + "=kept\n";
    }
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    if (!writeAll(file.get(), text.data(), text.size()) || ::fsync(file.get()) != 0 || !file.close() ||
        std::rename(temporary.c_str(), cache.indexPath().c_str()) != 0 || !flushFile(folder.get())) {
      state.SkipWithError("the write failed");
      break;
    }
  }
}
BENCHMARK(BM_RemoveMissingEntriesBaseline)->Arg(100000)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
