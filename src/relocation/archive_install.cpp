#include "relocation/archive_install.h"

#include "catalogue/category.h"
#include "package/archive_contents.h"
#include "posix/beneath.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/name_folding.h"
#include "posix/paths.h"
#include "relocation/copy_journal.h"
#include "relocation/replacement_file.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr std::size_t kSystemCategory = 6;
static_assert(kCategories[kSystemCategory].name == "System");

// What players' map packs carry beside the packages, for the player to read.
constexpr std::array<std::string_view, 12> kReadmeEndings = {".txt", ".html", ".htm", ".jpg", ".jpeg", ".png",
                                                             ".bmp", ".gif",  ".pdf", ".rtf", ".md",   ".nfo"};
// The game's language and class-list files, which live in System.
constexpr std::array<std::string_view, 2> kSystemEndings = {".int", ".ucl"};

bool endsWithAny(std::string_view name, std::span<const std::string_view> endings) {
  for (const std::string_view ending : endings)
    if (endsWithEnding(name, ending))
      return true;
  return false;
}

// Why an entry's name cannot be taken beneath a folder, or nothing.
std::optional<std::string> unsafeName(const std::string &name) {
  if (name.starts_with('/') || (name.size() >= 2 && name[1] == ':'))
    return std::string("its name is absolute");
  if (!splitRelativeName(name))
    return std::string("its name leads out of the folder");
  return std::nullopt;
}

const char *whyNotAFile(ArchiveEntry::Kind kind) {
  switch (kind) {
  case ArchiveEntry::Kind::Link:
    return "it is a link";
  case ArchiveEntry::Kind::Device:
    return "it is a device";
  default:
    return "it is not a plain file, or it is encrypted";
  }
}

// Sorts one entry: where it goes, or why not.
ArchiveFile sortEntry(std::size_t index, const ArchiveEntry &entry, const CategoryFolders &game) {
  ArchiveFile file;
  file.index = index;
  file.name = entry.name;
  file.size = entry.size;
  if (const std::optional<std::string> why = unsafeName(entry.name)) {
    file.fate = ArchiveFile::Fate::Refused;
    file.why = *why;
    return file;
  }
  file.leaf = splitRelativeName(entry.name)->leaf;
  if (entry.kind != ArchiveEntry::Kind::File) {
    file.fate = ArchiveFile::Fate::Refused;
    file.why = whyNotAFile(entry.kind);
    return file;
  }
  const Category *category = categoryOfLine(file.leaf);
  if (!category && endsWithAny(file.leaf, kSystemEndings))
    category = &kCategories[kSystemCategory];
  if (!category) {
    file.fate = endsWithAny(file.leaf, kReadmeEndings) ? ArchiveFile::Fate::Readme : ArchiveFile::Fate::NotInstalled;
    file.why = file.fate == ArchiveFile::Fate::Readme ? "to read, not installed" : "not a file of the game";
    return file;
  }
  file.fate = ArchiveFile::Fate::Install;
  file.category = static_cast<std::size_t>(category - kCategories.data());
  const std::optional<std::string> there = game.fileOf(file.category, file.leaf);
  if (!there) {
    file.fate = ArchiveFile::Fate::Refused;
    file.why = "the game's " + std::string(category->name) + " folder cannot be listed";
    return file;
  }
  file.destination = *there;
  if (const std::optional<std::uint64_t> size = plainFileSize(file.destination))
    file.existing =
        entry.size && *entry.size == *size ? ArchiveFile::Existing::Identical : ArchiveFile::Existing::Different;
  else if (::access(file.destination.c_str(), F_OK) == 0)
    file.existing = ArchiveFile::Existing::Different;
  return file;
}

