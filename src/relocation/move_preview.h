#pragma once

#include "catalogue/entry_lists.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How many of the files a move would replace its preview names.
inline constexpr std::size_t kNamedReplacements = 3;

// What a move of the ticked entries would do.
struct MovePreview {
  std::size_t packages = 0;
  std::uint64_t totalBytes = 0; // of the cached files that are there
  std::size_t unknownSizes = 0; // cached files that are missing
  std::size_t replacements = 0; // packages whose destination holds a file
  // Packages that stay because an earlier ticked package takes their
  // destination or their cached file.
  std::size_t clashes = 0;
  std::vector<std::string> firstReplaced; // "<Category>/<utName>" of the first kNamedReplacements
  // The category folders of the ticked packages that this process cannot
  // write to, or that are missing: nothing can move into them, and a rename
  // that fails says nothing.
  std::vector<std::string> unwritableFolders;
};

// What a move of the entries ticked in `lists` would do, looked up on disk.
MovePreview previewMove(const ListsView &lists, const std::string &cacheDirectory,
                        const std::optional<std::string> &installation);

// The file that a package of `category` called `utName` would replace in the
// installation, when one stands there.
std::optional<std::string> existingDestination(const std::optional<std::string> &installation, std::size_t category,
                                               const std::string &utName);
