#pragma once

#include "catalogue/entry_lists.h"
#include "relocation/move_plan.h"
#include "relocation/move_progress.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Copies of packages put outside the game, the cache and its index left as
// they are: under their real names for sharing or a backup, or compressed
// for a redirect server.
enum class CopyFormat {
  Plain, // "<folder>/<utName>", or "<folder>/<Category>/<utName>"
  Uz2,   // "<folder>/<utName>.uz2", flat, as a redirect server serves them
};

struct CopyOutSettings {
  std::string cacheDirectory;
  std::string folder;   // where the copies go; an absolute path, and it must exist
  std::string dataHome; // the user's data folder, where the copies' journal is kept
  CopyFormat format = CopyFormat::Plain;
  // Plain copies only: each in a folder named after its category, made when
  // missing.
  bool intoCategoryFolders = false;
  // Files already at a copy's name are replaced; otherwise those packages
  // are left out and the files stay.
  bool replaceExisting = false;
  // Packages whose cached file does not begin as its kind must are left out.
  bool leaveDamaged = true;
};

struct CopyOutEvents {
  std::function<void(const MoveProgress &progress)> progress;
  // True once the user has stopped; asked before each package and, while
  // compressing, between chunks. The package in hand is left whole or not
  // at all.
  std::function<bool()> cancelled;
};

// Why a package was left out, as the report says it.
inline constexpr const char *kExistingFileReason = "Left out: a file of that name is in the folder";
inline constexpr const char *kDamagedReason = "Left out: a damaged download";
inline constexpr const char *kCancelledCopyReason = "Not copied: the copying was cancelled";
inline constexpr const char *kSameCopyNameReason = "Another ticked package goes to the same file";

// Where the copy of `package` goes, relative to the folder.
std::string copyNameOf(const PlannedMove &package, const CopyOutSettings &settings);

// What copying `plan` would do, looked up on disk, for the user to confirm.
struct CopyOutPreview {
  std::size_t packages = 0;
  std::uint64_t totalBytes = 0; // of the cached files that are there
  std::size_t missingFiles = 0;
  std::size_t damaged = 0;
  // Copies whose name a file in the folder has already, as the settings lay
  // the copies out.
  std::size_t existing = 0;
};
CopyOutPreview previewCopyOut(const std::vector<PlannedMove> &plan, const CopyOutSettings &settings);

// Copies each package of `plan` in turn. Each copy is written as a temporary
// file beside its name, checked (its size; a .uz2 is read back and
// inflated against the cached file), flushed, and only then renamed to its
// name: nothing half-written ever stands under a package's name, and each
// temporary is recorded in the copies' journal before it is made, so that a
// kill leaves nothing of it after the next start. The first package (in plan
// order) for a name takes it. The report's `moved` are the packages copied,
// its `stayed` those left out.
MoveReport copyOut(const std::vector<PlannedMove> &plan, const CopyOutSettings &settings,
                   const CopyOutEvents &events = {});
