#include "package/package_needs.h"

#include "posix/directory_handle.h"
#include "posix/name_folding.h"

#include <deque>
#include <set>
#include <sys/stat.h>

namespace {

// Bounds the listing of one game folder.
constexpr std::size_t kMaxFolderEntries = 1 << 20;

// "DM-Foo.ut2" -> "dm-foo": how the game matches a needed name.
std::string baseKey(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  if (slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  const std::size_t dot = name.find('.');
  return foldAsciiCase(name.substr(0, dot));
}

bool plainFileAt(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

NeedFinder::NeedFinder(const std::vector<std::string> &gameFolders, const ListsView &lists, std::string cacheDirectory)
    : lists_(lists), cacheDirectory_(std::move(cacheDirectory)) {
  for (const std::string &folder : gameFolders) {
    const DirectoryHandle listing = openDirectory(folder);
    std::size_t seen = 0;
    while (listing && seen++ < kMaxFolderEntries) {
      const dirent *entry = ::readdir(listing.get());
      if (!entry)
        break;
      const std::string name = entry->d_name;
      if (name.starts_with('.'))
        continue;
      // The first folder that holds a name is the one the game reads.
      gameFiles_.try_emplace(baseKey(name), folder + "/" + name);
    }
  }
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    for (std::size_t row = 0; row < lists[category].size(); ++row) {
      const CacheEntry &entry = lists[category][row];
      const std::string key = baseKey(entry.utName);
      if (cacheEntries_.contains(key) || entry.cacheName.find('/') != std::string::npos ||
          !plainFileAt(cachedFilePath(cacheDirectory_, entry.cacheName)))
        continue;
      cacheEntries_.emplace(key, EntryPlace{category, row});
    }
  }
}

Need NeedFinder::find(const std::string &name) const {
  Need need;
  need.name = name;
  const std::string key = baseKey(name);
  if (const auto game = gameFiles_.find(key); game != gameFiles_.end() && plainFileAt(game->second)) {
    need.place = Need::Place::InTheGame;
    need.gameFile = game->second;
  } else if (const auto cached = cacheEntries_.find(key); cached != cacheEntries_.end()) {
    need.place = Need::Place::InTheCache;
    need.entry = cached->second;
  }
  return need;
}

std::string NeedFinder::fileOf(const Need &need) const {
  if (need.place == Need::Place::InTheGame)
    return need.gameFile;
  if (need.entry)
    return cachedFilePath(cacheDirectory_, lists_[need.entry->category][need.entry->row].cacheName);
  return {};
}

PackageNeeds NeedFinder::needsOf(const std::string &path, const std::string &name) const {
  PackageNeeds result;
  // Breadth first, so that each need is found at its least depth; a name
  // met again (a cycle, or a package two others need) is not read again.
  struct Pending {
    std::string file;
    std::string name;
    std::size_t depth;
  };
  std::deque<Pending> pending{{path, name, 0}};
  std::set<std::string> seen{baseKey(name)};
  std::size_t read = 0;
  while (!pending.empty() && read < kMaxPackages) {
    const Pending next = pending.front();
    pending.pop_front();
    ++read;
    const PackageRead package = readPackage(next.file);
    if (!package.tables) {
      result.unreadable.push_back(next.name + ": " + package.unreadable);
      continue;
    }
    for (const std::string &needed : neededPackages(*package.tables)) {
      if (!seen.insert(baseKey(needed)).second)
        continue;
      Need need = find(needed);
      need.depth = next.depth + 1;
      const std::string file = fileOf(need);
      if (!file.empty() && need.depth < kMaxDepth)
        pending.push_back({file, needed, need.depth});
      result.needs.push_back(std::move(need));
    }
  }
  return result;
}
