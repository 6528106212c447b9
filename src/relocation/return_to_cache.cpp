#include "relocation/return_to_cache.h"

#include "catalogue/cache_entry.h"
#include "catalogue/category.h"
#include "posix/beneath.h"
#include "posix/flush.h"
#include "posix/paths.h"
#include "relocation/file_copy.h"
#include "relocation/index_writer.h"
#include "relocation/replacement_file.h"
#include "relocation/return_journal.h"
#include "relocation/same_contents.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace {

constexpr const char *kCannotJournal = "Could not keep a record of the packages put back in the cache folder";

std::string cachedLeaf(const std::string &cacheName) { return cacheName + ".uxx"; }

// A package on its way: where its file is, and how it goes.
struct Returning {
  const ReturnedPackage *package;
  ReturnRecord record;
  FileDescriptor gameFolder;
  std::string leaf;
  FileIdentity before;
  bool copied = false;
};

std::string withErrno(const char *what, int error) { return std::string(what) + " (" + std::strerror(error) + ")"; }

// Why `package` cannot go back, or nothing; opens its folder into `into`.
std::optional<std::string> checkPackage(const ReturnedPackage &package, int cacheFolder, Returning &into) {
  const std::string folder = folderOf(package.gameFile);
  into.leaf = package.gameFile.substr(folder.size() + 1);
  into.gameFolder = openFolder(folder);
  if (!into.gameFolder.valid())
    return withErrno("Stayed in the game: its folder could not be opened", errno);
  const std::optional<struct stat> info = statLeaf(into.gameFolder.get(), into.leaf);
  if (!info)
    return withErrno("Stayed in the game: its file could not be looked at", errno);
  if (!S_ISREG(info->st_mode))
    return std::string("Stayed in the game: ") + notAPlainFileReason(info->st_mode);
  into.before = FileIdentity::of(*info);
  if (package.expected && !stillTheFile(into.before, *package.expected))
    return std::string(kChangedSinceReason);
  if (statLeaf(cacheFolder, cachedLeaf(package.cacheName)) || errno != ENOENT)
    return std::string(kCacheNameTakenReason);
  return std::nullopt;
}

// Copies the file into the cache under its cache name, staged and checked;
// 0 or the errno.
int copyIntoCache(Returning &returning, int cacheFolder, const ReturnSettings &settings, MoveProgress &progress) {
  const FileDescriptor source = openLeaf(returning.gameFolder.get(), returning.leaf, O_RDONLY);
  struct stat info {};
  if (!source.valid() || ::fstat(source.get(), &info) != 0)
    return errno;
  if (!(FileIdentity::of(info) == returning.before))
    return EAGAIN;
  ReplacementFile copy(cacheFolder, cachedLeaf(returning.record.cacheName), returning.record.temporaryName);
  if (!copy.valid())
    return copy.error();
  const auto size = static_cast<std::uint64_t>(info.st_size);
  progress.bytesTotal = size;
  if (const int error = copyContents(source.get(), copy.fd(), size, [&](std::uint64_t copied) {
        progress.bytesCopied = copied;
        if (settings.progress)
          settings.progress(progress);
      }))
    return error;
  progress.bytesTotal = progress.bytesCopied = 0;
  if (!copy.finish(ReplacementFile::Flush::Now))
    return errno;
  // What was copied must be what is still there.
  if (::fstat(source.get(), &info) != 0 || !(FileIdentity::of(info) == returning.before))
    return EAGAIN;
  if (!copy.commit(true))
    return errno;
  returning.copied = true;
  return 0;
}

// Moves the file into the cache; 0 or the errno.
int moveIntoCache(Returning &returning, int cacheFolder, const ReturnSettings &settings, MoveProgress &progress) {
  if (!settings.sameVolume || settings.sameVolume(returning.package->gameFile, settings.cacheDirectory)) {
    const int error = renameWithoutReplacing(returning.gameFolder.get(), returning.leaf, cacheFolder,
                                             cachedLeaf(returning.record.cacheName));
    if (error != EXDEV)
      return error;
  }
  return copyIntoCache(returning, cacheFolder, settings, progress);
}

std::string relativeToCache(const std::string &path, const std::string &cacheDirectory) {
  return std::filesystem::path(path).lexically_relative(cacheDirectory).string();
}

} // namespace

bool stillTheFile(const FileIdentity &now, const FileIdentity &moved) {
  return now.device == moved.device && now.inode == moved.inode && now.size == moved.size &&
         now.modified.tv_sec == moved.modified.tv_sec && now.modified.tv_nsec == moved.modified.tv_nsec;
}

