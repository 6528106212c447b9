#include "package/package_knowledge.h"

#include "package/package_reader.h"
#include "posix/file_descriptor.h"
#include "posix/name_folding.h"

#include <fcntl.h>

#include <sys/stat.h>

namespace {

std::int64_t nanoseconds(const struct timespec &time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

PackageKnowledge::Key PackageKnowledge::keyOf(const FileIdentity &file) {
  return Key{file.device, file.inode, file.size, nanoseconds(file.modified), nanoseconds(file.changed)};
}

void PackageKnowledge::learn(const FileIdentity &file, const PackageFacts &facts, const std::string &path) {
  const std::lock_guard lock(mutex_);
  if (!path.empty())
    lastAt_.insert_or_assign(path, keyOf(file));
  Stored stored{facts.readable, facts.unreadable, facts.guid, {}};
  stored.needs.reserve(facts.needs.size());
  for (const std::string &name : facts.needs) {
    auto [known, isNew] = nameIndex_.try_emplace(name, static_cast<std::uint32_t>(names_.size()));
    if (isNew)
      names_.push_back(name);
    stored.needs.push_back(known->second);
  }
  stored.needs.shrink_to_fit();
  packages_.insert_or_assign(keyOf(file), std::move(stored));
}

PackageFacts PackageKnowledge::factsOf(const Stored &stored) const {
  PackageFacts facts{stored.readable, stored.unreadable, stored.guid, {}};
  facts.needs.reserve(stored.needs.size());
  for (const std::uint32_t name : stored.needs)
    facts.needs.push_back(names_[name]);
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

std::size_t PackageKnowledge::size() const {
  const std::lock_guard lock(mutex_);
  return packages_.size();
}

ReadFacts readPackageFacts(const std::string &path) {
  ReadFacts read;
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0)
    return read;
  // Read from the file whose identity is kept: it is refused if it changes.
  read.file = FileIdentity::of(info);
  const PackageRead package = readPackage(file.get());
  if (!package.tables)
    read.facts = PackageFacts{false, package.unreadable, {}, {}};
  else
    read.facts = PackageFacts{true, {}, package.tables->header.guid, neededPackages(*package.tables)};
  return read;
}

bool cacheNameIsGuid(const std::string &cacheName, const PackageGuid &guid) {
  return foldAsciiCase(cacheName) == foldAsciiCase(guid.text());
}
