#include "relocation/index_writer.h"

#include "catalogue/cache_reader.h"
#include "catalogue/index_lines.h"
#include "posix/beneath.h"
#include "posix/file_identity.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/paths.h"
#include "relocation/entry_counts.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How often the index is read and composed again when another program keeps
// changing it.
constexpr int kSwapAttempts = 8;

bool sameNames(const CacheEntry &entry, const EntryLine &line) {
  return entry.cacheName == line.key && entry.utName == line.value;
}

// Accounts for the index's entry lines with the entries of the lists. The
// lists keep the index's order, so in the usual case each line is the next
// entry of its category's list; only when that fails are the lines counted
// as a multiset.
class HeldInOrder {
public:
  explicit HeldInOrder(const ListsView &lists) : lists_(lists) {}

  // Whether `line` of `category` is the next entry of its list; takes it
  // when it is.
  bool take(std::size_t category, const EntryLine &line) {
    std::size_t &next = next_[category];
    if (next < lists_[category].size() && sameNames(lists_[category][next], line)) {
      ++next;
      return true;
    }
    return false;
  }

  bool tookAll() const {
    for (std::size_t category = 0; category < kCategoryCount; ++category) {
      if (next_[category] != lists_[category].size())
        return false;
    }
    return true;
  }

private:
  const ListsView &lists_;
  std::array<std::size_t, kCategoryCount> next_{};
};

// How many of each entry the lists hold.
EntryCounts countHeld(const ListsView &lists) {
  EntryCounts counts;
  for (const std::span<const CacheEntry> &list : lists) {
    for (const CacheEntry &entry : list)
      counts.add(entry.cacheName, entry.utName);
  }
  return counts;
}

// The entry lines of the index that the held entries do not account for, as
// a multiset; std::nullopt when the index cannot be read whole.
std::optional<std::vector<std::string>> unheldByCount(int index, const ListsView &lists) {
  EntryCounts counts = countHeld(lists);
  std::vector<std::string> unheld;
  if (::lseek(index, 0, SEEK_SET) != 0)
    return std::nullopt;
  const ScanOutcome outcome = scanIndexLines(index, [&](const IndexLine &line) {
    const std::optional<EntryLine> entry = splitEntryLine(line);
    if (!entry || !categoryOfLine(entry->value))
      return;
    if (!counts.take(entry->key, entry->value))
      unheld.emplace_back(line.bytes);
  });
  if (outcome != ScanOutcome::Whole)
    return std::nullopt;
  return unheld;
}

// The file the index's path leads to, in its open folder.
struct Target {
  FileDescriptor folder;
  std::string leaf;
};

std::optional<Target> targetOf(const std::string &indexPath) {
  std::string path = indexPath;
  struct stat info {};
  if (::lstat(indexPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char *resolved = ::realpath(indexPath.c_str(), nullptr)) {
      path = resolved;
      std::free(resolved);
    }
  }
  Target target{openFolder(folderOf(path)), path.substr(path.rfind('/') + 1)};
  if (!target.folder.valid())
    return std::nullopt;
  return target;
}

enum class Attempt { Swapped, Changed, Failed };

struct AttemptResult {
  Attempt outcome = Attempt::Failed;
  std::string appended; // what the old file gained between the check and the rename
};

AttemptResult attemptSwap(const Target &target, const std::string &temporaryName, const IndexComposer &compose,
                          const std::function<void(SwapInstant)> &pause) {
  AttemptResult result;
  const FileDescriptor index = openLeaf(target.folder.get(), target.leaf, O_RDONLY);
  if (!index.valid() && errno != ENOENT)
    return result;
  struct stat read {};
  if (index.valid() && (::fstat(index.get(), &read) != 0 || !S_ISREG(read.st_mode)))
    return result;
  const std::optional<std::string> text = compose(index.valid() ? index.get() : -1);
  if (!text)
    return result;

  ReplacementFile file(target.folder.get(), target.leaf, temporaryName);
  if (!file.valid() || !writeAll(file.fd(), text->data(), text->size()) || !file.finish(ReplacementFile::Flush::Now))
    return result;
  if (pause)
    pause(SwapInstant::BeforeCheck);

  // Still the index that was read, and read to its end?
  result.outcome = Attempt::Changed;
  const std::optional<struct stat> now = statLeaf(target.folder.get(), target.leaf);
  if (index.valid()) {
    struct stat afterRead {};
    if (!now || !(FileIdentity::of(*now) == FileIdentity::of(read)) || ::fstat(index.get(), &afterRead) != 0 ||
        !(FileIdentity::of(afterRead) == FileIdentity::of(read)))
      return result;
  } else if (now || errno != ENOENT) {
    return result;
  }
  if (pause)
    pause(SwapInstant::BeforeRename);
  if (!file.commit(!index.valid())) {
    result.outcome = errno == EEXIST ? Attempt::Changed : Attempt::Failed;
    return result;
  }
  result.outcome = Attempt::Swapped;
  struct stat afterSwap {};
  if (index.valid() && ::fstat(index.get(), &afterSwap) == 0 && afterSwap.st_size > read.st_size) {
    result.appended.resize(static_cast<std::size_t>(afterSwap.st_size - read.st_size));
    const ssize_t got = ::pread(index.get(), result.appended.data(), result.appended.size(), read.st_size);
    result.appended.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  }
  return result;
}

} // namespace

