#include "relocation/transfer.h"

#include "relocation/file_copy.h"
#include "relocation/path_safety.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *kCannotRead = "Could not open file for reading!";
constexpr const char *kCannotWrite = "Could not open file for writing!";
constexpr const char *kCopyFailed = "Could not copy file!";
constexpr const char *kNameLeavesFolder = "Refused to move a file whose name leads outside its folder!";

// The entry that stays in the index for a file that did not move.
CacheEntry returnedEntry(const std::string &cacheName, const std::string &destination) {
  return CacheEntry{0, destination.substr(destination.find('/') + 1), cacheName};
}

// Only the cache's own files move: not a folder, nor a link out of the cache.
bool isPlainFile(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Moves one file; false when it stays where it was. `stillMoving` is called
// during a long copy.
bool transferOne(const std::string &cacheName, const std::string &destination, const TransferSettings &settings,
                 const std::function<void()> &stillMoving) {
  if (leavesItsFolder(cacheName) || leavesItsFolder(destination)) {
    settings.alert(kNameLeavesFolder);
    return false;
  }
  const std::string sourcePath = settings.cacheDirectory + "/" + cacheName + ".uxx";
  const std::string destinationPath = *settings.unrealDir + "/" + destination;

  if (settings.sameVolume(destinationPath, sourcePath))
    return isPlainFile(sourcePath) && std::rename(sourcePath.c_str(), destinationPath.c_str()) == 0;

  switch (copyFile(sourcePath, destinationPath, stillMoving)) {
  case CopyOutcome::Copied:
    // The copy is complete and on disk; a cached file that cannot be removed
    // only stays behind.
    ::unlink(sourcePath.c_str());
    return true;
  case CopyOutcome::SourceUnreadable:
    settings.alert(kCannotRead);
    return false;
  case CopyOutcome::DestinationUnwritable:
    settings.alert(kCannotWrite);
    return false;
  case CopyOutcome::Failed:
    settings.alert(kCopyFailed);
    return false;
  }
  return false;
}

} // namespace

void transferFiles(MovePlan &plan, const TransferSettings &settings) {
  const std::size_t count = plan.cacheNames.size();
  if (count == 0)
    return;
  if (!settings.unrealDir) {
    for (std::size_t index = 0; index < count; ++index)
      plan.failedEntries.push_back(returnedEntry(plan.cacheNames[index], plan.destinations[index]));
    return;
  }
  for (std::size_t index = 0; index < count; ++index) {
    const auto showProgress = [&settings, index, count] { settings.progress(index + 1, count); };
    showProgress();
    if (!transferOne(plan.cacheNames[index], plan.destinations[index], settings, showProgress))
      plan.failedEntries.push_back(returnedEntry(plan.cacheNames[index], plan.destinations[index]));
  }
}
