#pragma once

#include "package/package_tables.h"
#include "posix/file_descriptor.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>

// Reads a package file of the game, which came from a stranger's server:
// every count, offset and length is checked against the file's size and
// against fixed caps before anything is read or kept, and only the byte
// ranges of the header and the tables are read, never the whole file. A file
// that breaks a rule is unreadable, with the reason; a version this program
// does not know is never guessed at.
struct PackageRead {
  std::optional<PackageTables> tables;
  std::string unreadable; // why, when tables is empty
  // The map's summary object, found when asked for and there is one; its
  // data lies in the file.
  std::optional<PackageExport> mapSummary;
  std::uint64_t bytesRead = 0;
};

struct PackageReadOptions {
  bool exports = false; // also read the export table
  // Also find a map's summary object (of a package whose imports hold the
  // class of map summaries) in its export table, keeping nothing else of
  // it. Other packages cost no more reads.
  bool mapSummary = false;
  // Called once the tables are read, before the file is checked for a
  // change: a test changes it there.
  std::function<void()> afterTables;
};

// Opens `path` for reading without following a link and without waiting on
// a FIFO or a device, as every reader of packages opens one.
FileDescriptor openPackageFile(const std::string &path);

// Opens `path` without following a link and without waiting on a FIFO or a
// device; only a plain file is read.
PackageRead readPackage(const std::string &path, PackageReadOptions options = {});
// The same for a file open for reading; `opened` is its fstat() when the
// caller has it already.
PackageRead readPackage(int fd, PackageReadOptions options = {});
PackageRead readPackage(int fd, const struct stat &opened, PackageReadOptions options = {});

// The oldest and the newest package versions this program reads: the game's
// own releases.
inline constexpr std::uint16_t kOldestPackageVersion = 118;
inline constexpr std::uint16_t kNewestPackageVersion = 128;
