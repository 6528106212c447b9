#include "relocation/copy_out.h"

#include "catalogue/category.h"
#include "catalogue/category_folders.h"
#include "catalogue/package_check.h"
#include "posix/beneath.h"
#include "posix/flush.h"
#include "posix/folded_names.h"
#include "posix/name_folding.h"
#include "posix/paths.h"
#include "relocation/copy_journal.h"
#include "relocation/file_copy.h"
#include "relocation/replacement_file.h"
#include "relocation/uz2_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace {

std::string errorReason(const char *what, int error) { return std::string(what) + " (" + std::strerror(error) + ")"; }

// The folder a copy goes in, made when it is a category's and missing. A
// category's folder spelled in another case ("maps") is the category's.
FileDescriptor openCopyFolder(int base, const std::string &basePath, std::string &relative, bool mayMake) {
  if (mayMake && relative.find('/') == std::string::npos)
    relative = findFolderNamed(basePath, relative).value_or(relative);
  FileDescriptor folder = openFolderBeneath(base, relative);
  if (folder.valid() || errno != ENOENT || !mayMake || relative.find('/') != std::string::npos)
    return folder;
  if (::mkdirat(base, relative.c_str(), 0777) != 0 && errno != EEXIST)
    return folder;
  return openFolderBeneath(base, relative);
}

class PackageCopier {
public:
  PackageCopier(const CopyOutSettings &settings, const CopyOutEvents &events)
      : settings_(settings), events_(events), cacheFolder_(openFolder(settings.cacheDirectory)),
        folder_(openFolder(settings.folder)), folderError_(folder_.valid() ? 0 : errno), journal_(settings.dataHome) {}

  // The new names are on disk once their folders are flushed.
  bool flushFolders() const {
    bool flushed = true;
    for (const std::string &folder : touchedFolders_)
      flushed = flushFolder(folder) && flushed;
    return flushed;
  }

  // Empty once the package is copied; why it was left out otherwise
  // (kCancelledCopyReason when the user stopped).
  std::string copy(const PlannedMove &package, MoveProgress &progress) {
    if (!folder_.valid())
      return errorReason("Could not open the folder", folderError_);
    std::optional<RelativeName> name = splitRelativeName(copyNameOf(package, settings_));
    if (!name)
      return "Left out: its name leads out of the folder";
    const std::optional<RelativeName> cached = splitRelativeName(package.cacheName + ".uxx");
    FileDescriptor source = cached && cached->folder.empty() && cacheFolder_.valid()
                                ? openLeaf(cacheFolder_.get(), cached->leaf, O_RDONLY)
                                : FileDescriptor();
    struct stat info {};
    if (!source.valid() || ::fstat(source.get(), &info) != 0)
      return errorReason("Could not open file for reading!", errno == 0 ? ENOENT : errno);
    if (!S_ISREG(info.st_mode))
      return std::string("Could not open file for reading! (") + notAPlainFileReason(info.st_mode) + ")";
    // Checked on the file that is copied, not on a second open of its name.
    if (settings_.leaveDamaged && isDamaged(checkPackageStart(source.get(), package.utName)))
      return kDamagedReason;
    const bool categoryFolder = settings_.format == CopyFormat::Plain && settings_.intoCategoryFolders;
    const FileDescriptor target = openCopyFolder(folder_.get(), settings_.folder, name->folder, categoryFolder);
    if (!target.valid())
      return errorReason("Could not open file for writing!", errno);
    const std::string targetPath = settings_.folder + (name->folder.empty() ? "" : "/" + name->folder);
    touchedFolders_.insert(targetPath);
    if (!claim(targetPath, name->leaf))
      return kSameCopyNameReason;
    // A file there in another case is the file of that name to the game,
    // and is replaced under its own spelling.
    const std::optional<std::string> spelled = spellings_[targetPath].spellingOf(target.get(), targetPath, name->leaf);
    if (!spelled)
      return errorReason("Could not open file for writing!", errno);
    const std::string &leaf = *spelled;
    if (!settings_.replaceExisting && statLeaf(target.get(), leaf))
      return kExistingFileReason;

    const std::string temporary = newTemporaryName(target.get());
    if (!journal_.record(targetPath, temporary))
      return "Not copied: Cache Sorter could not keep a record of its copies in " + settings_.dataHome;
    ReplacementFile copy(target.get(), leaf, temporary);
    if (!copy.valid())
      return errorReason("Could not open file for writing!", copy.error());
    const auto size = static_cast<std::uint64_t>(info.st_size);
    progress.bytesTotal = size;
    progress.bytesCopied = 0;
    const auto onBytes = [&](std::uint64_t done) {
      progress.allBytesCopied += done - std::min(done, progress.bytesCopied);
      progress.bytesCopied = done;
      if (events_.progress)
        events_.progress(progress);
    };
    int error = 0;
    if (settings_.format == CopyFormat::Uz2) {
      Uz2Settings uz2;
      uz2.progress = onBytes;
      uz2.cancelled = events_.cancelled;
      error = writeUz2(source.get(), size, copy.fd(), uz2);
      // Read back and inflated against the cached file before it counts.
      if (error == 0 && checkUz2(copy.fd(), source.get(), size) != 0)
        return "Not copied: the compressed file did not read back as the cached file";
    } else {
      error = copyContents(source.get(), copy.fd(), size, onBytes);
      struct stat written {};
      if (error == 0 && (::fstat(copy.fd(), &written) != 0 || static_cast<std::uint64_t>(written.st_size) != size))
        error = EIO;
    }
    if (error == ECANCELED)
      return kCancelledCopyReason;
    if (error != 0)
      return errorReason("Could not write the copy", error);
    if (!copy.finish(ReplacementFile::Flush::Now))
      return errorReason("Could not write the copy", errno);
    if (!copy.commit(!settings_.replaceExisting))
      return errno == EEXIST ? kExistingFileReason : errorReason("Could not write the copy", errno);
    return {};
  }

private:
  // Whether the copy name `leaf` of the folder at `path` is this package's.
  // Names that differ in case alone are one: the game may take either, and
  // a folder that folds case takes them for one.
  bool claim(const std::string &path, const std::string &leaf) {
    return claimed_.insert(path + '\0' + foldAsciiCase(leaf)).second;
  }

