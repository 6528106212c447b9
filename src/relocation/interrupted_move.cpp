#include "relocation/interrupted_move.h"

#include "catalogue/cache_reader.h"
#include "catalogue/category.h"
#include "catalogue/category_folders.h"
#include "catalogue/index_lines.h"
#include "posix/beneath.h"
#include "posix/folded_names.h"
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

// The folder a name from the index leads into beneath an open folder, and
// the name's last component. A name that passes through a link, or out of
// the folder, or into a folder that is not there, names nothing there: a
// move never put anything at such a name.
struct NamedFolder {
  FileDescriptor folder;
  std::string leaf;
  Place whenNotOpen = Place::Absent;
};

NamedFolder folderOfName(int base, const std::string &relative) {
  NamedFolder named;
  const std::optional<RelativeName> name = splitRelativeName(relative);
  if (!name)
    return named;
  named.folder = openFolderBeneath(base, name->folder);
  if (!named.folder.valid() && errno != ENOENT && errno != ENOTDIR && errno != ELOOP)
    named.whenNotOpen = Place::Unknown;
  named.leaf = name->leaf;
  return named;
}

// Whether a regular file stands at `leaf` in the named folder, or `name`
// when given.
Place placeIn(const NamedFolder &named, const std::string *name = nullptr) {
  if (!named.folder.valid())
    return named.whenNotOpen;
  const std::optional<struct stat> found = statLeaf(named.folder.get(), name ? *name : named.leaf);
  if (found)
    return S_ISREG(found->st_mode) ? Place::Here : Place::Absent;
  return errno == ENOENT ? Place::Absent : Place::Unknown;
}

// Removes this program's temporary file `name` beside a destination: false
// when it may still be there.
bool removeTemporary(const NamedFolder &destination, const std::string &name) {
  if (name.empty())
    return true;
  const Place temporary = placeIn(destination, &name);
  if (temporary != Place::Here)
    return temporary == Place::Absent;
  return ::unlinkat(destination.folder.get(), name.c_str(), 0) == 0;
}

// False when one may still be there: the journal must then stay to name it.
bool removeIndexTemporaries(const Journal &journal, int cacheFolder) {
  bool removed = true;
  for (const std::string &name : journal.indexTemporaries)
    removed = removeTemporaryFile(cacheFolder, name) && removed;
  return removed;
}

// The index's text without one entry line for each record.
IndexComposer withoutLinesOf(const Journal &journal, const std::vector<std::size_t> &records) {
  return [&journal, &records](int index) -> std::optional<std::string> {
    EntryCounts counts;
    for (const std::size_t record : records)
      counts.add(journal.moves[record].move.cacheName, journal.moves[record].move.utName);
    return indexWithout([&](const EntryLine &entry) { return counts.take(entry.key, entry.value); })(index);
  };
}

} // namespace