// Files of the same size as the one in the game: compared byte for byte,
// in one pass over the archive.
void compareSameSizes(const std::string &archive, std::vector<ArchiveFile> &files, std::size_t entries) {
  std::vector<bool> wanted(entries, false);
  std::map<std::size_t, ArchiveFile *> byIndex;
  for (ArchiveFile &file : files) {
    if (file.fate == ArchiveFile::Fate::Install && file.existing == ArchiveFile::Existing::Identical) {
      wanted[file.index] = true;
      byIndex[file.index] = &file;
    }
  }
  if (byIndex.empty())
    return;
  ArchiveFile *current = nullptr;
  FileDescriptor installed;
  std::uint64_t at = 0;
  bool same = false;
  std::vector<char> theirs;
  const EntrySink sink{[&](std::size_t index) {
                         current = byIndex[index];
                         installed = FileDescriptor(
                             ::open(current->destination.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
                         at = 0;
                         same = installed.valid();
                         return true;
                       },
                       [&](const char *bytes, std::size_t count) {
                         if (same) {
                           theirs.resize(count);
                           same = ::pread(installed.get(), theirs.data(), count, static_cast<off_t>(at)) ==
                                      static_cast<ssize_t>(count) &&
                                  std::memcmp(theirs.data(), bytes, count) == 0;
                         }
                         at += count;
                         return true;
                       },
                       [&](std::size_t) {
                         if (!same)
                           current->existing = ArchiveFile::Existing::Different;
                         current = nullptr;
                       }};
  // A comparison cut short leaves those not compared counted as different,
  // which keeps the game's file unless the player says otherwise.
  if (streamArchiveEntries(archive, wanted, sink)) {
    for (auto &[index, file] : byIndex)
      file->existing = ArchiveFile::Existing::Different;
  }
}

// Whether what the files to install declare fits the free space of the
// volume each goes to; a volume nothing can be learnt of counts as fitting,
// and its writes will tell.
bool fitsOnVolumes(const std::vector<ArchiveFile> &files) {
  struct Volume {
    std::uint64_t wanted = 0;
    std::uint64_t free = 0;
  };
  std::map<unsigned long, Volume> volumes;
  for (const ArchiveFile &file : files) {
    struct statvfs volume {};
    if (file.fate != ArchiveFile::Fate::Install || ::statvfs(folderOf(file.destination).c_str(), &volume) != 0)
      continue;
    Volume &counted = volumes[volume.f_fsid];
    counted.wanted += file.size.value_or(0);
    counted.free = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
  }
  for (const auto &[id, volume] : volumes)
    if (volume.wanted > volume.free)
      return false;
  return true;
}

} // namespace

ArchivePlan planArchiveInstall(const std::string &archive, const CategoryFolders &game) {
  ArchivePlan plan;
  plan.archive = archive;
  const ArchiveContents contents = readArchiveContents(archive);
  plan.archiveBytes = contents.archiveBytes;
  if (!contents.unreadable.empty()) {
    plan.unreadable = contents.unreadable;
    return plan;
  }
  // The first file for a destination takes it, names compared as the game's
  // folders compare them.
  std::set<std::string> claimed;
  for (std::size_t index = 0; index < contents.entries.size(); ++index) {
    const ArchiveEntry &entry = contents.entries[index];
    if (entry.kind == ArchiveEntry::Kind::Folder)
      continue;
    ArchiveFile file = sortEntry(index, entry, game);
    if (file.fate == ArchiveFile::Fate::Install &&
        !claimed.insert(std::to_string(file.category) + "/" + foldAsciiCase(file.leaf)).second) {
      file.fate = ArchiveFile::Fate::Refused;
      file.why = "another file of the archive has that name";
    }
    if (file.fate == ArchiveFile::Fate::Install)
      plan.bytesToWrite += file.size.value_or(0);
    plan.files.push_back(std::move(file));
  }
  compareSameSizes(archive, plan.files, contents.entries.size());
  plan.noRoom = !fitsOnVolumes(plan.files);
  return plan;
}

namespace {

constexpr const char *kIdenticalReason = "Already in the game, the same file";
constexpr const char *kKeptDifferentReason = "Kept: a different file of that name is in the game";

// One file being written from the archive.
struct Writing {
  const ArchiveFile *file = nullptr;
  FileDescriptor folder;
  std::unique_ptr<ReplacementFile> out;
  std::uint64_t written = 0;
};

// The install's state as the archive streams past.
class Installer {
public:
  Installer(const ArchivePlan &plan, const ArchiveInstallSettings &settings)
      : plan_(plan), settings_(settings), journal_(settings.dataHome) {
    report_.action = PackageAction::Install;
    progress_.action = PackageAction::Install;
  }

  MoveReport run() {
    std::size_t entries = 0;
    for (const ArchiveFile &file : plan_.files)
      entries = std::max(entries, file.index + 1);
    std::vector<bool> wanted(entries, false);
    for (const ArchiveFile &file : plan_.files) {
      if (const char *why = whyNotWritten(file)) {
        stay(file, why);
        continue;
      }
      wanted[file.index] = true;
      byIndex_[file.index] = &file;
      ++progress_.total;
    }
    const std::optional<std::string> stopped =
        progress_.total == 0 ? std::nullopt
                             : streamArchiveEntries(plan_.archive, wanted,
                                                    EntrySink{[this](std::size_t index) { return begin(index); },
                                                              [this](const char *bytes, std::size_t count) {
                                                                return data(bytes, count);
                                                              },
                                                              [this](std::size_t) { end(); }});
    if (writing_.out)
      fail(failure_.empty() ? "Not installed: the archive is damaged (" + stopped.value_or("it ended early") + ")"
                            : "Not installed: " + failure_);
    // What the stream never reached stays out, for the reason it stopped.
    for (const auto &[index, file] : byIndex_) {
      if (!done_.contains(index))
        stay(*file, failure_.empty() ? "Not installed: the archive could not be read (" + stopped.value_or("") + ")"
                                     : "Not installed: " + failure_);
    }
    for (const std::string &folder : touched_)
      flushFolder(folder);
    return report_;
  }

private:
  const char *whyNotWritten(const ArchiveFile &file) const {
    if (file.fate != ArchiveFile::Fate::Install)
      return file.why.c_str();
    if (file.existing == ArchiveFile::Existing::Identical)
      return kIdenticalReason;
    if (file.existing == ArchiveFile::Existing::Different && !settings_.replaceDifferent)
      return kKeptDifferentReason;
    return nullptr;
  }

  void stay(const ArchiveFile &file, std::string why) {
    done_.insert(file.index);
    report_.stayed.push_back({file.name, "", std::move(why), false});
  }

  void fail(const std::string &why) {
    stay(*writing_.file, why);
    writing_ = Writing{};
  }

  bool begin(std::size_t index) {
    const ArchiveFile &file = *byIndex_.at(index);
    writing_ = Writing{&file, {}, {}, 0};
    ++progress_.current;
    progress_.utName = file.leaf;
    progress_.bytesCopied = 0;
    progress_.bytesTotal = file.size.value_or(0);
    if (settings_.progress)
      settings_.progress(progress_);
    if (settings_.cancelled && settings_.cancelled()) {
      fail("Not installed: the install was cancelled");
      return false;
    }
    const std::string folder = folderOf(file.destination);
    writing_.folder = openFolder(folder);
    if (!writing_.folder.valid()) {
      fail("Not installed: the game's folder " + folder + " could not be opened (" + std::strerror(errno) + ")");
      return false;
    }
    const std::string temporary = newTemporaryName(writing_.folder.get());
    if (!journal_.record(folder, temporary)) {
      fail("Not installed: Cache Sorter could not keep a record of its files in " + settings_.dataHome);
      return false;
    }
    writing_.out = std::make_unique<ReplacementFile>(writing_.folder.get(), file.leaf, temporary);
    if (!writing_.out->valid()) {
      fail("Not installed: it could not be written (" + std::string(std::strerror(writing_.out->error())) + ")");
      return false;
    }
    return true;
  }

  bool data(const char *bytes, std::size_t count) {
    if (!writing_.out)
      return true;
    writing_.written += count;
    totalOut_ += count;
    const ArchiveFile &file = *writing_.file;
    if (file.size && writing_.written > *file.size) {
      failure_ = file.name + " holds more than the archive says it does: the archive is damaged or hostile";
      return false;
    }
    if (totalOut_ > kMostOutputPerArchiveByte * std::max<std::uint64_t>(plan_.archiveBytes, 1)) {
      failure_ = "the archive unpacks to more than " + std::to_string(kMostOutputPerArchiveByte) +
                 " times its size, as no map pack does";
      return false;
    }
    if (!writeAll(writing_.out->fd(), bytes, count)) {
      failure_ = "it could not be written (" + std::string(std::strerror(errno)) + ")";
      return false;
    }
    progress_.bytesCopied = writing_.written;
    if (settings_.progress && progress_.bytesTotal > 0)
      settings_.progress(progress_);
    return true;
  }

  void end() {
    if (!writing_.out)
      return;
    const ArchiveFile &file = *writing_.file;
    if (file.size && writing_.written != *file.size) {
      fail("Refused: it holds fewer bytes than the archive says it does");
      return;
    }
    const bool replace = file.existing == ArchiveFile::Existing::Different;
    if (!writing_.out->finish(ReplacementFile::Flush::Now) || !writing_.out->commit(!replace)) {
      fail("Not installed: it could not be written (" + std::string(std::strerror(errno)) + ")");
      return;
    }
    touched_.insert(folderOf(file.destination));
    done_.insert(file.index);
    report_.moved.push_back({file.name, "", "", false});
    writing_ = Writing{};
  }

  const ArchivePlan &plan_;
  const ArchiveInstallSettings &settings_;
  CopyJournal journal_;
  MoveReport report_;
  MoveProgress progress_;
  std::map<std::size_t, const ArchiveFile *> byIndex_;
  std::set<std::size_t> done_;
  std::set<std::string> touched_;
  Writing writing_;
  std::uint64_t totalOut_ = 0;
  std::string failure_; // why the stream was stopped
};

} // namespace

MoveReport installArchive(const ArchivePlan &plan, const ArchiveInstallSettings &settings) {
  return Installer(plan, settings).run();
}

std::vector<std::string> extractReadmes(const ArchivePlan &plan, const std::string &folder,
                                        const std::string &dataHome) {
  constexpr std::uint64_t kMostReadmeBytes = 16 << 20;
  std::vector<bool> wanted;
  std::map<std::size_t, const ArchiveFile *> byIndex;
  std::set<std::string> names;
  for (const ArchiveFile &file : plan.files) {
    if (file.fate != ArchiveFile::Fate::Readme || file.size.value_or(0) > kMostReadmeBytes ||
        !names.insert(foldAsciiCase(file.leaf)).second)
      continue;
    wanted.resize(std::max(wanted.size(), file.index + 1), false);
    wanted[file.index] = true;
    byIndex[file.index] = &file;
  }
  std::vector<std::string> written;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const FileDescriptor target = openFolder(folder);
  if (byIndex.empty() || !target.valid())
    return written;
  CopyJournal journal(dataHome);
  std::unique_ptr<ReplacementFile> out;
  std::uint64_t size = 0;
  const ArchiveFile *current = nullptr;
  streamArchiveEntries(plan.archive, wanted,
                       EntrySink{[&](std::size_t index) {
                                   current = byIndex.at(index);
                                   size = 0;
                                   const std::string temporary = newTemporaryName(target.get());
                                   if (!journal.record(folder, temporary))
                                     return false;
                                   out = std::make_unique<ReplacementFile>(target.get(), current->leaf, temporary);
                                   return out->valid();
                                 },
                                 [&](const char *bytes, std::size_t count) {
                                   size += count;
                                   if (size > kMostReadmeBytes) {
                                     out.reset();
                                     return false;
                                   }
                                   return writeAll(out->fd(), bytes, count);
                                 },
                                 [&](std::size_t) {
                                   if (out && out->finish(ReplacementFile::Flush::WithItsVolume) && out->commit(true))
                                     written.push_back(folder + "/" + current->leaf);
                                   out.reset();
                                 }});
  return written;
}