  const CopyOutSettings &settings_;
  const CopyOutEvents &events_;
  const FileDescriptor cacheFolder_;
  const FileDescriptor folder_;
  const int folderError_; // why the folder could not be opened
  std::set<std::string> touchedFolders_;
  std::map<std::string, NameSpellings> spellings_;
  std::set<std::string> claimed_;
  CopyJournal journal_;
};

} // namespace

std::string copyNameOf(const PlannedMove &package, const CopyOutSettings &settings) {
  if (settings.format == CopyFormat::Uz2)
    return package.utName + ".uz2";
  if (settings.intoCategoryFolders)
    return destinationOf(kCategories[package.category], package.utName);
  return package.utName;
}

CopyOutPreview previewCopyOut(const std::vector<PlannedMove> &plan, const CopyOutSettings &settings) {
  CopyOutPreview preview;
  preview.packages = plan.size();
  // Where each copy would go, spelled as what stands there already.
  const CategoryFolders categories(settings.folder);
  const FileDescriptor flat = openFolder(settings.folder);
  NameSpellings flatNames;
  const auto existingCopyOf = [&](const PlannedMove &package) {
    const std::string name = copyNameOf(package, settings);
    if (settings.format == CopyFormat::Plain && settings.intoCategoryFolders)
      return categories.fileOf(package.category, package.utName).value_or(settings.folder + "/" + name);
    const bool spell = flat.valid() && name.find('/') == std::string::npos;
    const std::optional<std::string> spelled = spell ? flatNames.spellingOf(flat.get(), settings.folder, name) : name;
    return settings.folder + "/" + spelled.value_or(name);
  };
  for (const PlannedMove &package : plan) {
    const std::string cached = cachedFilePath(settings.cacheDirectory, package.cacheName);
    if (const std::optional<std::uint64_t> size = plainFileSize(cached))
      preview.totalBytes += *size;
    else
      ++preview.missingFiles;
    preview.damaged += isDamaged(checkCachedFile(cached, package.utName)) ? 1 : 0;
    struct stat info {};
    preview.existing += ::lstat(existingCopyOf(package).c_str(), &info) == 0 ? 1 : 0;
  }
  return preview;
}

MoveReport copyOut(const std::vector<PlannedMove> &plan, const CopyOutSettings &settings, const CopyOutEvents &events) {
  MoveReport report;
  report.action = settings.format == CopyFormat::Uz2 ? MoveReport::Action::Export : MoveReport::Action::Copy;
  PackageCopier copier(settings, events);
  MoveProgress progress;
  progress.action = report.action;
  progress.total = plan.size();
  // The bar goes by bytes: a large package takes its share of it.
  std::vector<std::uint64_t> sizes;
  if (events.progress) {
    for (const PlannedMove &package : plan)
      sizes.push_back(plainFileSize(cachedFilePath(settings.cacheDirectory, package.cacheName)).value_or(0));
    progress.copies = plan.size();
  }
  std::uint64_t before = 0;
  for (const std::uint64_t size : sizes)
    progress.allBytesTotal += size;
  // From `index` on, nothing more is copied.
  const auto stopAt = [&](std::size_t index) {
    report.cancelled = true;
    report.planned = plan.size();
    report.handled = index;
    for (std::size_t left = index; left < plan.size(); ++left)
      report.stayed.push_back({plan[left].utName, plan[left].cacheName, kCancelledCopyReason});
  };
  for (std::size_t index = 0; index < plan.size(); ++index) {
    const PlannedMove &package = plan[index];
    if (events.cancelled && events.cancelled()) {
      stopAt(index);
      break;
    }
    progress.current = index + 1;
    progress.utName = package.utName;
    progress.bytesTotal = progress.bytesCopied = 0;
    progress.allBytesCopied = before;
    if (events.progress)
      events.progress(progress);
    const std::string reason = copier.copy(package, progress);
    before += index < sizes.size() ? sizes[index] : 0;
    if (reason == kCancelledCopyReason) {
      stopAt(index);
      break;
    }
    if (reason.empty())
      report.moved.push_back({package.utName, package.cacheName, ""});
    else
      report.stayed.push_back({package.utName, package.cacheName, reason});
  }
  // The copies are there, but a power cut could still take their names.
  if (!copier.flushFolders()) {
    for (MoveReport::Package &package : report.moved)
      package.reason = "Copied, but its folder could not be flushed to the disk";
  }
  return report;
}
