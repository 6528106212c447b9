#pragma once

#include "catalogue/entry_lists.h"
#include "package/package_reader.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Where the game finds the packages a package needs, and so whether a kept
// map will load: by name, ASCII case and ending aside, first in the game's
// package folders, then in the cache.

// A cache entry by its place in the lists.
struct EntryPlace {
  std::size_t category = 0;
  std::size_t row = 0;
  bool operator==(const EntryPlace &) const = default;
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
};

class NeedFinder {
public:
  // `gameFolders` are the installation's package folders, each listed once
  // here; `lists` and `cacheDirectory` the cache, whose entries count only
  // while their cached file is there.
  NeedFinder(const std::vector<std::string> &gameFolders, const ListsView &lists, std::string cacheDirectory);

  // Where the game would find the package called `name`.
  Need find(const std::string &name) const;
  // Everything the package `name` (its real name) whose file is at `path`
  // needs, the packages it needs needing theirs in turn, each once (and never
  // the package itself), at most kMaxDepth deep and kMaxPackages in all.
  PackageNeeds needsOf(const std::string &path, const std::string &name) const;

  static constexpr std::size_t kMaxDepth = 16;
  static constexpr std::size_t kMaxPackages = 4096;

private:
  std::string fileOf(const Need &need) const;

  std::map<std::string, std::string> gameFiles_;   // folded base name -> path
  std::map<std::string, EntryPlace> cacheEntries_; // folded base name -> the first entry
  ListsView lists_;
  std::string cacheDirectory_;
};
