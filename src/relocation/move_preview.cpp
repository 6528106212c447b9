// What a move would do, looked up on demand: for the confirmation, and for
// the rows a table shows.
#include "app/app_controller.h"
#include "posix/beneath.h"
#include "posix/name_folding.h"
#include "posix/paths.h"
#include "relocation/move_claims.h"
#include "relocation/move_plan.h"

#include <sys/stat.h>

namespace {

bool isFile(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace

MovePreview AppController::previewMove() const {
  MovePreview preview;
  const std::string cache = cacheDirectory();
  MoveClaims claims([&](std::optional<std::size_t> category) {
    const std::string folder =
        category ? unrealDir.value_or("") + "/" + std::string(kCategories[*category].name) : cache;
    const FileDescriptor opened = openFolder(folder);
    return opened.valid() && folderFoldsCase(opened.get(), folder);
  });
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    for (const CacheEntry &entry : listAt(index)) {
      if (entry.selected != 1)
        continue;
      ++preview.packages;
      const MoveClaims::Claim claim = claims.claim(PlannedMove{index, entry.cacheName, entry.utName, {}});
      if (claim == MoveClaims::Claim::SameCachedFile || claim == MoveClaims::Claim::SameDestination)
        ++preview.clashes;
      if (const std::optional<std::uint64_t> size = plainFileSize(cachedFilePath(cache, entry.cacheName)))
        preview.totalBytes += *size;
      else
        ++preview.unknownSizes;
      const std::string destination = destinationOf(kCategories[index], entry.utName);
      if (!unrealDir || !isFile(*unrealDir + "/" + destination))
        continue;
      if (++preview.replacements <= kNamedReplacements)
        preview.firstReplaced.push_back(destination);
    }
  }
  return preview;
}

std::optional<std::string> AppController::existingDestination(const TableView *table, std::int32_t row) const {
  const std::size_t index = categoryOfTable(table);
  if (!unrealDir || index >= kCategoryCount || row < 0 || static_cast<std::size_t>(row) >= listAt(index).size())
    return std::nullopt;
  std::string path =
      *unrealDir + "/" + destinationOf(kCategories[index], listAt(index)[static_cast<std::size_t>(row)].utName);
  if (!isFile(path))
    return std::nullopt;
  return path;
}
