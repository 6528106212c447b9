#include "window/browse_texts.h"

#include "catalogue/category.h"
#include "posix/paths.h"
#include "window/move_texts.h"

#include <algorithm>

namespace {

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool holds(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [](char a, char b) { return foldAscii(a) == foldAscii(b); }) != text.end();
}

} // namespace

bool matchesFilter(const CacheEntry &entry, std::string_view filter, std::string_view title) {
  return filter.empty() || holds(entry.utName, filter) || holds(entry.cacheName, filter) ||
         (!title.empty() && holds(title, filter));
}

bool namesInOrder(std::string_view left, std::string_view right) {
  const auto folded = std::mismatch(left.begin(), left.end(), right.begin(), right.end(),
                                    [](char a, char b) { return foldAscii(a) == foldAscii(b); });
  if (folded.first != left.end() && folded.second != right.end())
    return static_cast<unsigned char>(foldAscii(*folded.first)) < static_cast<unsigned char>(foldAscii(*folded.second));
  if (left.size() != right.size())
    return left.size() < right.size();
  return left < right;
}

std::string tabLabel(std::string_view category, std::size_t shown, std::size_t total, bool filtered) {
  std::string label(category);
  label += " (";
  if (filtered)
    label += formatCount(shown) + " of ";
  return label + formatCount(total) + ")";
}

std::string tabCountsText(std::size_t packages, std::size_t ticked) {
  return countPackages(packages) + ", " + formatCount(ticked) + " ticked";
}

std::string tickedTotalsText(const TickedTotals &totals) {
  std::string text = formatCount(totals.ticked) + " ticked in all, " + formatByteSize(totals.bytes);
  if (totals.missing > 0)
    text += ", " + formatCount(totals.missing) + " missing";
  if (totals.pendingSizes > 0)
    text += ", sizing…";
  return text;
}

std::string emptyTabText(std::size_t category, bool filtered) {
  // Named as on the tab, so the two texts read alike.
  const std::string in = category < kCategoryCount ? " in " + std::string(kCategories[category].name) : "";
  return filtered ? "No packages" + in + " match the filter" : "No packages" + in;
}

std::optional<std::uint64_t> PackageSizes::sizeOf(const std::string &cacheDirectory, const std::string &cacheName) {
  auto known = sizes_.find(cacheName);
  if (known == sizes_.end())
    known = sizes_.emplace(cacheName, plainFileSize(cachedFilePath(cacheDirectory, cacheName))).first;
  return known->second;
}

void PackageSizes::addTicked(const std::string &cacheDirectory, const std::vector<CacheEntry> &list,
                             TickedTotals &totals, std::size_t &lookups) {
  for (const CacheEntry &entry : list) {
    if (entry.selected != 1)
      continue;
    ++totals.ticked;
    auto known = sizes_.find(entry.cacheName);
    if (known == sizes_.end()) {
      if (lookups == 0) {
        ++totals.pendingSizes;
        continue;
      }
      --lookups;
      known = sizes_.emplace(entry.cacheName, plainFileSize(cachedFilePath(cacheDirectory, entry.cacheName))).first;
    }
    if (known->second)
      totals.bytes += *known->second;
    else
      ++totals.missing;
  }
}

std::string removedEntriesText(std::size_t lines) {
  return "Removed " + formatCount(lines) + (lines == 1 ? " entry that named" : " entries that named") +
         " no cached file";
}

std::string reloadedText(std::size_t packages) { return "Read the cache index again: " + countPackages(packages); }

std::string openedCacheText(const std::string &cacheFolder, std::size_t packages) {
  return "Opened the cache " + cacheFolder + ": " + countPackages(packages);
}

std::string versionsText(std::size_t versions) {
  return "One of " + formatCount(versions) + " versions in the cache: the newer is the one downloaded last";
}
