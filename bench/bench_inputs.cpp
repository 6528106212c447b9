#include "bench_inputs.h"

#include "catalogue/category.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::array<const char *, 8> kNamePatterns = {
    "HumanModel-%zu.ukx",   "Ragdoll-%zu.ka", "DM-Example-%zu.ut2", "Soundtrack-%zu.ogg",
    "WeaponSounds-%zu.uax", "Crates-%zu.usx", "Mutator-%zu.u",      "Skins-%zu.utx",
};

std::string codedName(std::mt19937_64 &random) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name(32, '0');
  for (char &digit : name)
    digit = kHex[random() % 16];
  return name;
}

std::string realName(std::size_t index) {
  char name[64];
  std::snprintf(name, sizeof name, kNamePatterns[index % kNamePatterns.size()], index);
  return name;
}

} // namespace

std::string generateIndex(std::size_t entries) {
  std::mt19937_64 random(2004);
  std::string index = "[Cache]\r\n";
  index.reserve(entries * 56);
  for (std::size_t line = 0; line < entries; ++line) {
    index += codedName(random);
    index += '=';
    index += line % 50 == 49 ? "ServerInfo-" + std::to_string(line) + ".int" : realName(line);
    index += line % 3 == 0 ? "\r\n" : "\n";
  }
  return index;
}

std::vector<CacheEntry> generateEntries(std::size_t count, bool halfTicked) {
  std::mt19937_64 random(2004);
  std::vector<CacheEntry> entries;
  entries.reserve(count);
  for (std::size_t index = 0; index < count; ++index)
    entries.push_back(CacheEntry{halfTicked && index % 2 == 0 ? 1 : 0, realName(index * 8 + 2), codedName(random)});
  return entries;
}

void evictCaches() {
  // Larger than the largest last-level cache seen on the machines this runs on.
  static std::vector<char> sweep(512 * 1024 * 1024, 1);
  volatile char sink = 0;
  for (std::size_t offset = 0; offset < sweep.size(); offset += 64) {
    sweep[offset] = static_cast<char>(sweep[offset] + 1);
    sink = sweep[offset];
  }
  (void)sink;
}

BenchFolder::BenchFolder(const std::string &parent) {
  const std::filesystem::path where =
      parent.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(parent);
  std::string pattern = (where / "cache-sorter-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error("cannot create a benchmark folder");
  root_ = pattern;
}

BenchFolder::~BenchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void writeWholeFile(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + path);
}

SyncWhenGone::~SyncWhenGone() { ::sync(); }

ManyPackages::ManyPackages(std::size_t count, bool sameVolume, const std::string &parent)
    : folder_(parent), home_(sameVolume ? folder_.path("Volumes/Games/Users/player") : folder_.path("home")) {
  constexpr std::size_t kPackageSize = 4096;
  const std::string cache = cacheDirectory();
  std::filesystem::create_directories(cache);
  for (const Category &category : kCategories)
    std::filesystem::create_directories(game() + "/" + std::string(category.name));
  const std::string bytes(kPackageSize, 'p');
  std::string index = "[Cache]\n";
  for (std::size_t package = 0; package < count; ++package) {
    const Category &category = kCategories[package % kCategories.size()];
    const std::string cacheName = "P" + std::to_string(package);
    names_.push_back(std::string(category.name) + "/Package-" + std::to_string(package) + std::string(category.ending));
    index += cacheName + "=" + names_.back().substr(category.name.size() + 1) + "\n";
    writeWholeFile(cache + "/" + cacheName + ".uxx", bytes);
  }
  writeWholeFile(cache + "/cache.ini", index);
  ::sync();
}

IndexedCache::IndexedCache(std::size_t entries) {
  const std::string cache = folder_.path("home/Library/Application Support/Unreal Tournament 2004/Cache");
  std::filesystem::create_directories(cache);
  std::filesystem::create_directories(folder_.path("Volumes/Games/Applications/Unreal Tournament 2004.app/Maps"));
  writeWholeFile(cache + "/cache.ini", generateIndex(entries));
}

double measureInFreshProcess(const std::function<double()> &measure) {
  int channel[2];
  if (::pipe(channel) != 0)
    return -1;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(channel[0]);
    ::close(channel[1]);
    return -1;
  }
  if (child == 0) {
    ::close(channel[0]);
    const double seconds = measure();
    [[maybe_unused]] const ssize_t written = ::write(channel[1], &seconds, sizeof seconds);
    ::_exit(0);
  }
  ::close(channel[1]);
  double seconds = -1;
  const bool read = ::read(channel[0], &seconds, sizeof seconds) == sizeof seconds;
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  return seconds;
}

long peakKibOfChild(const std::string &option, const std::string &source, const std::string &destination) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = "'" + self + "' " + option + " '" + source + "' '" + destination + "'";
  FILE *child = ::popen(command.c_str(), "r");
  if (!child)
    return -1;
  long peak = -1;
  if (std::fscanf(child, "%ld", &peak) != 1)
    peak = -1;
  return ::pclose(child) == 0 ? peak : -1;
}

void recordPeakMemory(benchmark::State &state, const std::function<long(bool large)> &work) {
  long smallPeak = 0;
  long largePeak = 0;
  for (auto _ : state) {
    smallPeak = work(false);
    largePeak = work(true);
  }
  if (smallPeak < 0 || largePeak < 0)
    state.SkipWithError("a child process failed");
  state.counters["peak_kib_1MiB"] = static_cast<double>(smallPeak);
  state.counters["peak_kib_256MiB"] = static_cast<double>(largePeak);
  state.counters["extra_kib"] = static_cast<double>(largePeak - smallPeak);
}

void timeInFreshProcesses(benchmark::State &state, const std::function<double()> &measure, const char *failure) {
  for (auto _ : state) {
    const double seconds = measureInFreshProcess(measure);
    if (seconds < 0) {
      state.SkipWithError(failure);
      break;
    }
    state.SetIterationTime(seconds);
  }
}
