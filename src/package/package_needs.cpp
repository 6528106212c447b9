#include "package/package_needs.h"

#include "posix/directory_handle.h"
#include "posix/name_folding.h"
#include "posix/paths.h"

#include <deque>
#include <set>

namespace {

// Bounds the listing of one game folder.
constexpr std::size_t kMaxFolderEntries = 1 << 20;

} // namespace

std::string packageKey(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  if (slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  const std::size_t dot = name.find('.');
  return foldAsciiCase(name.substr(0, dot));
}

NeedFinder::NeedFinder(const std::vector<std::string> &gameFolders, const ListsView &lists, std::string cacheDirectory,
                       PackageKnowledge *knowledge)
    : lists_(lists), cacheDirectory_(std::move(cacheDirectory)), knowledge_(knowledge) {
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
      gameFiles_.try_emplace(packageKey(name), folder + "/" + name);
    }
  }
  // Whether a cached file is there is asked when a name is looked for, so
  // that a finder of a large cache is made without touching its files.
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    for (std::size_t row = 0; row < lists[category].size(); ++row) {
      const CacheEntry &entry = lists[category][row];
      if (entry.cacheName.find('/') == std::string::npos)
        cacheEntries_.emplace(packageKey(entry.utName), EntryPlace{category, row});
    }
  }
}

Need NeedFinder::find(const std::string &name) const {
  Need need;
  need.name = name;
  const std::string key = packageKey(name);
  if (const auto game = gameFiles_.find(key); game != gameFiles_.end() && plainFileAt(game->second)) {
    need.place = Need::Place::InTheGame;
    need.gameFile = game->second;
    return need;
  }
  const auto [first, last] = cacheEntries_.equal_range(key);
  for (auto cached = first; cached != last; ++cached) {
    if (plainFileAt(cachedFile(cached->second))) {
      need.place = Need::Place::InTheCache;
      need.entry = cached->second;
      break;
    }
  }
  return need;
}

std::string NeedFinder::fileOf(const Need &need) const {
  if (need.place == Need::Place::InTheGame)
    return need.gameFile;
  if (need.entry)
    return cachedFile(*need.entry);
  return {};
}

std::string NeedFinder::cachedFile(EntryPlace place) const {
  return cachedFilePath(cacheDirectory_, lists_[place.category][place.row].cacheName);
}

PackageFacts NeedFinder::factsOf(const std::string &path, const std::string &name, const NeedReading &reading) const {
  if (knowledge_) {
    if (std::optional<PackageFacts> known = knowledge_->knownAt(path))
      return std::move(*known);
  }
  if (reading.knownOnly)
    return PackageFacts{false, kNotReadYet, {}, {}, {}};
  if (reading.reading)
    reading.reading(name);
  ReadFacts read = readPackageFacts(path);
  if (!read.file)
    return PackageFacts{false, "it could not be opened", {}, {}, {}};
  if (knowledge_)
    knowledge_->learn(*read.file, read.facts, path);
  return std::move(read.facts);
}

PackageNeeds NeedFinder::needsOf(const std::string &path, const std::string &name, const NeedReading &reading) const {
  PackageNeeds result;
  // Breadth first, so that each need is found at its least depth; a name
  // met again (a cycle, or a package two others need) is not read again.
  struct Pending {
    std::string file;
    std::string name;
    std::size_t depth;
  };
  std::deque<Pending> pending{{path, name, 0}};
  std::set<std::string> seen{packageKey(name)};
  std::size_t read = 0;
  while (!pending.empty() && read < kMaxPackages) {
    if (reading.cancelled && reading.cancelled()) {
      result.stopped = true;
      break;
    }
    const Pending next = pending.front();
    pending.pop_front();
    ++read;
    const PackageFacts facts = factsOf(next.file, next.name, reading);
    if (!facts.readable) {
      result.unreadable.push_back(next.name + ": " + facts.unreadable);
      continue;
    }
    for (const std::string &needed : facts.needs) {
      if (!seen.insert(packageKey(needed)).second)
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

EntriesNeeds NeedFinder::needsOfEntries(const std::vector<EntryPlace> &entries, const NeedReading &reading) const {
  EntriesNeeds result;
  const std::set<EntryPlace> given(entries.begin(), entries.end());
  std::set<EntryPlace> cached;
  for (const EntryPlace &place : given) {
    const CacheEntry &entry = lists_[place.category][place.row];
    const PackageNeeds needs = needsOf(cachedFile(place), entry.utName, reading);
    for (const Need &need : needs.needs) {
      if (need.entry && !given.contains(*need.entry))
        cached.insert(*need.entry);
      if (need.place == Need::Place::Missing)
        result.missing[place].push_back(need.name);
    }
    result.unreadable.insert(result.unreadable.end(), needs.unreadable.begin(), needs.unreadable.end());
    if (needs.stopped) {
      result.stopped = true;
      break;
    }
  }
  result.cached.assign(cached.begin(), cached.end());
  return result;
}
