#include "relocation/transfer.h"

#include "catalogue/category_folders.h"
#include "catalogue/long_names.h"
#include "posix/beneath.h"
#include "posix/file_identity.h"
#include "posix/flush.h"
#include "posix/folded_names.h"
#include "posix/name_folding.h"
#include "relocation/file_copy.h"
#include "relocation/move_claims.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *kCannotRead = "Could not open file for reading!";
// The report's words for a package whose cached file is gone, as the
// question says it.
constexpr const char *kNoCachedFileReason = "It has no cached file";
constexpr const char *kCannotWrite = "Could not open file for writing!";
constexpr const char *kCopyFailed = "Could not copy file!";
constexpr const char *kNameLeavesFolder = "Refused to move a file whose name leads outside its folder!";
constexpr const char *kSameCachedFile = "its cached file moves for another ticked line";
constexpr const char *kSameDestination = "Another ticked package goes to the same file";
constexpr const char *kSourceChanged = "The cached file changed during the move";

// The cache folder and the eight category folders, and the subfolders below
// them that names lead into, each opened once.
class Folders {
public:
  static constexpr std::size_t kCache = 0;
  static std::size_t category(std::size_t index) { return index + 1; }

  struct Opened {
    FileDescriptor fd;
    int error = 0;
    std::string path;
    mutable long longestName = 0; // looked up when first needed; -1 when unknown
  };

  explicit Folders(const TransferSettings &settings) {
    basePaths_.push_back(settings.cacheDirectory);
    // The category folders as the game spells them: Steam's "maps" takes
    // the maps, and no second "Maps" is made beside it.
    const CategoryFolders game(settings.unrealDir);
    for (std::size_t category = 0; category < kCategoryCount; ++category)
      basePaths_.push_back(game.folder(category));
    folds_.resize(basePaths_.size());
  }

  // `relative` beneath the base folder `base`.
  const Opened &at(std::size_t base, const std::string &relative) {
    const auto [found, isNew] = opened_.try_emplace({base, relative});
    Opened &folder = found->second;
    if (!isNew)
      return folder;
    folder.path = relative.empty() ? basePaths_[base] : basePaths_[base] + "/" + relative;
    if (relative.empty()) {
      folder.fd = openFolder(basePaths_[base]);
    } else {
      const Opened &baseFolder = at(base, "");
      folder.fd = baseFolder.fd.valid() ? openFolderBeneath(baseFolder.fd.get(), relative) : FileDescriptor();
      if (!baseFolder.fd.valid())
        errno = baseFolder.error;
    }
    if (!folder.fd.valid())
      folder.error = errno;
    return folder;
  }

  // The name under which `leaf` stands in `folder` as the game finds it:
  // on a volume that tells case apart, a file spelled in another case is
  // the file of that name, and is replaced under its own spelling.
  // Nothing, with errno set, when the folder could not be listed to tell.
  std::optional<std::string> spelled(const Opened &folder, const std::string &leaf) {
    if (!folder.fd.valid())
      return leaf;
    return names_[&folder].spellingOf(folder.fd.get(), folder.path, leaf);
  }

  // Whether the base folder takes names that differ only in case for one.
  bool foldsCase(std::size_t base) {
    if (!folds_[base]) {
      const Opened &folder = at(base, "");
      folds_[base] = folder.fd.valid() && folderFoldsCase(folder.fd.get(), folder.path);
    }
    return *folds_[base];
  }

private:
  std::vector<std::string> basePaths_;
  std::vector<std::optional<bool>> folds_;
  std::map<std::pair<std::size_t, std::string>, Opened> opened_;
  std::map<const Opened *, NameSpellings> names_;
};

// One end of a package's way: a file in an opened folder.
struct End {
  const Folders::Opened *folder = nullptr;
  std::string leaf;
  int fd() const { return folder->fd.get(); }
};

struct Move {
  std::size_t index;
  End from;
  End to;
  // Why the name's spelling in its folder could not be told, or 0: the
  // package then stays, since a second spelling might be made.
  int unknownSpelling = 0;
};

