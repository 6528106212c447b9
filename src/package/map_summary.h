#pragma once

#include "package/package_tables.h"

#include <cstdint>
#include <optional>
#include <string>

// What the game's map list shows of a map, as its LevelSummary object holds
// it. Only what the author set is there: a field left out is empty.
struct MapSummary {
  std::string title, author, description; // UTF-8
  std::optional<std::int32_t> minPlayers, maxPlayers;
  // The preview: an object reference (an import or an export of the map),
  // 0 when there is none.
  std::int32_t screenshot = 0;
  bool operator==(const MapSummary &) const = default;
};

struct MapSummaryRead {
  // Nothing when the package holds no summary, or one that cannot be read.
  std::optional<MapSummary> summary;
  // Why the summary could not be read, or why it was read only in part:
  // what came before a malformed property is kept.
  std::string problem;
};

// The reference of the class of map summaries among the package's
// imports, 0 when it has none: only a map does, and only then is its
// export table worth reading for one.
std::int32_t mapSummaryClass(const PackageTables &tables);

// Reads the summary of the package open as `fd`, whose tables, exports
// among them, were read from it; `fileSize` is its size then. Reads only the
// summary's own data.
MapSummaryRead readMapSummary(int fd, std::uint64_t fileSize, const PackageTables &tables);
// The same for the summary object `summary`, found without the export
// table.
MapSummaryRead readMapSummary(int fd, std::uint64_t fileSize, const PackageTables &tables,
                              const PackageExport &summary);
