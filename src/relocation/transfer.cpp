#include "relocation/transfer.h"

#include "posix/file_descriptor.h"
#include "posix/flush.h"
#include "posix/paths.h"
#include "relocation/destination_check.h"
#include "relocation/file_copy.h"
#include "relocation/path_safety.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *kCannotRead = "Could not open file for reading!";
constexpr const char *kCannotWrite = "Could not open file for writing!";
constexpr const char *kCopyFailed = "Could not copy file!";
constexpr const char *kNameLeavesFolder = "Refused to move a file whose name leads outside its folder!";

// Renames without replacing anything: 0, or the errno. EEXIST when something
// stands at the destination; EINVAL or ENOSYS when the system cannot tell.
int renameWithoutReplacing(const std::string &from, const std::string &to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
#elif defined(__APPLE__) && defined(RENAME_EXCL)
  return ::renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0 ? 0 : errno;
#else
  return ENOSYS;
#endif
}

struct Move {
  std::size_t index;
  std::string source;
  std::string destination;
};

// A package copied into a temporary file beside its destination.
struct StagedCopy {
  explicit StagedCopy(Move move) : move(std::move(move)), file(this->move.destination) {}
  Move move;
  ReplacementFile file;
};

// One run of the transfer over a plan.
class Transfer {
public:
  Transfer(MovePlan &plan, const TransferSettings &settings)
      : plan_(plan), settings_(settings), count_(plan.cacheNames.size()), stays_(count_) {}

  TransferResult run() {
    std::vector<Move> copies;
    for (std::size_t index = 0; index < count_; ++index) {
      if (std::optional<Move> move = renameOrPrepareCopy(index))
        copies.push_back(std::move(*move));
    }
    std::deque<StagedCopy> staged = stageCopies(copies);
    commitCopies(staged);
    const std::set<std::string> unflushed = flushReceivingFolders();
    removeCopiedSources(unflushed);
    if (anyLeftTheCache_)
      flushFolder(settings_.cacheDirectory);
    TransferResult result;
    result.settled = unflushed.empty();
    for (std::optional<TransferFailure> &failure : stays_) {
      if (!failure)
        continue;
      plan_.failedEntries.push_back(CacheEntry{0, failure->utName, failure->cacheName});
      result.stayed.push_back(std::move(*failure));
    }
    return result;
  }

private:
  // The package stays in the cache and keeps its line; an alert says why
  // when there is a message.
  void stay(std::size_t index, const char *message, int error) {
    stays_[index] = TransferFailure{index, message ? message : "", plan_.cacheNames[index],
                                    utNameOfDestination(plan_.destinations[index]), error};
    if (message && settings_.alert)
      settings_.alert(*stays_[index]);
  }

  void received(const Move &move, bool copied) {
    receivingFolders_.emplace(folderOf(move.destination));
    arrived_.push_back({move, copied});
    if (!copied)
      anyLeftTheCache_ = true;
  }

  void showProgress(std::size_t index, std::uint64_t bytesCopied = 0, std::uint64_t bytesTotal = 0) const {
    if (settings_.progress)
      settings_.progress(
          MoveProgress{index + 1, count_, utNameOfDestination(plan_.destinations[index]), bytesCopied, bytesTotal});
  }

  // Renames the package when both paths lie on one volume; the move when it
  // is to be copied instead.
  std::optional<Move> renameOrPrepareCopy(std::size_t index) {
    const std::string &cacheName = plan_.cacheNames[index];
    if (leavesItsFolder(cacheName) || leavesItsFolder(plan_.destinations[index])) {
      stay(index, kNameLeavesFolder, 0);
      return std::nullopt;
    }
    Move move{index, cachedFilePath(settings_.cacheDirectory, cacheName), destinationPath(settings_, plan_, index)};
    if (!settings_.sameVolume(move.destination, move.source))
      return move;
    showProgress(index);
    // A failed rename leaves the package silently in the cache. Only the
    // cache's own files move: not a folder, nor a link out of the cache.
    if (!isPlainFile(move.source)) {
      stay(index, nullptr, ENOENT);
      return std::nullopt;
    }
    int error = renameWithoutReplacing(move.source, move.destination);
    if (error == EEXIST || error == EINVAL || error == ENOSYS) {
      // Something stands at the destination: a file is replaced, a folder
      // (or a link to one) is not.
      error = destinations_.problem(move.destination);
      if (error == 0 && std::rename(move.source.c_str(), move.destination.c_str()) != 0)
        error = errno;
    }
    if (error == 0) {
      received(move, false);
      return std::nullopt;
    }
    // The text said one volume, the kernel says two: copy instead.
    if (error == EXDEV)
      return move;
    stay(index, nullptr, error);
    return std::nullopt;
  }