// A package copied into its temporary file beside its destination.
struct StagedCopy {
  StagedCopy(Move move, const FileIdentity &source, const std::string &temporaryName)
      : move(std::move(move)), source(source), file(this->move.to.fd(), this->move.to.leaf, temporaryName) {}
  Move move;
  FileIdentity source; // the cached file as it was copied
  ReplacementFile file;
};

// ENAMETOOLONG when the destination's folder cannot hold its name, else 0.
int nameProblem(const End &to) {
  if (to.folder->longestName == 0)
    to.folder->longestName = ::fpathconf(to.fd(), _PC_NAME_MAX);
  const long longest = to.folder->longestName;
  return longest > 0 && to.leaf.size() > static_cast<std::size_t>(longest) ? ENAMETOOLONG : 0;
}

// What stands at a destination that cannot take a file: EISDIR for a folder
// (or a link to one), ENAMETOOLONG for a name too long; 0 otherwise.
int destinationProblem(const End &to) {
  if (const int problem = nameProblem(to))
    return problem;
  struct stat info {};
  if (::fstatat(to.fd(), to.leaf.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode))
    return EISDIR;
  return 0;
}

// 0 when the cached file still is the one that was copied; -1 when it is
// not; the errno when that cannot be told.
int changeSince(const End &from, const FileIdentity &copied) {
  const std::optional<struct stat> now = statLeaf(from.fd(), from.leaf);
  if (!now)
    return errno == ENOENT ? -1 : errno;
  return FileIdentity::of(*now) == copied ? 0 : -1;
}

// One run of the transfer over a plan.
class Transfer {
public:
  Transfer(const std::vector<PlannedMove> &plan, const TransferSettings &settings)
      : plan_(plan), settings_(settings), folders_(settings), stays_(plan.size()),
        // In the game, two names that differ in case alone are one package:
        // the game may take either.
        claims_([this](std::optional<std::size_t> category) {
          return category.has_value() || folders_.foldsCase(Folders::kCache);
        }) {}

  TransferResult run() {
    std::vector<Move> copies;
    for (std::size_t index = 0; index < plan_.size(); ++index) {
      if (stopped(index))
        continue;
      if (std::optional<Move> move = resolve(index); move && !renamed(*move))
        copies.push_back(std::move(*move));
    }
    countCopies(copies);
    std::deque<StagedCopy> staged = stageCopies(copies);
    commitCopies(staged);
    const std::set<const Folders::Opened *> unflushed = flushReceivingFolders();
    removeCopiedSources(unflushed);
    for (const Folders::Opened *folder : sourceFoldersChanged_)
      flushFile(folder->fd.get());
    TransferResult result;
    result.settled = unflushed.empty();
    result.cancelled = cancelled_;
    for (std::optional<TransferFailure> &failure : stays_) {
      if (failure)
        result.stayed.push_back(std::move(*failure));
    }
    return result;
  }

private:
  // The package stays in the cache and keeps its line; an alert says why
  // when there is a message.
  void stay(std::size_t index, const char *message, int error, const char *reason = nullptr) {
    stays_[index] = TransferFailure{index, message ? message : "", error, reason ? reason : ""};
    if (message && settings_.alert)
      settings_.alert(plan_[index], *stays_[index]);
  }

  // Whether the user has stopped the move before package `index`, which
  // then stays untouched. Once stopped, it stays stopped.
  bool stopped(std::size_t index) {
    if (!cancelling_ && settings_.cancelled && settings_.cancelled())
      cancelling_ = true;
    if (!cancelling_)
      return false;
    stay(index, nullptr, 0, kCancelledReason);
    ++cancelled_;
    return true;
  }

  // For a copy whose source changed (-1) or could not be looked at.
  void stayChanged(std::size_t index, int change) {
    if (change < 0)
      stay(index, nullptr, 0, kSourceChanged);
    else
      stay(index, kCopyFailed, change);
  }

  // Packages are counted in the order they are taken up, renames before
  // copies; once copies begin, the bar goes by their bytes.
  void showProgress(std::size_t index, std::uint64_t bytesCopied = 0, std::uint64_t bytesTotal = 0) {
    if (index != lastShown_) {
      lastShown_ = index;
      ++shown_;
    }
    if (!settings_.progress)
      return;
    MoveProgress progress{shown_, plan_.size(), plan_[index].utName, bytesCopied, bytesTotal};
    progress.copies = copies_;
    progress.allBytesCopied = copiedBefore_ + bytesCopied;
    progress.allBytesTotal = copyBytes_;
    settings_.progress(progress);
  }

