#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/cache_reader.h"

#include <string>
#include <vector>

// The index text: "[Cache]", one "cacheName=utName" line per kept entry, then
// the foreign lines in their old order, each line ended by a line feed, and
// last the old file's unfinished line as it stood. Names are written back as
// the bytes that were read.
std::string composeIndex(const std::vector<CacheEntry> &keptEntries, const ForeignLines &foreign);

// Writes the index at `indexPath` anew from `keptEntries`, keeping the old
// index's foreign lines. The new file replaces the old one only when it is
// whole and on disk; false, with the old file untouched, when that fails or
// the old file exists but cannot be read.
bool rewriteIndex(const std::string &indexPath, const std::vector<CacheEntry> &keptEntries);
