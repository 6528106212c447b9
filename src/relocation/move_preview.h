#pragma once

#include "catalogue/category_folders.h"
#include "catalogue/entry_lists.h"
#include "relocation/move_progress.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// How many of the files a move would replace its preview names.
inline constexpr std::size_t kNamedReplacements = 3;

// A file in the game that a ticked package would replace.
struct Replacement {
  std::string destination; // "<Category>/<utName>"
  bool identical = false;  // the same bytes as the cached file
  bool compared = true;    // false when the user stopped the comparing first
};

// A ticked package that the move will leave in the cache, or may, as the
// question's choices say; with the bytes of its cached file.
struct PreviewStay {
  enum class Why {
    NoCachedFile,
    SameDestination, // an earlier ticked package takes its file or its cached file
    FolderUnwritable,
    NameTooLong,
    Damaged,     // stays while "Leave damaged packages in the cache" is ticked
    Differs,     // stays while "Keep the files already in the game…" is ticked
    NotCompared, // the same: it may differ
  };
  std::string utName;
  Why why = Why::NoCachedFile;
  std::uint64_t bytes = 0;
};

// What a move of the ticked entries would do.
struct MovePreview {
  std::size_t packages = 0;
  std::uint64_t totalBytes = 0; // of the cached files that are there
  std::size_t missingFiles = 0; // ticked packages without a cached file: they stay
  std::size_t replacements = 0; // packages whose destination holds a file
  // Packages that stay because an earlier ticked package takes their
  // destination or their cached file.
  std::size_t clashes = 0;
  std::vector<Replacement> replaced; // every one, in the order of the tabs
  std::size_t differentReplacements = 0;
  // Ticked packages whose cached file does not begin as its kind must.
  std::size_t damaged = 0;
  // The category folders of the ticked packages that this process cannot
  // write to, or that are missing: nothing can move into them, and a rename
  // that fails says nothing.
  std::vector<std::string> unwritableFolders;
  // The ticked packages that go to those folders: they stay in the cache.
  std::size_t inUnwritableFolders = 0;
  // Ticked packages whose names are longer than their folder's volume
  // takes: they stay in the cache.
  std::size_t tooLongNames = 0;
  // Ticked packages not compared with the game's file nor checked for
  // damage, since the user stopped the looking: they count as neither.
  std::size_t notLookedAt = 0;
  // Cached packages that the ticked ones need, through the whole chain, and
  // that are not ticked; their cached files' bytes.
  std::size_t needed = 0;
  std::uint64_t neededBytes = 0;
  // Ticked packages that need a package neither the game nor the cache has:
  // "DM-Foo.ut2: FooTex, BarTex".
  std::vector<std::string> missingNeeds;
  // Ticked packages whose cached file's header names another package than
  // the one its index line does.
  std::size_t notTheirPackage = 0;
  bool needsStopped = false; // the user stopped the reading first
  // Each package that stays, or may, and why, in the order of the tabs; one
  // reason each, the first that holds.
  std::vector<PreviewStay> staying;
};

// What a move of the entries ticked in `lists` would do, looked up on disk.
// Each file it would replace is compared with the cached file, and each
// cached file's first bytes are checked: what costs time, so it tells its
// progress and stops when asked (names, sizes and folders are still looked
// at for every package).
struct PreviewEvents {
  std::function<void(const MoveProgress &progress)> progress;
  std::function<bool()> cancelled;
};
MovePreview previewMove(const ListsView &lists, const std::string &cacheDirectory,
                        const std::optional<std::string> &installation, const PreviewEvents &events = {});

// A file in the game that a package would replace.
struct InstalledFile {
  std::string path;
  bool identical = false; // the same bytes as the cached file
};
// The file in the game that the package of `category` would replace,
// compared with its cached file, when one stands there.
std::optional<InstalledFile> installedFile(const CategoryFolders &game, std::size_t category, const CacheEntry &entry,
                                           const std::string &cacheDirectory);

// Whether the file that the package would replace holds other bytes than
// its cached file (or cannot be compared); false when nothing stands there.
bool replacesADifferentFile(const CategoryFolders &game, std::size_t category, const CacheEntry &entry,
                            const std::string &cacheDirectory);

// The file that a package of `category` called `utName` would replace in the
// installation, when one stands there: on a volume that tells case apart,
// also one whose name differs in ASCII case alone, which the game takes for
// the same file.
std::optional<std::string> existingDestination(const CategoryFolders &game, std::size_t category,
                                               const std::string &utName);