  // The bytes the copies will take, looked at before the first begins.
  void countCopies(const std::vector<Move> &copies) {
    copies_ = copies.size();
    for (const Move &move : copies) {
      const std::optional<struct stat> source =
          move.from.folder->error == 0 ? statLeaf(move.from.fd(), move.from.leaf) : std::nullopt;
      const std::uint64_t size = source && S_ISREG(source->st_mode) ? static_cast<std::uint64_t>(source->st_size) : 0;
      copySizes_.push_back(size);
      copyBytes_ += size;
    }
  }

  // Finds both ends of a package's way and claims them; the move, or nothing
  // when the package stays.
  std::optional<Move> resolve(std::size_t index) {
    const PlannedMove &planned = plan_[index];
    const std::optional<RelativeName> source = splitRelativeName(planned.cacheName + ".uxx");
    const std::optional<RelativeName> destination = splitRelativeName(planned.utName);
    switch (claims_.claim(planned)) {
    case MoveClaims::Claim::Taken:
      break;
    case MoveClaims::Claim::LeavesFolder:
      stay(index, kNameLeavesFolder, 0);
      return std::nullopt;
    case MoveClaims::Claim::SameCachedFile:
      // A later line for a cached file already taken finds it gone.
      stay(index, kCannotRead, 0, kSameCachedFile);
      return std::nullopt;
    case MoveClaims::Claim::SameDestination:
      stay(index, nullptr, 0, kSameDestination);
      return std::nullopt;
    }
    const std::size_t categoryBase = Folders::category(planned.category);
    const Folders::Opened &to = folders_.at(categoryBase, destination->folder);
    const std::optional<std::string> leaf = folders_.spelled(to, destination->leaf);
    const int unknownSpelling = leaf ? 0 : errno;
    Move move{index,
              {&folders_.at(Folders::kCache, source->folder), source->leaf},
              {&to, leaf.value_or(destination->leaf)},
              unknownSpelling};
    if (move.from.folder->error == ELOOP || move.to.folder->error == ELOOP) {
      stay(index, kNameLeavesFolder, 0);
      return std::nullopt;
    }
    return move;
  }

  // Renames the package when both paths lie on one volume. False when it is
  // to be copied instead.
  bool renamed(const Move &move) {
    const PlannedMove &planned = plan_[move.index];
    const std::string source = settings_.cacheDirectory + "/" + planned.cacheName + ".uxx";
    const std::string destination = move.to.folder->path + "/" + move.to.leaf;
    if (!settings_.sameVolume(destination, source))
      return false;
    showProgress(move.index);
    // A failed rename leaves the package silently in the cache.
    if (move.unknownSpelling != 0) {
      stay(move.index, nullptr, move.unknownSpelling);
      return true;
    }
    for (const End *end : {&move.from, &move.to}) {
      if (end->folder->error != 0) {
        stay(move.index, nullptr, end->folder->error);
        return true;
      }
    }
    const std::optional<struct stat> cached = statLeaf(move.from.fd(), move.from.leaf);
    if (!cached) {
      if (errno == ENOENT)
        stay(move.index, nullptr, 0, kNoCachedFileReason);
      else
        stay(move.index, nullptr, errno);
      return true;
    }
    if (!S_ISREG(cached->st_mode)) {
      stay(move.index, nullptr, 0, notAPlainFileReason(cached->st_mode));
      return true;
    }
    int error = renameWithoutReplacing(move.from.fd(), move.from.leaf, move.to.fd(), move.to.leaf);
    if (error == EEXIST || error == EINVAL || error == ENOSYS) {
      // Something stands at the destination: a file is replaced, a folder
      // (or a link to one) is not.
      error = destinationProblem(move.to);
      if (error == 0 && ::renameat(move.from.fd(), move.from.leaf.c_str(), move.to.fd(), move.to.leaf.c_str()) != 0)
        error = errno;
    }
    if (error == 0) {
      received(move, nullptr);
      return true;
    }
    // The text said one volume, the kernel says two: copy instead.
    if (error == EXDEV)
      return false;
    stay(move.index, nullptr, error);
    return true;
  }

