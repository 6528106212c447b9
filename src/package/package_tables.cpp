#include "package/package_tables.h"

#include "posix/name_folding.h"

#include <algorithm>
#include <cstdio>
#include <optional>

std::string PackageGuid::text() const {
  char text[33] = {};
  std::snprintf(text, sizeof text, "%08X%08X%08X%08X", words[0], words[1], words[2], words[3]);
  return text;
}

bool refersToObject(const PackageTables &tables, std::int32_t ref) {
  if (ref < 0)
    return -static_cast<std::int64_t>(ref) - 1 < static_cast<std::int64_t>(tables.imports.size());
  return ref > 0 && static_cast<std::size_t>(ref) - 1 < tables.exports.size();
}

std::string_view objectNameAt(const PackageTables &tables, std::int32_t ref) {
  if (ref < 0)
    return tables.names[tables.imports[static_cast<std::size_t>(-static_cast<std::int64_t>(ref) - 1)].objectName];
  if (ref > 0)
    return tables.names[tables.exports[static_cast<std::size_t>(ref - 1)].objectName];
  return {};
}

namespace {

// Orders names by their folded forms, without making them.
bool foldedLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(foldAsciiCapital(x)) < static_cast<unsigned char>(foldAsciiCapital(y));
  });
}

// A hash of the folded form (FNV-1a), so that sorting compares numbers.
std::uint64_t foldedHash(std::string_view name) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (const char c : name)
    hash = (hash ^ static_cast<unsigned char>(foldAsciiCapital(c))) * 0x100000001B3u;
  return hash;
}

} // namespace

std::vector<std::string> neededPackages(const PackageTables &tables) {
  // Each name once, ASCII case aside, in table order: sorted by its folded
  // form and then its place, the first of each kept.
  struct Candidate {
    std::string_view name;
    std::uint64_t hash;
    std::size_t place;
  };
  std::vector<Candidate> candidates;
  // A map needs a few dozen packages: more grow the list as usual.
  candidates.reserve(std::min<std::size_t>(tables.imports.size(), 64));
  // The class is one name for all the imports of packages, most often.
  std::optional<std::uint32_t> packageClass;
  for (const PackageImport &entry : tables.imports) {
    if (entry.outer != 0)
      continue;
    if (entry.className != packageClass) {
      if (!equalsAsciiFolded(tables.names[entry.className], "package"))
        continue;
      packageClass = entry.className;
    }
    const std::string_view name = tables.names[entry.objectName];
    if (!name.empty())
      candidates.push_back(Candidate{name, foldedHash(name), candidates.size()});
  }
  std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
    if (a.hash != b.hash)
      return a.hash < b.hash;
    if (!equalsAsciiFolded(a.name, b.name))
      return foldedLess(a.name, b.name);
    return a.place < b.place;
  });
  candidates.erase(
      std::unique(candidates.begin(), candidates.end(),
                  [](const Candidate &a, const Candidate &b) { return equalsAsciiFolded(a.name, b.name); }),
      candidates.end());
  std::sort(candidates.begin(), candidates.end(),
            [](const Candidate &a, const Candidate &b) { return a.place < b.place; });
  std::vector<std::string> needed;
  needed.reserve(candidates.size());
  for (const Candidate &candidate : candidates)
    needed.emplace_back(candidate.name);
  return needed;
}
