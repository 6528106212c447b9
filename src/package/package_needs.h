#pragma once

#include "catalogue/entry_lists.h"
#include "package/package_knowledge.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the game finds the packages a package needs, and so whether a kept
// map will load: by name, ASCII case and ending aside, first in the game's
// package folders, then in the cache.

// How the game matches a needed name to a file: "DM-Foo.ut2" and "dm-foo"
// are one key.
std::string packageKey(std::string_view name);

// A cache entry by its place in the lists.
struct EntryPlace {
  std::size_t category = 0;
  std::size_t row = 0;
  auto operator<=>(const EntryPlace &) const = default;
};

struct Need {
  enum class Place { InTheGame, InTheCache, Missing };
  std::string name; // as the needing package names it
  Place place = Place::Missing;
  std::string gameFile;            // the file in the game, when there
  std::optional<EntryPlace> entry; // the cache entry, when in the cache
  std::size_t depth = 1;           // 1 for what the package itself needs
};

// What a package needs, through the whole chain; `unreadable` says why a
// package of the chain could not be read (its own needs are then unknown).
struct PackageNeeds {
  std::vector<Need> needs;
  std::vector<std::string> unreadable; // "<name>: <why>"
  bool stopped = false;                // the reading was cancelled first
};

// What the cache entries given together need, through the whole chain.
struct EntriesNeeds {
  // The cached entries needed, none of those given, each once, in the order
  // of the lists.
  std::vector<EntryPlace> cached;
  // For each entry given that needs a package nowhere to be found: what it
  // needs that is missing, by name.
  std::map<EntryPlace, std::vector<std::string>> missing;
  std::vector<std::string> unreadable; // "<name>: <why>"
  bool stopped = false;                // the reading was cancelled first
};

// Said while package files are read that were not known yet.
struct NeedReading {
  std::function<void(const std::string &name)> reading;
  std::function<bool()> cancelled;
  // Reads no file: a package not known yet counts as unreadable.
  bool knownOnly = false;
};

// Why a package counts as unreadable while it was not read yet.
inline constexpr const char *kNotReadYet = "not read yet";

class NeedFinder {
public:
  // `gameFolders` are the installation's package folders, each listed once
  // here; `lists` and `cacheDirectory` the cache, whose entries count only
  // while their cached file is there. What `knowledge` knows of a file is
  // not read again, and what is read is learnt there.
  NeedFinder(const std::vector<std::string> &gameFolders, const ListsView &lists, std::string cacheDirectory,
             PackageKnowledge *knowledge = nullptr);

  // Where the game would find the package called `name`.
  Need find(const std::string &name) const;
  // Everything the package `name` (its real name) whose file is at `path`
  // needs, the packages it needs needing theirs in turn, each once (and never
  // the package itself), at most kMaxDepth deep and kMaxPackages in all.
  PackageNeeds needsOf(const std::string &path, const std::string &name, const NeedReading &reading = {}) const;
  // What the entries at `entries` need, together.
  EntriesNeeds needsOfEntries(const std::vector<EntryPlace> &entries, const NeedReading &reading = {}) const;
  // The cached file of the entry at `place`.
  std::string cachedFile(EntryPlace place) const;

  static constexpr std::size_t kMaxDepth = 16;
  static constexpr std::size_t kMaxPackages = 4096;

private:
  std::string fileOf(const Need &need) const;
  // The facts of the file at `path`, from the knowledge or read now.
  PackageFacts factsOf(const std::string &path, const std::string &name, const NeedReading &reading) const;

  std::map<std::string, std::string> gameFiles_;        // folded base name -> path
  std::multimap<std::string, EntryPlace> cacheEntries_; // folded base name -> entries, in list order
  ListsView lists_;
  std::string cacheDirectory_;
  PackageKnowledge *knowledge_;
};
