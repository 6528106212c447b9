#include "relocation/index_cleanup.h"

#include "catalogue/category.h"
#include "posix/beneath.h"
#include "relocation/index_writer.h"
#include "relocation/move_journal.h"
#include "relocation/mover.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <sys/stat.h>

bool namesNoCachedFile(int cacheFolder, const std::string &cacheName) {
  if (cacheName.find('/') != std::string::npos)
    return false;
  return !statLeaf(cacheFolder, cacheName + ".uxx") && errno == ENOENT;
}

std::size_t countMissingEntries(const ListsView &lists, const std::string &cacheDirectory) {
  const FileDescriptor cache = openFolder(cacheDirectory);
  if (!cache.valid())
    return 0;
  std::size_t missing = 0;
  for (const std::span<const CacheEntry> list : lists) {
    for (const CacheEntry &entry : list)
      missing += namesNoCachedFile(cache.get(), entry.cacheName) ? 1 : 0;
  }
  return missing;
}

std::optional<std::size_t> removeMissingEntries(const std::string &indexPath, const std::string &cacheDirectory,
                                                std::string &problem) {
  const std::string journal = journalPath(cacheDirectory);
  const JournalRead earlier = readJournal(journal);
  if (earlier.state == JournalRead::State::Unusable) {
    problem = kJournalUnusableForCleanupMessage;
    return std::nullopt;
  }
  const FileDescriptor cache = openFolder(cacheDirectory);
  problem = kCannotWriteIndexMessage;
  if (!cache.valid())
    return std::nullopt;
  // The temporary index is named in the journal before it is created, so
  // that an interruption leaves nothing behind.
  const std::string temporary = newTemporaryName(cache.get());
  if (!journalIndexTemporary(journal, temporary))
    return std::nullopt;
  std::size_t removed = 0;
  const IndexComposer compose = [&](int index) {
    removed = 0;
    return indexWithout([&](const EntryLine &entry) {
      const bool missing = categoryOfLine(entry.value) && namesNoCachedFile(cache.get(), std::string(entry.key));
      removed += missing ? 1 : 0;
      return missing;
    })(index);
  };
  // On failure the journal stays, naming the temporary file for the next
  // start to remove; a journal of an earlier move stays for it to settle.
  if (!swapIndex(indexPath, temporary, compose))
    return std::nullopt;
  if (earlier.state == JournalRead::State::Absent)
    removeJournal(journal);
  problem.clear();
  return removed;
}
