#pragma once

#include "package/package_tables.h"
#include "posix/file_identity.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// What was learnt of each package file read, kept in memory for the run and
// keyed by the file's identity (volume, inode, size, times): a file that
// changes is another key, and is read again. A package's needs are kept in
// one string, so that a package costs a few hundred bytes and learning one
// takes no lookups. Safe to use from the reading thread and the window's at
// once.
struct PackageFacts {
  bool readable = false;
  std::string unreadable; // why not, when not readable
  PackageGuid guid;
  std::vector<std::string> needs;
  std::string title; // a map's, as its summary holds it; empty for none
};

class PackageKnowledge {
public:
  // `path`, when given, is where the file was read: lastKnownAt() answers
  // for it from then on.
  void learn(const FileIdentity &file, const PackageFacts &facts, const std::string &path = {});
  // What is known of the file in its state `file`; nothing when it was not
  // read in that state.
  std::optional<PackageFacts> known(const FileIdentity &file) const;
  // What is known of the file at `path` as it stands now.
  std::optional<PackageFacts> knownAt(const std::string &path) const;
  // Reads the file at `path` and learns what it holds, unless it is known in
  // its present state: what the background reading does for each file.
  // Returns whether it read the file.
  bool learnAt(const std::string &path);
  // What was last learnt or looked up of the file at `path`, without looking
  // at the file again: for counts that may lag a file changed since.
  std::optional<PackageFacts> lastKnownAt(const std::string &path) const;
  // The title last learnt of the map at `path`, as lastKnownAt() knows it;
  // empty when none is known. Costs no copy of the needs: the tables ask it
  // of every map row they filter.
  std::string lastKnownTitleAt(const std::string &path) const;
  std::size_t size() const;

private:
  struct Key {
    dev_t device;
    ino_t inode;
    off_t size;
    std::int64_t modified, changed; // nanoseconds
    auto operator<=>(const Key &) const = default;
  };
  struct Stored {
    bool readable;
    std::string unreadable;
    PackageGuid guid;
    std::string needs; // the names, each ended by a NUL, which no name holds
    std::string title;
  };
  static Key keyOf(const FileIdentity &file);
  PackageFacts factsOf(const Stored &stored) const;

  mutable std::mutex mutex_;
  std::map<Key, Stored> packages_;
  mutable std::unordered_map<std::string, Key> lastAt_;
};

// The facts of the package file at `path`, read now: its GUID and the names
// it needs, or why it is unreadable; and the identity of the file read,
// nothing when nothing could be opened there.
struct ReadFacts {
  std::optional<FileIdentity> file;
  PackageFacts facts;
};
ReadFacts readPackageFacts(const std::string &path);

// Whether a cached file's header names the package its index line does:
// the game keeps a download under its GUID as its cache name (ASCII case
// aside).
bool cacheNameIsGuid(const std::string &cacheName, const PackageGuid &guid);