ReturnOutcome returnToCache(const std::vector<ReturnedPackage> &packages, const ReturnSettings &settings) {
  ReturnOutcome outcome;
  MoveReport &report = outcome.report;
  report.action = PackageAction::Return;
  const FileDescriptor cacheFolder = openFolder(settings.cacheDirectory);
  if (!cacheFolder.valid()) {
    outcome.problem = withErrno("Could not open the cache folder", errno);
    return outcome;
  }

  // Checked and named in the journal before anything moves.
  std::vector<Returning> returning;
  ReturnJournal journal{newTemporaryName(cacheFolder.get()), {}};
  for (const ReturnedPackage &package : packages) {
    Returning candidate{&package, {}, {}, {}, {}, false};
    if (const std::optional<std::string> why = checkPackage(package, cacheFolder.get(), candidate)) {
      report.stayed.push_back({package.utName, package.cacheName, *why, false});
      continue;
    }
    candidate.record = {package.category, package.cacheName, package.utName,
                        relativeToCache(package.gameFile, settings.cacheDirectory),
                        newTemporaryName(cacheFolder.get())};
    journal.records.push_back(candidate.record);
    returning.push_back(std::move(candidate));
  }
  if (returning.empty())
    return outcome;
  const std::string journalFile = returnJournalPath(settings.cacheDirectory);
  if (!writeReturnJournal(journalFile, journal)) {
    for (const Returning &each : returning)
      report.stayed.push_back({each.package->utName, each.package->cacheName, kCannotJournal, false});
    outcome.problem = kCannotJournal;
    return outcome;
  }

  MoveProgress progress{0, returning.size(), {}, 0, 0, PackageAction::Return};
  std::vector<CacheEntry> lines;
  std::vector<Returning *> arrived;
  for (Returning &each : returning) {
    ++progress.current;
    progress.utName = each.package->utName;
    if (settings.progress)
      settings.progress(progress);
    if (const int error = moveIntoCache(each, cacheFolder.get(), settings, progress)) {
      report.stayed.push_back({each.package->utName, each.package->cacheName,
                               error == EAGAIN ? std::string(kChangedSinceReason)
                                               : withErrno("Stayed in the game: it could not be put back", error),
                               false});
      continue;
    }
    arrived.push_back(&each);
  }

  // The cache's new files are on disk before any file in the game goes, and
  // before the game's folders are flushed.
  bool settled = flushFolder(settings.cacheDirectory);
  std::set<std::string> gameFolders;
  for (Returning *each : arrived) {
    // A copy's original goes only while it is still what was copied; when
    // it cannot, the journal stays for the next start to settle.
    if (each->copied) {
      const std::optional<struct stat> info = statLeaf(each->gameFolder.get(), each->leaf);
      settled = settled && info && FileIdentity::of(*info) == each->before &&
                ::unlinkat(each->gameFolder.get(), each->leaf.c_str(), 0) == 0;
    }
    gameFolders.insert(folderOf(each->package->gameFile));
    lines.push_back(CacheEntry{0, each->package->utName, each->package->cacheName});
    report.moved.push_back({each->package->utName, each->package->cacheName, "", false});
  }
  for (const std::string &folder : gameFolders)
    settled = flushFolder(folder) && settled;

  if (!lines.empty() && !swapIndex(settings.indexPath, journal.indexTemporary, indexWith(lines))) {
    outcome.problem = "Could not write cache file";
    return outcome;
  }
  if (settled && ::unlink(journalFile.c_str()) == 0)
    flushFolder(settings.cacheDirectory);
  return outcome;
}

void finishInterruptedReturn(const std::string &indexPath) {
  const std::string cacheDirectory = folderOf(indexPath);
  const std::string journalFile = returnJournalPath(cacheDirectory);
  const ReturnJournalRead read = readReturnJournal(journalFile);
  if (read.state != ReturnJournalState::Present)
    return;
  const FileDescriptor cacheFolder = openFolder(cacheDirectory);
  if (!cacheFolder.valid())
    return;
  // Nothing is touched before the journal is whole: one that names no
  // package names nothing done.
  if (read.journal.records.empty()) {
    const bool removed =
        read.journal.indexTemporary.empty() || removeTemporaryFile(cacheFolder.get(), read.journal.indexTemporary);
    if (removed && ::unlink(journalFile.c_str()) == 0)
      flushFolder(cacheDirectory);
    return;
  }
  // Without the index's recorded temporary name, no index is written.
  if (read.journal.indexTemporary.empty())
    return;
  bool settled = removeTemporaryFile(cacheFolder.get(), read.journal.indexTemporary);
  std::vector<CacheEntry> lines;
  for (const ReturnRecord &record : read.journal.records) {
    if (!record.temporaryName.empty())
      settled = removeTemporaryFile(cacheFolder.get(), record.temporaryName) && settled;
    const std::string cached = cacheDirectory + "/" + cachedLeaf(record.cacheName);
    if (!plainFileAt(cached))
      continue; // it never left the game
    // A copy across volumes that reached the cache whole: the file in the
    // game goes, as it would have.
    const std::string gameFile = (std::filesystem::path(cacheDirectory) / record.gameFile).lexically_normal().string();
    if (plainFileAt(gameFile) && sameContents(gameFile, cached) == true)
      settled = (::unlink(gameFile.c_str()) == 0 && flushFolder(folderOf(gameFile))) && settled;
    lines.push_back(CacheEntry{0, record.utName, record.cacheName});
  }
  if (!lines.empty() && !swapIndex(indexPath, read.journal.indexTemporary, indexWith(lines)))
    return;
  if (settled && ::unlink(journalFile.c_str()) == 0)
    flushFolder(cacheDirectory);
}
