#pragma once

#include "package/archive_contents.h"

#include <cstdint>
#include <string>
#include <vector>

// A file the game's installer holds: its bytes lie whole in the installer.
struct UmodFile {
  std::string name; // "Maps/DM-X.ut2": the installer's "\" turned into "/"
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
};

struct UmodContents {
  std::vector<UmodFile> files;
  std::string unreadable; // why, when it is not an installer this reads
};

// Whether the file open as `fd`, of `fileSize` bytes, ends with the
// installer's trailer.
bool looksLikeUmod(int fd, std::uint64_t fileSize);

// The file table of the installer open as `fd`: the trailer's magic, its
// record of the file's size, the table's place, each name and each file's
// bytes checked to lie in the file, before the table.
UmodContents readUmodContents(int fd, std::uint64_t fileSize);
