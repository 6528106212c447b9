#include "relocation/move_preview.h"

#include "catalogue/package_check.h"
#include "posix/name_folding.h"
#include "posix/paths.h"
#include "relocation/move_claims.h"
#include "relocation/move_plan.h"
#include "relocation/same_contents.h"

#include <algorithm>
#include <unistd.h>

MovePreview previewMove(const ListsView &lists, const std::string &cacheDirectory,
                        const std::optional<std::string> &installation, const PreviewEvents &events) {
  MovePreview preview;
  std::size_t ticked = 0;
  for (const std::span<const CacheEntry> &list : lists)
    ticked += static_cast<std::size_t>(
        std::count_if(list.begin(), list.end(), [](const CacheEntry &entry) { return entry.selected == 1; }));
  MoveProgress progress;
  progress.action = PackageAction::Compare;
  progress.total = ticked;
  bool stopped = false;
  const CategoryFolders game(installation);
  // In the game, two names that differ in case alone are one package: the
  // game may take either.
  MoveClaims claims(
      [&](std::optional<std::size_t> category) { return category.has_value() || folderAtFoldsCase(cacheDirectory); });
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    bool folderChecked = !installation;
    bool folderUnwritable = false;
    long longestName = -1; // what the folder's volume takes; -1 when unknown
    for (const CacheEntry &entry : lists[category]) {
      if (entry.selected != 1)
        continue;
      ++preview.packages;
      if (events.progress && !stopped) {
        progress.current = preview.packages;
        progress.utName = entry.utName;
        events.progress(progress);
      }
      stopped = stopped || (events.cancelled && events.cancelled());
      if (!folderChecked) {
        folderChecked = true;
        const std::string &folder = game.folder(category);
        folderUnwritable = folderWriteError(folder) != 0;
        if (folderUnwritable)
          preview.unwritableFolders.push_back(folder.substr(installation->size() + 1));
        longestName = folderUnwritable ? -1 : ::pathconf(folder.c_str(), _PC_NAME_MAX);
      }
      const bool tooLong = longestName > 0 && entry.utName.size() > static_cast<std::size_t>(longestName);
      preview.inUnwritableFolders += folderUnwritable ? 1 : 0;
      preview.tooLongNames += tooLong ? 1 : 0;
      const MoveClaims::Claim claim = claims.claim(PlannedMove{category, entry.cacheName, entry.utName, {}});
      const bool clash = claim == MoveClaims::Claim::SameCachedFile || claim == MoveClaims::Claim::SameDestination;
      preview.clashes += clash ? 1 : 0;
      const std::string cached = cachedFilePath(cacheDirectory, entry.cacheName);
      const std::optional<std::uint64_t> size = plainFileSize(cached);
      preview.totalBytes += size.value_or(0);
      preview.missingFiles += size ? 0 : 1;
      const bool damaged = !stopped && isDamaged(checkCachedFile(cached, entry.utName));
      preview.damaged += damaged ? 1 : 0;
      preview.notLookedAt += stopped ? 1 : 0;
      std::optional<PreviewStay::Why> why;
      if (!size)
        why = PreviewStay::Why::NoCachedFile;
      else if (clash)
        why = PreviewStay::Why::SameDestination;
      else if (folderUnwritable)
        why = PreviewStay::Why::FolderUnwritable;
      else if (tooLong)
        why = PreviewStay::Why::NameTooLong;
      else if (damaged)
        why = PreviewStay::Why::Damaged;
      const std::optional<std::string> existing = existingDestination(game, category, entry.utName);
      if (existing) {
        ++preview.replacements;
        const bool identical = !stopped && sameContents(cached, *existing).value_or(false);
        preview.differentReplacements += identical || stopped ? 0 : 1;
        preview.replaced.push_back(Replacement{existing->substr(installation->size() + 1), identical, !stopped});
        if (!why && !identical)
          why = stopped ? PreviewStay::Why::NotCompared : PreviewStay::Why::Differs;
      }
      if (why)
        preview.staying.push_back(PreviewStay{entry.utName, *why, size.value_or(0)});
    }
  }
  return preview;
}

std::optional<InstalledFile> installedFile(const CategoryFolders &game, std::size_t category, const CacheEntry &entry,
                                           const std::string &cacheDirectory) {
  std::optional<std::string> existing = existingDestination(game, category, entry.utName);
  if (!existing)
    return std::nullopt;
  const bool identical = sameContents(cachedFilePath(cacheDirectory, entry.cacheName), *existing).value_or(false);
  return InstalledFile{std::move(*existing), identical};
}

bool replacesADifferentFile(const CategoryFolders &game, std::size_t category, const CacheEntry &entry,
                            const std::string &cacheDirectory) {
  const std::optional<InstalledFile> installed = installedFile(game, category, entry, cacheDirectory);
  return installed && !installed->identical;
}

std::optional<std::string> existingDestination(const CategoryFolders &game, std::size_t category,
                                               const std::string &utName) {
  if (!game.installation())
    return std::nullopt;
  const std::optional<std::string> spelled = game.fileOf(category, utName);
  // A folder that could not be listed may hold the file in another
  // spelling: it counts as a file there that cannot be compared.
  if (!spelled)
    return game.folder(category) + "/" + utName;
  std::string path = *spelled;
  if (!replaceableFileAt(path))
    return std::nullopt;
  return path;
}
