// Installing a downloaded archive into the game in use, and what its maps
// need that is nowhere to be found.
#include "app/app_controller.h"
#include "package/archive_contents.h"
#include "package/package_reader.h"
#include "posix/io.h"
#include "posix/name_folding.h"
#include "relocation/copy_journal.h"

#include <set>

namespace {

// "DM-Pack" of "DM-Pack.ut2", folded, as a needing package names it.
std::string stemOf(const std::string &leaf) { return foldAsciiCase(leaf.substr(0, leaf.rfind('.'))); }

} // namespace

AppController::ArchiveQuestion AppController::planArchive(const std::string &archive) const {
  ArchiveQuestion question{planArchiveInstall(archive, gameFolders()), {}};
  if (question.plan.unreadable.empty())
    question.missingNeeds = missingNeedsOf(question.plan);
  return question;
}

std::vector<std::string> AppController::missingNeedsOf(const ArchivePlan &plan) const {
  std::set<std::string> inArchive;
  std::vector<bool> wanted;
  for (const ArchiveFile &file : plan.files) {
    inArchive.insert(stemOf(file.leaf));
    if (file.fate == ArchiveFile::Fate::Install && file.category == kMapsCategory) {
      wanted.resize(std::max(wanted.size(), file.index + 1), false);
      wanted[file.index] = true;
    }
  }
  if (wanted.empty())
    return {};
  // Each map is read from a copy of its own, held to the archive's caps.
  const std::string dataHome = dataHomeOf(locations_);
  std::vector<std::string> missing;
  FileDescriptor copy;
  std::uint64_t written = 0, limit = 0;
  std::string name;
  const EntrySink sink{
      [&](std::size_t index) {
        for (const ArchiveFile &file : plan.files)
          if (file.index == index)
            name = file.leaf, limit = file.size.value_or(kMostOutputPerArchiveByte * plan.archiveBytes);
        copy = openScratchFile(dataHome);
        written = 0;
        return copy.valid();
      },
      [&](const char *bytes, std::size_t count) {
        written += count;
        return written <= limit && writeAll(copy.get(), bytes, count);
      },
      [&](std::size_t) {
        const PackageRead read = readPackage(copy.get());
        copy = FileDescriptor();
        if (!read.tables)
          return;
        std::string line;
        for (const std::string &needed : neededPackages(*read.tables)) {
          if (inArchive.contains(foldAsciiCase(needed)) || needFinder().find(needed).place != Need::Place::Missing)
            continue;
          line += (line.empty() ? name + ": " : ", ") + needed;
        }
        if (!line.empty())
          missing.push_back(std::move(line));
      }};
  streamArchiveEntries(plan.archive, wanted, sink);
  return missing;
}

void AppController::installArchive(const ArchivePlan &plan, bool replaceDifferent) {
  if (!hasCache() || !unrealDir)
    return;
  const ArchiveInstallSettings settings{locations_.dataHome, replaceDifferent,
                                        [this](const MoveProgress &progress) { platform_.showMoveProgress(progress); },
                                        [this] { return platform_.moveCancelled(); }};
  readAgainAndReport(::installArchive(plan, settings));
}

std::vector<std::string> AppController::extractReadmesOf(const ArchivePlan &plan) const {
  std::string name = plan.archive.substr(plan.archive.rfind('/') + 1);
  name = name.substr(0, name.find('.'));
  if (name.empty() || name.starts_with('.'))
    name = "archive";
  const std::string dataHome = dataHomeOf(locations_);
  return extractReadmes(plan, dataHome + "/cache-sorter/Read Me/" + name, dataHome);
}
