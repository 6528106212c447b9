#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/cache_reader.h"
#include "catalogue/entry_lists.h"

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The index a move writes: the unticked entries of the lists, category by
// category, each in list order; then the entries of ticked packages that
// stayed; less one entry for each of `leaveOut` (packages an earlier move
// brought into the game while its index could not be written). Every other
// entry line of the index on disk that the lists do not hold (one the game
// added since, or one a read error hid) is kept.
struct NewIndex {
  ListsView lists;
  std::span<const CacheEntry> stayed;
  std::span<const CacheEntry> leaveOut;
};

// Lines of an index that the program must keep but does not show: entry
// lines whose value ends in no category's ending, and an entry line that the
// file ends with but does not finish with a line feed.
struct ForeignLines {
  std::vector<std::string> lines;
  std::string unterminatedTail; // empty when the file ends with a line feed
};

// What the rewrite keeps of the index on disk besides the kept entries.
struct LinesToKeep {
  // Entry lines of the eight categories that no held entry accounts for,
  // counted as a multiset, in their order on disk.
  std::vector<std::string> unheldEntries;
  ForeignLines foreign;
};

// Reads what to keep of the index open as `index`, from its start, besides
// the entries of `lists`; -1 for no index. std::nullopt when it cannot be
// read to its end.
std::optional<LinesToKeep> readLinesToKeep(int index, const ListsView &lists);

// The index text: "[Cache]", one "cacheName=utName" line per entry that
// `index` keeps, the unheld entry lines, then the foreign lines in their old
// order, each line ended by a line feed, and last the old file's unfinished
// line as it stood. Names are written back as the bytes that were read.
std::string composeIndex(const NewIndex &index, const LinesToKeep &lines);

// Makes the text of a new index from the index on disk, open as `index`
// (-1 when there is none); std::nullopt when that cannot be read whole.
using IndexComposer = std::function<std::optional<std::string>(int index)>;

// The index on disk less the entry lines that `drop` picks, each other line
// as it was read; std::nullopt when it cannot be read whole, or there is
// none.
IndexComposer indexWithout(std::function<bool(const EntryLine &entry)> drop);

// The index on disk with a "cacheName=utName" line added at its end for
// each of `added` whose cache name no entry line holds yet, every other
// line as it was read; "[Cache]" and those lines when there is none.
IndexComposer indexWith(std::vector<CacheEntry> added);

// Replaces the index at `indexPath` with what `compose` makes of it, compare
// and swap: the new text goes to the (recorded) temporary file
// `temporaryName` beside it and is flushed; just before it is renamed over
// the index, the index must still be the one that was read, or it is read
// and composed again. Lines another program adds to the old file in the
// instant between that check and the rename are carried into the new one.
// The folder is flushed after.
//
// False, with the index as it was, when it cannot be read whole, the new one
// cannot be written, or it kept changing. An index that is a link keeps
// being one: the file it leads to is replaced.
//
// `pause`, for tests, runs at the two instants another writer matters: when
// the new text is on disk and the check is next, and after the check with
// the rename next.
enum class SwapInstant { BeforeCheck, BeforeRename };
bool swapIndex(const std::string &indexPath, const std::string &temporaryName, const IndexComposer &compose,
               const std::function<void(SwapInstant)> &pause = {});

// The index anew as `index` says, keeping what readLinesToKeep() finds,
// through swapIndex().
bool rewriteIndex(const std::string &indexPath, const std::string &temporaryName, const NewIndex &index,
                  const std::function<void(SwapInstant)> &pause = {});
