// Installing a map pack: a zip of 40 packages, 200 MiB, against unzip into
// the same folders and one sync.
#include "bench_inputs.h"

#include "archive_writer.h"
#include "catalogue/category_folders.h"
#include "relocation/archive_install.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

constexpr std::size_t kPackages = 40;

// Bytes that deflate as little as real packages do.
std::string packageBytes(std::size_t seed, std::size_t size) {
  std::mt19937_64 random(seed);
  std::string bytes(size, '\0');
  for (std::size_t offset = 0; offset + 8 <= bytes.size(); offset += 8) {
    const std::uint64_t word = random();
    std::memcpy(bytes.data() + offset, &word, 8);
  }
  return bytes;
}

struct PackFixture {
  explicit PackFixture(std::size_t mebibytes) {
    std::vector<ArchiveItem> items;
    for (std::size_t index = 0; index < kPackages; ++index)
      items.push_back(
          {(index % 2 ? "Maps/DM-Pack" : "Textures/Pack") + std::to_string(index) + (index % 2 ? ".ut2" : ".utx"),
           packageBytes(index, mebibytes * 1024 * 1024 / kPackages)});
    if (!writeArchive(archive, ArchiveFormat::Zip, items))
      std::abort();
    ::sync();
  }
  void emptyGame() const {
    std::filesystem::remove_all(game);
    for (const char *folder : {"System", "Maps", "Textures"})
      std::filesystem::create_directories(game + "/" + folder);
  }
  SyncWhenGone syncWhenGone;
  BenchFolder folder;
  std::string archive = folder.path("pack.zip");
  std::string game = folder.path("game");
  std::string data = folder.path("data");
};

void BM_InstallArchive(benchmark::State &state) {
  const PackFixture fixture(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    fixture.emptyGame();
    state.ResumeTiming();
    const ArchivePlan plan = planArchiveInstall(fixture.archive, CategoryFolders(fixture.game));
    if (installArchive(plan, ArchiveInstallSettings{fixture.data, false, {}, {}}).moved.size() != kPackages)
      state.SkipWithError("the install failed");
  }
}
BENCHMARK(BM_InstallArchive)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(3);

// unzip into the game folder, then one sync.
void BM_InstallArchiveBaseline(benchmark::State &state) {
  const PackFixture fixture(static_cast<std::size_t>(state.range(0)));
  const std::string command = "unzip -q -o '" + fixture.archive + "' -d '" + fixture.game + "' && sync";
  for (auto _ : state) {
    state.PauseTiming();
    fixture.emptyGame();
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("unzip failed");
  }
}
BENCHMARK(BM_InstallArchiveBaseline)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2)
    ->Repetitions(3);

} // namespace