  void received(const Move &move, const StagedCopy *copy) {
    receivingFolders_.insert(move.to.folder);
    if (!copy)
      sourceFoldersChanged_.insert(move.from.folder);
    arrived_.push_back({move, copy});
  }

  std::deque<StagedCopy> stageCopies(const std::vector<Move> &copies) {
    std::deque<StagedCopy> staged;
    for (std::size_t position = 0; position < copies.size(); copiedBefore_ += copySizes_[position++]) {
      const Move &move = copies[position];
      if (stopped(move.index))
        continue;
      showProgress(move.index);
      if (move.unknownSpelling != 0) {
        stay(move.index, kCannotWrite, move.unknownSpelling);
        continue;
      }
      if (move.from.folder->error != 0) {
        stay(move.index, kCannotRead, move.from.folder->error);
        continue;
      }
      const FileDescriptor source = openLeaf(move.from.fd(), move.from.leaf, O_RDONLY);
      struct stat opened {};
      if (!source.valid() || ::fstat(source.get(), &opened) != 0) {
        if (errno == ELOOP)
          stay(move.index, kCannotRead, 0, notAPlainFileReason(S_IFLNK));
        else
          stay(move.index, kCannotRead, errno);
        continue;
      }
      if (!S_ISREG(opened.st_mode)) {
        stay(move.index, kCannotRead, 0, notAPlainFileReason(opened.st_mode));
        continue;
      }
      if (move.to.folder->error != 0) {
        stay(move.index, kCannotWrite, move.to.folder->error);
        continue;
      }
      // A folder in the way is found by the temporary file's creation.
      if (const int problem = nameProblem(move.to)) {
        stay(move.index, kCannotWrite, problem);
        continue;
      }
      const FileIdentity identity = FileIdentity::of(opened);
      StagedCopy &copy = staged.emplace_back(move, identity, plan_[move.index].temporaryName);
      if (!copy.file.valid()) {
        stay(move.index, kCannotWrite, copy.file.error());
        staged.pop_back();
        continue;
      }
      if (const int error = copyOne(source.get(), copy)) {
        stay(move.index, kCopyFailed, error);
        staged.pop_back();
      }
    }
    return staged;
  }

  // 0 when the whole cached file is in the temporary file and finished, or
  // the errno of a failure. Whether the cached file changed while it was
  // read is asked of its name before the copy is committed.
  int copyOne(int source, StagedCopy &copy) {
    const auto size = static_cast<std::uint64_t>(copy.source.size);
    const CopyProgress onChunk = [&](std::uint64_t copied) {
      if (copied < size)
        showProgress(copy.move.index, copied, size);
    };
    if (const int error = copyContents(source, copy.file.fd(), size, onChunk))
      return error;
    if (!copy.file.finish(ReplacementFile::Flush::WithItsVolume))
      return errno != 0 ? errno : EIO;
    return 0;
  }

  // One flush for each volume that received copies, then each copy renamed
  // into place while its cached file is still what was copied. A copy whose
  // volume could not be flushed stays a temporary file, removed with
  // `staged`.
  void commitCopies(std::deque<StagedCopy> &staged) {
    std::map<const Folders::Opened *, int> folderFlushed; // 0, or why its volume was not flushed
    std::map<dev_t, bool> volumeFlushed;
    for (StagedCopy &copy : staged) {
      const auto [folder, isNewFolder] = folderFlushed.try_emplace(copy.move.to.folder, 0);
      if (isNewFolder)
        folder->second = flushVolumeOf(copy.move.to.fd(), volumeFlushed);
      if (folder->second != 0) {
        stay(copy.move.index, kCopyFailed, folder->second);
        continue;
      }
      if (const int change = changeSince(copy.move.from, copy.source)) {
        stayChanged(copy.move.index, change);
        continue;
      }
      if (!copy.file.commit()) {
        stay(copy.move.index, kCopyFailed, errno);
        continue;
      }
      received(copy.move, &copy);
    }
  }

