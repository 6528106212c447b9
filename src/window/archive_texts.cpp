#include "window/archive_texts.h"

#include "catalogue/category.h"
#include "window/move_texts.h"

namespace {

// "Maps/DM-Pack.ut2": where a file goes, as the player knows the game.
std::string placeOf(const ArchiveFile &file) { return std::string(kCategories[file.category].name) + "/" + file.leaf; }

std::string detailOf(const ArchiveFile &file) {
  switch (file.fate) {
  case ArchiveFile::Fate::Install:
    if (file.existing == ArchiveFile::Existing::Identical)
      return file.name + " → " + placeOf(file) + ": the same file is in the game";
    if (file.existing == ArchiveFile::Existing::Different)
      return file.name + " → " + placeOf(file) + ": a different file of that name is in the game";
    return file.name + " → " + placeOf(file);
  case ArchiveFile::Fate::Readme:
    return file.name + ": to read, not installed";
  case ArchiveFile::Fate::NotInstalled:
    return file.name + ": not installed, " + file.why;
  case ArchiveFile::Fate::Refused:
    return file.name + ": refused, " + file.why;
  }
  return file.name;
}

} // namespace

std::string archiveHeadline(const ArchivePlan &plan, const std::string &archiveName, bool keepDifferent) {
  std::size_t installing = 0, kept = 0;
  for (const ArchiveFile &file : plan.files) {
    if (file.fate != ArchiveFile::Fate::Install || file.existing == ArchiveFile::Existing::Identical)
      continue;
    const bool keeps = keepDifferent && file.existing == ArchiveFile::Existing::Different;
    (keeps ? kept : installing) += 1;
  }
  if (installing > 0)
    return "Install " + countFiles(installing) + " from " + archiveName + " into the game?";
  if (kept > 0)
    return "Nothing from " + archiveName + " will be installed: the game keeps its own files where they differ";
  return "Nothing in " + archiveName + " needs installing";
}

ArchiveQuestionText archiveQuestionText(const ArchivePlan &plan, const std::vector<std::string> &missingNeeds,
                                        const std::string &archiveName, const std::string &gameFolder) {
  ArchiveQuestionText text;
  std::size_t installing = 0, identical = 0, leftOut = 0;
  std::vector<std::string> different;
  std::vector<std::string> toRead;
  for (const ArchiveFile &file : plan.files) {
    text.details += (text.details.empty() ? "" : "\n") + detailOf(file);
    if (file.fate == ArchiveFile::Fate::Readme)
      toRead.push_back(file.name);
    if (file.fate != ArchiveFile::Fate::Install) {
      leftOut += file.fate == ArchiveFile::Fate::Readme ? 0 : 1;
      continue;
    }
    if (file.existing == ArchiveFile::Existing::Identical) {
      ++identical;
      continue;
    }
    ++installing;
    if (file.existing == ArchiveFile::Existing::Different)
      different.push_back(placeOf(file));
  }
  text.anythingToInstall = installing > 0;
  text.anyDifferent = !different.empty();
  text.question = archiveHeadline(plan, archiveName, true);
  text.explanation = "They go into the category folders of " + gameFolder + ".";
  if (identical > 0)
    text.explanation += "\n\n" + countFiles(identical) + (identical == 1 ? " is" : " are") +
                        " in the game already, the same, and stay as they are.";
  if (!different.empty()) {
    text.explanation += "\n\n" + formatCount(different.size()) + (different.size() == 1 ? " differs" : " differ") +
                        " from the file of that name in the game:";
    for (const std::string &place : different)
      text.explanation += "\n" + place;
  }
  if (!toRead.empty()) {
    text.explanation += "\n\nTo read, not installed:";
    for (const std::string &name : toRead)
      text.explanation += "\n" + name;
  }
  if (leftOut > 0)
    text.explanation +=
        "\n\n" + countFiles(leftOut) + (leftOut == 1 ? " is" : " are") + " not installed: Show Details says why.";
  if (!missingNeeds.empty()) {
    text.explanation += "\n\nIts maps need packages that are neither in the archive, the game nor the cache:";
    for (const std::string &line : missingNeeds)
      text.explanation += "\n" + line;
  }
  if (plan.noRoom)
    text.explanation += "\n\nIts files take " + formatByteSize(plan.bytesToWrite) +
                        ", more than the game's volume has free: some will not be installed.";
  return text;
}
