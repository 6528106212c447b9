#pragma once

#include "relocation/archive_install.h"

#include <string>
#include <vector>

// The question asked before an archive is installed: what goes where, what
// is in the game already, what is left out and why, and what its maps need
// that is nowhere to be found.
struct ArchiveQuestionText {
  std::string question;
  std::string explanation;
  std::string details; // every file of the archive and what becomes of it
  bool anythingToInstall = false;
  bool anyDifferent = false; // a file to install differs from the game's
};
ArchiveQuestionText archiveQuestionText(const ArchivePlan &plan, const std::vector<std::string> &missingNeeds,
                                        const std::string &archiveName, const std::string &gameFolder);
// The question's headline, counting what will be installed: a file that
// differs from the game's is left out while `keepDifferent`.
// "Install 2 files from pack.zip into the game?"
std::string archiveHeadline(const ArchivePlan &plan, const std::string &archiveName, bool keepDifferent);
