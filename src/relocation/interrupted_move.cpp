#include "relocation/interrupted_move.h"

#include "catalogue/cache_reader.h"
#include "catalogue/category.h"
#include "catalogue/index_lines.h"
#include "posix/beneath.h"
#include "posix/paths.h"
#include "relocation/entry_counts.h"
#include "relocation/index_writer.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Place { Here, Absent, Unknown };

// Whether a file stands at `relative` beneath the open folder `base`. A name
// that passes through a link, or out of the folder, names nothing there: a
// move never put anything at such a name.
Place placeOf(int base, const std::string &relative) {
  const std::optional<RelativeName> name = splitRelativeName(relative);
  if (!name)
    return Place::Absent;
  const FileDescriptor folder = openFolderBeneath(base, name->folder);
  if (!folder.valid())
    return errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? Place::Absent : Place::Unknown;
  const std::optional<struct stat> found = statLeaf(folder.get(), name->leaf);
  if (found)
    return S_ISREG(found->st_mode) ? Place::Here : Place::Absent;
  return errno == ENOENT ? Place::Absent : Place::Unknown;
}

// Removes this program's temporary file `name` from the folder of the
// destination `utName` beneath `category`: false when that cannot be told.
bool removeTemporary(int category, const std::string &utName, const std::string &name) {
  if (name.empty())
    return true;
  const std::optional<RelativeName> destination = splitRelativeName(utName);
  if (!destination)
    return true;
  const FileDescriptor folder = openFolderBeneath(category, destination->folder);
  if (!folder.valid())
    return errno == ENOENT || errno == ENOTDIR || errno == ELOOP;
  const std::optional<struct stat> found = statLeaf(folder.get(), name);
  if (!found)
    return errno == ENOENT;
  return !S_ISREG(found->st_mode) || ::unlinkat(folder.get(), name.c_str(), 0) == 0;
}

// False when one may still be there: the journal must then stay to name it.
bool removeIndexTemporaries(const Journal &journal, int cacheFolder) {
  bool removed = true;
  for (const std::string &name : journal.indexTemporaries) {
    const std::optional<struct stat> found = statLeaf(cacheFolder, name);
    if (!found)
      removed = removed && errno == ENOENT;
    else if (S_ISREG(found->st_mode))
      removed = ::unlinkat(cacheFolder, name.c_str(), 0) == 0 && removed;
  }
  return removed;
}

// The index's text without one entry line for each record; std::nullopt when
// it cannot be read whole, or there is none.
IndexComposer withoutLinesOf(const Journal &journal, const std::vector<std::size_t> &records) {
  return [&journal, &records](int index) -> std::optional<std::string> {
    if (index < 0)
      return std::nullopt;
    EntryCounts counts;
    for (const std::size_t record : records)
      counts.add(journal.moves[record].move.cacheName, journal.moves[record].move.utName);
    std::string text;
    std::string tail;
    const ScanOutcome outcome = scanIndexLines(
        index,
        [&](const IndexLine &line) {
          const std::optional<EntryLine> entry = splitEntryLine(line);
          if (entry && counts.take(entry->key, entry->value))
            return;
          text.append(line.bytes).append(1, '\n');
        },
        &tail);
    if (outcome != ScanOutcome::Whole)
      return std::nullopt;
    return text + tail;
  };
}

} // namespace

Settlement settleRecords(const Journal &journal, const std::string &cacheDirectory,
                         const std::optional<std::string> &installation) {
  Settlement settlement;
  const FileDescriptor cache = openFolder(cacheDirectory);
  // Each category folder of the installation found now, or why it is not
  // there: a folder that is plainly absent received nothing.
  std::map<std::size_t, std::pair<FileDescriptor, int>> categories;
  for (std::size_t record = 0; record < journal.moves.size(); ++record) {
    if (journal.moves[record].settled)
      continue;
    const PlannedMove &move = journal.moves[record].move;
    auto [category, isNew] = categories.try_emplace(move.category);
    auto &[folder, error] = category->second;
    if (isNew) {
      folder = installation ? openFolder(*installation + "/" + std::string(kCategories[move.category].name))
                            : FileDescriptor();
      error = folder.valid() ? 0 : (installation ? errno : ENODEV);
    }
    const bool categoryAbsent = error == ENOENT || error == ENOTDIR;
    if (!cache.valid() || (!folder.valid() && !categoryAbsent) ||
        (folder.valid() && !removeTemporary(folder.get(), move.utName, move.temporaryName))) {
      settlement.unknown.push_back(record);
      continue;
    }
    const Place cached = placeOf(cache.get(), move.cacheName + ".uxx");
    const Place installed =
        cached == Place::Absent && folder.valid() ? placeOf(folder.get(), move.utName) : Place::Absent;
    if (cached == Place::Unknown || installed == Place::Unknown)
      settlement.unknown.push_back(record);
    else if (installed == Place::Here)
      settlement.inTheGame.push_back(record);
    else
      settlement.stayed.push_back(record);
  }
  return settlement;
}

void finishInterruptedMove(const std::string &indexPath, const std::optional<std::string> &installation) {
  const std::string cacheDirectory = folderOf(indexPath);
  const std::string journal = journalPath(cacheDirectory);
  const JournalRead read = readJournal(journal);
  if (read.state != JournalRead::State::Present)
    return;

  const FileDescriptor cache = openFolder(cacheDirectory);
  if (!cache.valid())
    return;
  const bool temporariesGone = removeIndexTemporaries(read.journal, cache.get());
  const Settlement settlement = settleRecords(read.journal, cacheDirectory, installation);
  if (!settlement.inTheGame.empty()) {
    const std::string temporary = newTemporaryName(cache.get());
    if (!journalIndexTemporary(journal, temporary) ||
        !swapIndex(indexPath, temporary, withoutLinesOf(read.journal, settlement.inTheGame)))
      return;
  }
  if (settlement.unknown.empty() && temporariesGone) {
    removeJournal(journal);
    return;
  }
  std::vector<const PlannedMove *> settled;
  for (const std::vector<std::size_t> *records : {&settlement.inTheGame, &settlement.stayed}) {
    for (const std::size_t record : *records)
      settled.push_back(&read.journal.moves[record].move);
  }
  if (!settled.empty())
    journalSettled(journal, settled);
}

std::vector<CacheEntry> entriesOf(const Journal &journal, const std::vector<std::size_t> &records) {
  std::vector<CacheEntry> entries;
  entries.reserve(records.size());
  for (const std::size_t record : records)
    entries.push_back(journal.moves[record].move.entry());
  return entries;
}
