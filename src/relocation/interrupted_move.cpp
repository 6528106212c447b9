#include "relocation/interrupted_move.h"

#include "catalogue/cache_reader.h"
#include "catalogue/category.h"
#include "posix/directory_handle.h"
#include "posix/paths.h"
#include "relocation/entry_counts.h"
#include "relocation/index_writer.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void removeTemporaryFiles(const std::string &folder) {
  std::vector<std::string> found;
  {
    const DirectoryHandle listing = openDirectory(folder);
    if (!listing)
      return;
    while (const dirent *entry = ::readdir(listing.get())) {
      if (isTemporaryFileName(entry->d_name))
        found.push_back(folder + "/" + entry->d_name);
    }
  }
  for (const std::string &path : found) {
    if (isPlainFile(path))
      ::unlink(path.c_str());
  }
}

// One of each record's pair of names, to be taken out.
EntryCounts countRecords(const std::vector<JournalRecord> &records) {
  EntryCounts counts;
  for (const JournalRecord &record : records)
    counts.add(record.cacheName, record.utName);
  return counts;
}

struct IndexWithout {
  std::string text;
  bool droppedAny = false;
};

// The index's text without one entry line for each record; std::nullopt when
// it cannot be read whole.
std::optional<IndexWithout> indexWithout(const std::string &indexPath, const std::vector<JournalRecord> &records) {
  EntryCounts counts = countRecords(records);
  IndexWithout result;
  std::string tail;
  const ScanOutcome outcome = scanIndexLines(
      indexPath,
      [&](const IndexLine &line) {
        const std::optional<EntryLine> entry = splitEntryLine(line);
        if (entry && counts.take(entry->key, entry->value)) {
          result.droppedAny = true;
          return;
        }
        result.text.append(line.bytes).append(1, '\n');
      },
      &tail);
  if (outcome != ScanOutcome::Whole)
    return std::nullopt;
  result.text += tail;
  return result;
}

} // namespace

void finishInterruptedMove(const std::string &indexPath, const std::optional<std::string> &installation) {
  const std::string cacheDirectory = folderOf(indexPath);
  const std::string journal = journalPath(cacheDirectory);
  const std::optional<std::vector<JournalRecord>> records = readJournal(journal);

  std::set<std::string> folders{cacheDirectory};
  if (installation) {
    for (const Category &category : kCategories)
      folders.insert(*installation + "/" + std::string(category.name));
  }
  if (records) {
    for (const JournalRecord &record : *records)
      folders.insert(folderOf(record.destination));
  }
  for (const std::string &folder : folders)
    removeTemporaryFiles(folder);
  if (!records)
    return;

  const std::vector<JournalRecord> inGame = packagesInTheGame(*records, cacheDirectory);
  struct stat info {};
  const bool indexThere = ::lstat(indexPath.c_str(), &info) == 0;
  if (!indexThere && errno != ENOENT)
    return;
  if (indexThere && !inGame.empty()) {
    const std::optional<IndexWithout> index = indexWithout(indexPath, inGame);
    if (!index || (index->droppedAny && !replaceIndex(indexPath, index->text)))
      return;
  }
  ::unlink(journal.c_str());
}

void dropRecordedEntries(std::vector<CacheEntry> &entries, const std::vector<JournalRecord> &records) {
  if (records.empty())
    return;
  EntryCounts counts = countRecords(records);
  std::erase_if(entries, [&](const CacheEntry &entry) { return counts.take(entry.cacheName, entry.utName); });
}
