#pragma once

#include "catalogue/category_folders.h"
#include "relocation/move_progress.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Installing a downloaded archive of the game's files: each file goes by its
// ending into the game's category folder (".int" and ".ucl" into System),
// with the care of Copy to Folder, and nothing half-written ever stands
// under a package's name.

// What becomes of one entry of the archive.
struct ArchiveFile {
  std::size_t index = 0; // in the archive
  std::string name;      // as the archive names it
  enum class Fate { Install, Readme, NotInstalled, Refused };
  Fate fate = Fate::NotInstalled;
  std::string why; // for a file refused, or not installed
  std::size_t category = 0;
  std::string leaf;        // its name in its folder
  std::string destination; // the file it becomes, spelled as the game has it
  enum class Existing { None, Identical, Different };
  Existing existing = Existing::None;
  std::optional<std::uint64_t> size; // as the archive declares it
};

struct ArchivePlan {
  std::string archive;
  std::uint64_t archiveBytes = 0;
  std::vector<ArchiveFile> files;
  std::string unreadable;         // why the archive cannot be installed at all
  std::uint64_t bytesToWrite = 0; // declared, of the files to install
  bool noRoom = false;            // more than the game's volume has free
};

// Reads what `archive` holds and what each file would become in `game`:
// names resolved beneath their folder (a "..", an absolute name, a link or
// a device is refused and listed), and a file of that name in the game
// compared with the archive's, byte for byte where the sizes agree.
ArchivePlan planArchiveInstall(const std::string &archive, const CategoryFolders &game);

struct ArchiveInstallSettings {
  std::string dataHome; // where the record of our temporary files is kept
  // Files whose name the game holds with other bytes replace them; kept
  // otherwise.
  bool replaceDifferent = false;
  std::function<void(const MoveProgress &progress)> progress;
  std::function<bool()> cancelled;
};

// Installs the files `plan` says to: each written as a recorded temporary
// file beside its destination, held to the size it declares and to 200
// bytes out for each byte of the archive, checked against the archive's own
// checksum where it has one, flushed, and renamed into place without
// replacing anything unless a different file is to be replaced. `moved`
// holds what was installed, `stayed` the rest and why.
MoveReport installArchive(const ArchivePlan &plan, const ArchiveInstallSettings &settings);

inline constexpr std::uint64_t kMostOutputPerArchiveByte = 200;

// Writes the archive's text and pictures, for the player to open, into
// `folder` (made when missing) under their own names, each whole or not at
// all, none larger than a few megabytes and none over a file there; returns
// the files written. Their temporary files are recorded in the journal of
// copies in `dataHome`.
std::vector<std::string> extractReadmes(const ArchivePlan &plan, const std::string &folder,
                                        const std::string &dataHome);