  // Flushes the volume that holds `folder`, once per volume: 0, or the errno.
  static int flushVolumeOf(int folder, std::map<dev_t, bool> &volumeFlushed) {
    struct stat info {};
    if (::fstat(folder, &info) != 0)
      return errno;
    const auto [volume, isNew] = volumeFlushed.try_emplace(info.st_dev, false);
    if (isNew)
      volume->second = flushVolume(folder);
    return volume->second ? 0 : EIO;
  }

  // The folders whose flush failed. What arrived in them may not outlast a
  // power cut, so those packages keep their lines and copied ones their
  // cached files.
  std::set<const Folders::Opened *> flushReceivingFolders() const {
    std::set<const Folders::Opened *> failed;
    for (const Folders::Opened *folder : receivingFolders_) {
      if (!flushFile(folder->fd.get()))
        failed.insert(folder);
    }
    return failed;
  }

  void removeCopiedSources(const std::set<const Folders::Opened *> &unflushed) {
    for (const Arrival &arrival : arrived_) {
      const Move &move = arrival.move;
      if (unflushed.contains(move.to.folder)) {
        stay(move.index, arrival.copy ? kCopyFailed : nullptr, EIO);
        continue;
      }
      if (!arrival.copy)
        continue;
      // A cached file that is no longer the one copied, or cannot be
      // removed, keeps its line, so that the index still names every file in
      // the cache.
      if (const int change = changeSince(move.from, arrival.copy->source)) {
        stayChanged(move.index, change);
        continue;
      }
      if (::unlinkat(move.from.fd(), move.from.leaf.c_str(), 0) != 0) {
        stay(move.index, nullptr, errno);
        continue;
      }
      sourceFoldersChanged_.insert(move.from.folder);
    }
  }

  struct Arrival {
    Move move;
    const StagedCopy *copy; // nullptr for a package renamed into place
  };

  const std::vector<PlannedMove> &plan_;
  const TransferSettings &settings_;
  Folders folders_;
  std::vector<std::optional<TransferFailure>> stays_;
  MoveClaims claims_;
  std::vector<Arrival> arrived_;
  std::set<const Folders::Opened *> receivingFolders_;
  std::set<const Folders::Opened *> sourceFoldersChanged_;
  bool cancelling_ = false;
  std::size_t cancelled_ = 0;
  // What the progress counts.
  std::size_t lastShown_ = static_cast<std::size_t>(-1);
  std::size_t shown_ = 0;
  std::size_t copies_ = 0;
  std::vector<std::uint64_t> copySizes_;
  std::uint64_t copyBytes_ = 0;
  std::uint64_t copiedBefore_ = 0;
};

} // namespace

std::string reasonOf(const TransferFailure &failure) {
  if (failure.reason == kCancelledReason || failure.reason == kNoCachedFileReason)
    return failure.reason;
  // The alert gave the system's words; the report gives the question's.
  if (failure.message == kCannotRead && failure.error == ENOENT && failure.reason.empty())
    return kNoCachedFileReason;
  std::string text = failure.message.empty() ? std::string("Could not be moved") : failure.message;
  if (!failure.reason.empty())
    text += " (" + failure.reason + ")";
  else if (failure.error != 0)
    text += std::string(" (") + std::strerror(failure.error) + ")";
  return text;
}

std::string describeFailure(const PlannedMove &move, const TransferFailure &failure) {
  std::string text = elideName(move.utName) + " (cached as " + elideName(move.cacheName) + ".uxx)";
  if (!failure.reason.empty())
    text += ": " + failure.reason;
  else if (failure.error != 0)
    text += ": " + std::string(std::strerror(failure.error));
  return text;
}

TransferResult keepAllInCache(const std::vector<PlannedMove> &plan, const std::string &message) {
  TransferResult result;
  for (std::size_t index = 0; index < plan.size(); ++index)
    result.stayed.push_back(TransferFailure{index, message, 0, ""});
  return result;
}

TransferResult transferFiles(const std::vector<PlannedMove> &plan, const TransferSettings &settings) {
  if (plan.empty())
    return {};
  if (!settings.unrealDir)
    return keepAllInCache(plan, "");
  return Transfer(plan, settings).run();
}
