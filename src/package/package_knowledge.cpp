#include "package/package_knowledge.h"

#include "package/map_summary.h"
#include "package/package_reader.h"
#include "posix/file_descriptor.h"
#include "posix/name_folding.h"

#include <sys/stat.h>

namespace {

std::int64_t nanoseconds(const struct timespec &time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

PackageFacts factsOfOpenFile(int fd, const struct stat &opened) {
  PackageReadOptions options;
  options.mapSummary = true;
  const PackageRead package = readPackage(fd, opened, options);
  if (!package.tables)
    return PackageFacts{false, package.unreadable, {}, {}, {}};
  PackageFacts facts{true, {}, package.tables->header.guid, neededPackages(*package.tables), {}};
  // A summary that cannot be read leaves the title empty: the package is
  // still readable, and the pane says why when it is shown.
  if (package.mapSummary) {
    if (const MapSummaryRead read =
            readMapSummary(fd, static_cast<std::uint64_t>(opened.st_size), *package.tables, *package.mapSummary);
        read.summary)
      facts.title = read.summary->title;
  }
  return facts;
}

} // namespace

PackageKnowledge::Key PackageKnowledge::keyOf(const FileIdentity &file) {
  return Key{file.device, file.inode, file.size, nanoseconds(file.modified), nanoseconds(file.changed)};
}

void PackageKnowledge::learn(const FileIdentity &file, const PackageFacts &facts, const std::string &path) {
  const std::lock_guard lock(mutex_);
  if (!path.empty())
    lastAt_.insert_or_assign(path, keyOf(file));
  Stored stored{facts.readable, facts.unreadable, facts.guid, {}, facts.title};
  std::size_t length = 0;
  for (const std::string &name : facts.needs)
    length += name.size() + 1;
  stored.needs.reserve(length);
  for (const std::string &name : facts.needs)
    stored.needs.append(name, 0, name.find('\0')) += '\0';
  packages_.insert_or_assign(keyOf(file), std::move(stored));
}

PackageFacts PackageKnowledge::factsOf(const Stored &stored) const {
  PackageFacts facts{stored.readable, stored.unreadable, stored.guid, {}, stored.title};
  for (std::size_t begin = 0, end; (end = stored.needs.find('\0', begin)) != std::string::npos; begin = end + 1)
    facts.needs.emplace_back(stored.needs, begin, end - begin);
  return facts;
}

std::optional<PackageFacts> PackageKnowledge::known(const FileIdentity &file) const {
  const std::lock_guard lock(mutex_);
  const auto found = packages_.find(keyOf(file));
  if (found == packages_.end())
    return std::nullopt;
  return factsOf(found->second);
}

std::optional<PackageFacts> PackageKnowledge::knownAt(const std::string &path) const {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return std::nullopt;
  const Key key = keyOf(FileIdentity::of(info));
  const std::lock_guard lock(mutex_);
  const auto found = packages_.find(key);
  if (found == packages_.end())
    return std::nullopt;
  lastAt_.insert_or_assign(path, key);
  return factsOf(found->second);
}

std::optional<PackageFacts> PackageKnowledge::lastKnownAt(const std::string &path) const {
  const std::lock_guard lock(mutex_);
  const auto at = lastAt_.find(path);
  if (at == lastAt_.end())
    return std::nullopt;
  const auto found = packages_.find(at->second);
  if (found == packages_.end())
    return std::nullopt;
  return factsOf(found->second);
}

std::string PackageKnowledge::lastKnownTitleAt(const std::string &path) const {
  const std::lock_guard lock(mutex_);
  const auto at = lastAt_.find(path);
  if (at == lastAt_.end())
    return {};
  const auto found = packages_.find(at->second);
  return found == packages_.end() ? std::string() : found->second.title;
}

std::size_t PackageKnowledge::size() const {
  const std::lock_guard lock(mutex_);
  return packages_.size();
}

ReadFacts readPackageFacts(const std::string &path) {
  ReadFacts read;
  const FileDescriptor file = openPackageFile(path);
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0)
    return read;
  // Read from the file whose identity is kept: it is refused if it changes.
  read.file = FileIdentity::of(info);
  read.facts = factsOfOpenFile(file.get(), info);
  return read;
}

bool PackageKnowledge::learnAt(const std::string &path) {
  // The identity comes from the file opened, so that a known file costs no
  // more than opening it.
  const FileDescriptor file = openPackageFile(path);
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0)
    return false;
  const FileIdentity identity = FileIdentity::of(info);
  {
    const std::lock_guard lock(mutex_);
    if (packages_.contains(keyOf(identity))) {
      lastAt_.insert_or_assign(path, keyOf(identity));
      return false;
    }
  }
  learn(identity, factsOfOpenFile(file.get(), info), path);
  return true;
}

bool cacheNameIsGuid(const std::string &cacheName, const PackageGuid &guid) {
  return equalsAsciiFolded(cacheName, guid.text());
}
