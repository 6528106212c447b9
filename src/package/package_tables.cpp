#include "package/package_tables.h"

#include "posix/name_folding.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

std::string PackageGuid::text() const {
  char text[33] = {};
  std::snprintf(text, sizeof text, "%08X%08X%08X%08X", words[0], words[1], words[2], words[3]);
  return text;
}

namespace {

bool isPackageClass(std::string_view name) {
  constexpr std::string_view kPackage = "package";
  if (name.size() != kPackage.size())
    return false;
  for (std::size_t index = 0; index < name.size(); ++index) {
    const char folded = name[index] >= 'A' && name[index] <= 'Z' ? static_cast<char>(name[index] + 32) : name[index];
    if (folded != kPackage[index])
      return false;
  }
  return true;
}

} // namespace

std::vector<std::string> neededPackages(const PackageTables &tables) {
  // Each name once, ASCII case aside, in table order: sorted by its folded
  // form and then its place, the first of each kept.
  struct Candidate {
    std::string folded;
    std::size_t place;
    std::string_view name;
  };
  std::vector<Candidate> candidates;
  for (const PackageImport &entry : tables.imports) {
    const std::string_view name = tables.names[entry.objectName];
    if (entry.outer == 0 && !name.empty() && isPackageClass(tables.names[entry.className]))
      candidates.push_back(Candidate{foldAsciiCase(name), candidates.size(), name});
  }
  std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
    return std::tie(a.folded, a.place) < std::tie(b.folded, b.place);
  });
  candidates.erase(std::unique(candidates.begin(), candidates.end(),
                               [](const Candidate &a, const Candidate &b) { return a.folded == b.folded; }),
                   candidates.end());
  std::sort(candidates.begin(), candidates.end(),
            [](const Candidate &a, const Candidate &b) { return a.place < b.place; });
  std::vector<std::string> needed;
  needed.reserve(candidates.size());
  for (const Candidate &candidate : candidates)
    needed.emplace_back(candidate.name);
  return needed;
}
