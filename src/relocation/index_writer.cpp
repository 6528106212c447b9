#include "relocation/index_writer.h"

#include "posix/flush.h"
#include "posix/io.h"
#include "posix/paths.h"
#include "relocation/entry_counts.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace {

bool sameNames(const CacheEntry &entry, const EntryLine &line) {
  return entry.cacheName == line.key && entry.utName == line.value;
}

// Accounts for the index's entry lines with the held entries. The lists keep
// the index's order, so in the usual case each line is the next held entry of
// its category, unticked or ticked; only when that fails are the lines
// counted as a multiset.
class HeldInOrder {
public:
  explicit HeldInOrder(const HeldEntries &held) : held_(held) {
    std::size_t ticked = 0;
    for (std::size_t category = 0; category < kCategoryCount; ++category) {
      tickedNext_[category] = ticked;
      const std::string_view name = kCategories[category].name;
      while (ticked < held.tickedDestinations.size() && held.tickedDestinations[ticked].starts_with(name) &&
             held.tickedDestinations[ticked].size() > name.size() &&
             held.tickedDestinations[ticked][name.size()] == '/')
        ++ticked;
      tickedEnd_[category] = ticked;
    }
  }

  // Whether `line` of `category` is the next held entry of its category;
  // takes it when it is.
  bool take(std::size_t category, const EntryLine &line) {
    std::size_t &unticked = untickedNext_[category];
    if (unticked < held_.unticked[category].size() && sameNames(held_.unticked[category][unticked], line)) {
      ++unticked;
      return true;
    }
    std::size_t &ticked = tickedNext_[category];
    if (ticked < tickedEnd_[category] && held_.tickedCacheNames[ticked] == line.key &&
        std::string_view(held_.tickedDestinations[ticked]).substr(kCategories[category].name.size() + 1) ==
            line.value) {
      ++ticked;
      return true;
    }
    return false;
  }

  bool tookAll() const {
    for (std::size_t category = 0; category < kCategoryCount; ++category) {
      if (untickedNext_[category] != held_.unticked[category].size() || tickedNext_[category] != tickedEnd_[category])
        return false;
    }
    return true;
  }

private:
  const HeldEntries &held_;
  std::array<std::size_t, kCategoryCount> untickedNext_{};
  std::array<std::size_t, kCategoryCount> tickedNext_{};
  std::array<std::size_t, kCategoryCount> tickedEnd_{};
};

// How many of each entry the lists held.
EntryCounts countHeld(const HeldEntries &held) {
  EntryCounts counts;
  for (const std::span<const CacheEntry> &list : held.unticked) {
    for (const CacheEntry &entry : list)
      counts.add(entry.cacheName, entry.utName);
  }
  for (std::size_t index = 0; index < held.tickedCacheNames.size(); ++index) {
    const std::string &destination = held.tickedDestinations[index];
    counts.add(held.tickedCacheNames[index], std::string_view(destination).substr(destination.find('/') + 1));
  }
  return counts;
}

// The entry lines of the index that the held entries do not account for, as
// a multiset; std::nullopt when the index cannot be read whole.
std::optional<std::vector<std::string>> unheldByCount(const std::string &indexPath, const HeldEntries &held) {
  EntryCounts counts = countHeld(held);
  std::vector<std::string> unheld;
  const ScanOutcome outcome = scanIndexLines(indexPath, [&](const IndexLine &line) {
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

} // namespace

std::optional<LinesToKeep> readLinesToKeep(const std::string &indexPath, const HeldEntries &held) {
  LinesToKeep kept;
  struct stat info {};
  if (::lstat(indexPath.c_str(), &info) != 0)
    return errno == ENOENT ? std::optional<LinesToKeep>(std::move(kept)) : std::nullopt;

  HeldInOrder inOrder(held);
  std::string tail;
  const ScanOutcome outcome = scanIndexLines(
      indexPath,
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
    std::optional<std::vector<std::string>> unheld = unheldByCount(indexPath, held);
    if (!unheld)
      return std::nullopt;
    kept.unheldEntries = std::move(*unheld);
  }
  return kept;
}

std::string composeIndex(const std::vector<CacheEntry> &keptEntries, const LinesToKeep &lines) {
  std::size_t size = 8 + lines.foreign.unterminatedTail.size();
  for (const CacheEntry &entry : keptEntries)
    size += entry.cacheName.size() + entry.utName.size() + 2;
  for (const std::string &line : lines.unheldEntries)
    size += line.size() + 1;
  for (const std::string &line : lines.foreign.lines)
    size += line.size() + 1;

  std::string text;
  text.reserve(size);
  text += "[Cache]\n";
  for (const CacheEntry &entry : keptEntries) {
    text += entry.cacheName;
    text += '=';
    text += entry.utName;
    text += '\n';
  }
  for (const std::vector<std::string> *group : {&lines.unheldEntries, &lines.foreign.lines}) {
    for (const std::string &line : *group) {
      text += line;
      text += '\n';
    }
  }
  text += lines.foreign.unterminatedTail;
  return text;
}

bool rewriteIndex(const std::string &indexPath, const std::vector<CacheEntry> &keptEntries, const HeldEntries &held) {
  const std::optional<LinesToKeep> lines = readLinesToKeep(indexPath, held);
  return lines && replaceIndex(indexPath, composeIndex(keptEntries, *lines));
}

bool replaceIndex(const std::string &indexPath, const std::string &text) {
  std::string target = indexPath;
  struct stat info {};
  if (::lstat(indexPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char *resolved = ::realpath(indexPath.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  ReplacementFile file(target);
  return file.valid() && writeAll(file.fd(), text.data(), text.size()) && file.finish(ReplacementFile::Flush::Now) &&
         file.commit() && flushFolder(folderOf(target));
}
