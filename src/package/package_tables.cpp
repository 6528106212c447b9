#include "package/package_tables.h"

#include "posix/name_folding.h"

#include <cstdio>
#include <set>

std::string PackageGuid::text() const {
  char text[33] = {};
  std::snprintf(text, sizeof text, "%08X%08X%08X%08X", words[0], words[1], words[2], words[3]);
  return text;
}

std::vector<std::string> neededPackages(const PackageTables &tables) {
  std::vector<std::string> needed;
  std::set<std::string> seen;
  for (const PackageImport &entry : tables.imports) {
    if (entry.outer != 0 || foldAsciiCase(tables.names[entry.className]) != "package")
      continue;
    const std::string &name = tables.names[entry.objectName];
    if (!name.empty() && seen.insert(foldAsciiCase(name)).second)
      needed.push_back(name);
  }
  return needed;
}
