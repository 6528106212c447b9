#include "catalogue/package_versions.h"

#include "posix/name_folding.h"

PackageVersions::PackageVersions(std::span<const CacheEntry> list) {
  counts_.reserve(list.size());
  for (const CacheEntry &entry : list)
    ++counts_[foldAsciiCase(entry.utName)];
}

std::size_t PackageVersions::of(std::string_view utName) const {
  const auto found = counts_.find(foldAsciiCase(utName));
  return found == counts_.end() ? 1 : found->second;
}
