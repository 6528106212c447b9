// Reading the index at start-up, and rewriting it after a move.
#include "bench_inputs.h"

#include "catalogue/cache_reader.h"
#include "catalogue/category.h"
#include "posix/file_descriptor.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "relocation/index_writer.h"

#include <benchmark/benchmark.h>

#include <cstdio>

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

// The one pass over the index that start-up makes, sorting its lines into
// the eight lists.
void BM_ReadIndex(benchmark::State &state) {
  const BenchFolder folder;
  const std::string path = folder.path("cache.ini");
  writeWholeFile(path, generateIndex(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    // Start-up keeps the lists it reads; they go when the next run begins.
    std::optional<std::array<std::vector<CacheEntry>, kCategoryCount>> lists = readAllLists(path);
    benchmark::DoNotOptimize(lists);
    state.PauseTiming();
    lists = {};
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReadIndex)->Arg(100000)->Arg(400000)->Repetitions(5)->Unit(benchmark::kMillisecond);

// The same file read once in 64 KiB blocks, counting its line feeds.
void BM_ReadIndexBaseline(benchmark::State &state) {
  const BenchFolder folder;
  const std::string path = folder.path("cache.ini");
  writeWholeFile(path, generateIndex(static_cast<std::size_t>(state.range(0))));
  std::vector<char> block(64 * 1024);
  for (auto _ : state) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY));
    std::size_t lineFeeds = 0;
    for (ssize_t got; (got = readSome(file.get(), block.data(), block.size())) > 0;)
      lineFeeds += static_cast<std::size_t>(std::count(block.data(), block.data() + got, '\n'));
    benchmark::DoNotOptimize(lineFeeds);
  }
}
BENCHMARK(BM_ReadIndexBaseline)->Arg(100000)->Arg(400000)->Repetitions(5)->Unit(benchmark::kMillisecond);

std::vector<CacheEntry> keptEntries(std::size_t count) { return generateEntries(count, false); }

// The rewrite of the move command, without its one-second wait.
void BM_RewriteIndex(benchmark::State &state) {
  const BenchFolder folder;
  const std::string path = folder.path("cache.ini");
  const std::vector<CacheEntry> kept = keptEntries(static_cast<std::size_t>(state.range(0)));
  // The generated entries are all maps, the third category.
  ListsView lists;
  lists[2] = kept;
  writeWholeFile(path, composeIndex(NewIndex{lists, {}, {}}, {}));
  for (auto _ : state) {
    if (!rewriteIndex(path, ".cache-sorter-bench00", NewIndex{lists, {}, {}}))
      state.SkipWithError("the rewrite failed");
  }
}
BENCHMARK(BM_RewriteIndex)->Arg(100000)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// The least a durable replacement of the index does: the same bytes written
// with one write call into a new file, flushed, renamed over the index, and
// the folder flushed.
void BM_RewriteIndexBaseline(benchmark::State &state) {
  const BenchFolder folder;
  const std::string path = folder.path("cache.ini");
  const std::string temporary = folder.path("cache.ini.new");
  const std::vector<CacheEntry> kept = keptEntries(static_cast<std::size_t>(state.range(0)));
  ListsView lists;
  lists[2] = kept;
  const std::string text = composeIndex(NewIndex{lists, {}, {}}, {});
  for (auto _ : state) {
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    if (!writeAll(file.get(), text.data(), text.size()) || ::fsync(file.get()) != 0 || !file.close() ||
        std::rename(temporary.c_str(), path.c_str()) != 0 || !flushFolder(folder.path(".")))
      state.SkipWithError("the write failed");
  }
}
BENCHMARK(BM_RewriteIndexBaseline)->Arg(100000)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