Settlement settleRecords(const Journal &journal, const std::string &cacheDirectory,
                         const std::optional<std::string> &installation) {
  Settlement settlement;
  const FileDescriptor cache = openFolder(cacheDirectory);
  // Each category folder of the folder each record went to, or why it is
  // not there: a folder that is plainly absent received nothing.
  struct CategoryFolder {
    FileDescriptor fd;
    int error = 0;
    std::string path;
    NameSpellings names;
  };
  std::map<std::pair<std::optional<std::string>, std::size_t>, CategoryFolder> categories;
  for (std::size_t record = 0; record < journal.moves.size(); ++record) {
    if (journal.moves[record].settled)
      continue;
    const PlannedMove &move = journal.moves[record].move;
    if (journal.moves[record].discard) {
      const Place cached = cache.valid() ? placeIn(folderOfName(cache.get(), move.cacheName + ".uxx")) : Place::Unknown;
      (cached == Place::Unknown ? settlement.unknown
       : cached == Place::Here  ? settlement.stayed
                                : settlement.gone)
          .push_back(record);
      continue;
    }
    // The folder the move journalled, else (an earlier version's journal)
    // the installation found now.
    const std::optional<std::string> &root =
        journal.moves[record].destination ? journal.moves[record].destination : installation;
    auto [category, isNew] = categories.try_emplace({root, move.category});
    CategoryFolder &categoryFolder = category->second;
    const FileDescriptor &folder = categoryFolder.fd;
    if (isNew) {
      // As the move spelled it: Steam's "maps", a file in another case.
      categoryFolder.path = CategoryFolders(root).folder(move.category);
      categoryFolder.fd = root ? openFolder(categoryFolder.path) : FileDescriptor();
      categoryFolder.error = folder.valid() ? 0 : (root ? errno : ENODEV);
    }
    const int error = categoryFolder.error;
    const bool categoryAbsent = error == ENOENT || error == ENOTDIR;
    const std::optional<std::string> leaf =
        folder.valid() && move.utName.find('/') == std::string::npos
            ? categoryFolder.names.spellingOf(folder.get(), categoryFolder.path, move.utName)
            : std::optional<std::string>(move.utName);
    const NamedFolder destination = folder.valid() && leaf ? folderOfName(folder.get(), *leaf) : NamedFolder{};
    if (!cache.valid() || (!folder.valid() && !categoryAbsent) || (folder.valid() && !leaf) ||
        !removeTemporary(destination, move.temporaryName)) {
      settlement.unknown.push_back(record);
      continue;
    }
    const Place cached = placeIn(folderOfName(cache.get(), move.cacheName + ".uxx"));
    const Place installed = cached == Place::Absent ? placeIn(destination) : Place::Absent;
    if (cached == Place::Unknown || installed == Place::Unknown)
      settlement.unknown.push_back(record);
    else if (installed == Place::Here)
      settlement.gone.push_back(record);
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
  if (!settlement.gone.empty()) {
    const std::string temporary = newTemporaryName(cache.get());
    if (!journalIndexTemporary(journal, temporary) ||
        !swapIndex(indexPath, temporary, withoutLinesOf(read.journal, settlement.gone)))
      return;
  }
  if (settlement.unknown.empty() && temporariesGone) {
    removeJournal(journal);
    return;
  }
  std::vector<const PlannedMove *> settled;
  for (const std::vector<std::size_t> *records : {&settlement.gone, &settlement.stayed}) {
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

std::optional<EarlierRun> settleEarlierRunOrRefuse(const std::string &journal, const std::string &cacheDirectory,
                                                   const std::optional<std::string> &installation,
                                                   const std::function<void(const std::string &)> &alert,
                                                   const char *refusal) {
  EarlierRun earlier = settleEarlierRun(journal, cacheDirectory, installation);
  if (earlier.read.state != JournalRead::State::Unusable)
    return earlier;
  alert(refusal);
  return std::nullopt;
}

EarlierRun settleEarlierRun(const std::string &journal, const std::string &cacheDirectory,
                            const std::optional<std::string> &installation) {
  EarlierRun earlier;
  earlier.read = readJournal(journal);
  if (earlier.read.state != JournalRead::State::Present)
    return earlier;
  const FileDescriptor cache = openFolder(cacheDirectory);
  earlier.temporariesGone = cache.valid() && removeIndexTemporaries(earlier.read.journal, cache.get());
  earlier.settlement = settleRecords(earlier.read.journal, cacheDirectory, installation);
  earlier.gone = entriesOf(earlier.read.journal, earlier.settlement.gone);
  return earlier;
}

void closeJournal(const std::string &journal, const EarlierRun &earlier, std::span<const PlannedMove> run,
                  bool runSettled) {
  if (runSettled && earlier.settlement.unknown.empty() && earlier.temporariesGone) {
    removeJournal(journal);
    return;
  }
  std::vector<const PlannedMove *> settled;
  for (const std::vector<std::size_t> *records : {&earlier.settlement.gone, &earlier.settlement.stayed}) {
    for (const std::size_t record : *records)
      settled.push_back(&earlier.read.journal.moves[record].move);
  }
  if (runSettled) {
    for (const PlannedMove &move : run)
      settled.push_back(&move);
  }
  journalSettled(journal, settled);
}