std::optional<LinesToKeep> readLinesToKeep(int index, const ListsView &lists) {
  LinesToKeep kept;
  if (index < 0)
    return kept;

  HeldInOrder inOrder(lists);
  std::string tail;
  const ScanOutcome outcome = scanIndexLines(
      index,
      [&](const IndexLine &line) {
        const std::optional<EntryLine> entry = splitEntryLine(line);
        if (!entry)
          return;
        const Category *category = categoryOfLine(entry->value);
        if (!category)
          kept.foreign.lines.emplace_back(line.bytes);
        else if (!inOrder.take(static_cast<std::size_t>(category - kCategories.data()), *entry))
          kept.unheldEntries.emplace_back(line.bytes);
      },
      &tail);
  if (outcome != ScanOutcome::Whole)
    return std::nullopt;
  if (tail.find('=') != std::string::npos)
    kept.foreign.unterminatedTail = std::move(tail);
  // Every held entry was met in order: the lines left over are exactly those
  // the lists did not hold. Otherwise count them.
  if (!inOrder.tookAll()) {
    std::optional<std::vector<std::string>> unheld = unheldByCount(index, lists);
    if (!unheld)
      return std::nullopt;
    kept.unheldEntries = std::move(*unheld);
  }
  return kept;
}

std::string composeIndex(const NewIndex &index, const LinesToKeep &lines) {
  std::size_t size = 8 + lines.foreign.unterminatedTail.size();
  for (const std::span<const CacheEntry> &list : index.lists) {
    for (const CacheEntry &entry : list)
      size += entry.cacheName.size() + entry.utName.size() + 2;
  }
  for (const CacheEntry &entry : index.stayed)
    size += entry.cacheName.size() + entry.utName.size() + 2;
  for (const std::string &line : lines.unheldEntries)
    size += line.size() + 1;
  for (const std::string &line : lines.foreign.lines)
    size += line.size() + 1;

  EntryCounts leaveOut;
  for (const CacheEntry &entry : index.leaveOut)
    leaveOut.add(entry.cacheName, entry.utName);
  std::string text;
  text.reserve(size);
  text += "[Cache]\n";
  const auto write = [&](const CacheEntry &entry) {
    if (!index.leaveOut.empty() && leaveOut.take(entry.cacheName, entry.utName))
      return;
    text += entry.cacheName;
    text += '=';
    text += entry.utName;
    text += '\n';
  };
  for (const std::span<const CacheEntry> &list : index.lists) {
    for (const CacheEntry &entry : list) {
      if (entry.selected != 1)
        write(entry);
    }
  }
  for (const CacheEntry &entry : index.stayed)
    write(entry);
  for (const std::vector<std::string> *group : {&lines.unheldEntries, &lines.foreign.lines}) {
    for (const std::string &line : *group) {
      text += line;
      text += '\n';
    }
  }
  text += lines.foreign.unterminatedTail;
  return text;
}

bool swapIndex(const std::string &indexPath, const std::string &temporaryName, const IndexComposer &compose,
               const std::function<void(SwapInstant)> &pause) {
  const std::optional<Target> target = targetOf(indexPath);
  if (!target)
    return false;
  IndexComposer current = compose;
  for (int attempt = 0; attempt < kSwapAttempts; ++attempt) {
    AttemptResult result = attemptSwap(*target, temporaryName, current, pause);
    if (result.outcome == Attempt::Failed)
      return false;
    if (result.outcome == Attempt::Changed)
      continue;
    if (!flushFile(target->folder.get()))
      return false;
    if (result.appended.empty())
      return true;
    // The new index lacks what the old one gained in the last instant: add
    // it to the new one, which is then what must not change underneath.
    current = [appended = std::move(result.appended)](int index) -> std::optional<std::string> {
      std::optional<std::string> text = index >= 0 ? readToEnd(index) : std::string();
      if (text)
        *text += appended;
      return text;
    };
  }
  return false;
}

bool rewriteIndex(const std::string &indexPath, const std::string &temporaryName, const NewIndex &index,
                  const std::function<void(SwapInstant)> &pause) {
  return swapIndex(
      indexPath, temporaryName,
      [&](int fd) -> std::optional<std::string> {
        const std::optional<LinesToKeep> lines = readLinesToKeep(fd, index.lists);
        if (!lines)
          return std::nullopt;
        return composeIndex(index, *lines);
      },
      pause);
}

IndexComposer indexWithout(std::function<bool(const EntryLine &entry)> drop) {
  return [drop = std::move(drop)](int index) -> std::optional<std::string> {
    if (index < 0)
      return std::nullopt;
    std::string text;
    std::string tail;
    const ScanOutcome outcome = scanIndexLines(
        index,
        [&](const IndexLine &line) {
          const std::optional<EntryLine> entry = splitEntryLine(line);
          if (entry && drop(*entry))
            return;
          text.append(line.bytes).append(1, '\n');
        },
        &tail);
    if (outcome != ScanOutcome::Whole)
      return std::nullopt;
    return text + tail;
  };
}

IndexComposer indexWith(std::vector<CacheEntry> added) {
  return [added = std::move(added)](int index) -> std::optional<std::string> {
    std::string text;
    std::string tail;
    std::set<std::string, std::less<>> held;
    if (index < 0) {
      text = "[Cache]\n";
    } else {
      const ScanOutcome outcome = scanIndexLines(
          index,
          [&](const IndexLine &line) {
            if (const std::optional<EntryLine> entry = splitEntryLine(line))
              held.emplace(entry->key);
            text.append(line.bytes).append(1, '\n');
          },
          &tail);
      if (outcome != ScanOutcome::Whole)
        return std::nullopt;
      // An unfinished last line is finished, so that the new ones start
      // lines of their own.
      if (!tail.empty()) {
        if (const std::optional<EntryLine> entry = splitEntryLine(IndexLine{tail}))
          held.emplace(entry->key);
        text.append(tail).append(1, '\n');
      }
    }
    for (const CacheEntry &entry : added) {
      if (held.emplace(entry.cacheName).second)
        text.append(entry.cacheName).append(1, '=').append(entry.utName).append(1, '\n');
    }
    return text;
  };
}
