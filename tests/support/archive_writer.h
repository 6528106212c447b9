#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Archives the tests write, as players' map packs come: through libarchive's
// own writer, and the game's installer format by hand.
struct ArchiveItem {
  std::string name;
  std::string bytes;
  enum class Kind { File, Link, Device };
  Kind kind = Kind::File;
};

enum class ArchiveFormat { Zip, SevenZip, TarGz, Umod };

// Writes `items` to `path` in `format`; false when libarchive refuses.
bool writeArchive(const std::string &path, ArchiveFormat format, const std::vector<ArchiveItem> &items);

// The game's installer: the files' bytes whole, the file table, the trailer.
std::string umodBytes(const std::vector<ArchiveItem> &items);