  std::deque<StagedCopy> stageCopies(const std::vector<Move> &copies) {
    std::deque<StagedCopy> staged;
    for (const Move &move : copies) {
      showProgress(move.index);
      const OpenedSource source = openPlainFile(move.source);
      if (!source.file.valid()) {
        stay(move.index, kCannotRead, source.error);
        continue;
      }
      if (const int problem = destinations_.folderOrNameProblem(move.destination)) {
        stay(move.index, kCannotWrite, problem);
        continue;
      }
      // Looks at what stands at the destination before it creates anything.
      StagedCopy &copy = staged.emplace_back(move);
      if (!copy.file.valid()) {
        stay(move.index, kCannotWrite, copy.file.error());
        staged.pop_back();
        continue;
      }
      const CopyProgress onChunk = [&](std::uint64_t copied) {
        if (copied < source.size)
          showProgress(move.index, copied, source.size);
      };
      if (const int error = copyInto(source, copy.file, onChunk)) {
        stay(move.index, kCopyFailed, error);
        staged.pop_back();
      }
    }
    return staged;
  }

  // One flush for each volume that received copies, then each copy renamed
  // into place. A copy whose volume could not be flushed stays a temporary
  // file, removed with `staged`.
  void commitCopies(std::deque<StagedCopy> &staged) {
    std::map<std::string, int> folderFlushed; // 0, or why its volume was not flushed
    std::map<dev_t, bool> volumeFlushed;
    for (StagedCopy &copy : staged) {
      const auto [folder, isNewFolder] = folderFlushed.try_emplace(folderOf(copy.move.destination), 0);
      if (isNewFolder)
        folder->second = flushVolumeOf(folder->first, volumeFlushed);
      if (folder->second != 0) {
        stay(copy.move.index, kCopyFailed, folder->second);
        continue;
      }
      if (!copy.file.commit()) {
        stay(copy.move.index, kCopyFailed, errno);
        continue;
      }
      received(copy.move, true);
    }
  }

  // Flushes the volume that holds `folder`, once per volume: 0, or the errno.
  static int flushVolumeOf(const std::string &folder, std::map<dev_t, bool> &volumeFlushed) {
    const FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!handle.valid() || ::fstat(handle.get(), &info) != 0)
      return errno;
    const auto [volume, isNew] = volumeFlushed.try_emplace(info.st_dev, false);
    if (isNew)
      volume->second = flushVolume(handle.get());
    return volume->second ? 0 : EIO;
  }

  // The folders whose flush failed. What arrived in them may not outlast a
  // power cut, so those packages keep their lines and copied ones their
  // cached files.
  std::set<std::string> flushReceivingFolders() const {
    std::set<std::string> failed;
    for (const std::string &folder : receivingFolders_) {
      if (!flushFolder(folder))
        failed.insert(folder);
    }
    return failed;
  }

  void removeCopiedSources(const std::set<std::string> &unflushedFolders) {
    for (const auto &[move, copied] : arrived_) {
      if (unflushedFolders.contains(folderOf(move.destination))) {
        stay(move.index, copied ? kCopyFailed : nullptr, EIO);
        continue;
      }
      if (!copied)
        continue;
      // A cached file that cannot be removed keeps its line, so that the
      // index still names every file in the cache.
      if (::unlink(move.source.c_str()) != 0) {
        stay(move.index, nullptr, errno);
        continue;
      }
      anyLeftTheCache_ = true;
    }
  }

  struct Arrival {
    Move move;
    bool copied;
  };

  MovePlan &plan_;
  const TransferSettings &settings_;
  const std::size_t count_;
  std::vector<std::optional<TransferFailure>> stays_;
  std::vector<Arrival> arrived_;
  std::set<std::string> receivingFolders_;
  DestinationCheck destinations_;
  bool anyLeftTheCache_ = false;
};

} // namespace

std::string destinationPath(const TransferSettings &settings, const MovePlan &plan, std::size_t index) {
  return *settings.unrealDir + "/" + plan.destinations[index];
}

std::string describeFailure(const TransferFailure &failure) {
  std::string text = failure.utName + " (cached as " + failure.cacheName + ".uxx)";
  if (failure.error != 0)
    text += ": " + std::string(std::strerror(failure.error));
  return text;
}

TransferResult keepAllInCache(MovePlan &plan, const std::string &reason) {
  TransferResult result;
  for (std::size_t index = 0; index < plan.cacheNames.size(); ++index) {
    std::string utName = utNameOfDestination(plan.destinations[index]);
    plan.failedEntries.push_back(CacheEntry{0, utName, plan.cacheNames[index]});
    result.stayed.push_back(TransferFailure{index, reason, plan.cacheNames[index], std::move(utName), 0});
  }
  return result;
}

TransferResult transferFiles(MovePlan &plan, const TransferSettings &settings) {
  if (plan.cacheNames.empty())
    return {};
  if (!settings.unrealDir)
    return keepAllInCache(plan, "");
  return Transfer(plan, settings).run();
}
