#pragma once

#include "catalogue/entry_lists.h"

#include <cstddef>
#include <optional>
#include <string>

// The game purges old cached files but leaves their lines in the index.
// These find such lines and take them out.

// Whether the entry of `cacheName` names no cached file: nothing at all
// stands at "<cacheName>.uxx" right in the cache folder, open as
// `cacheFolder`. A name that leads elsewhere, or a file that cannot be
// looked at, is not counted: its line stays.
bool namesNoCachedFile(int cacheFolder, const std::string &cacheName);

// How many entries of `lists` name no cached file.
std::size_t countMissingEntries(const ListsView &lists, const std::string &cacheDirectory);

// Rewrites the index without the entry lines of the eight categories that
// name no cached file, looked at when the index is rewritten, through the
// same journalled compare-and-swap replacement as a move; lines of no
// category stay. The number of lines taken out, or std::nullopt when the
// index could not be written (and is as it was), with `problem` saying why.
std::optional<std::size_t> removeMissingEntries(const std::string &indexPath, const std::string &cacheDirectory,
                                                std::string &problem);
