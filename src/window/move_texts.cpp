#include "window/move_texts.h"

#include "catalogue/long_names.h"

#include <algorithm>
#include <array>
#include <cstdio>

std::string formatByteSize(std::uint64_t bytes) {
  if (bytes < 1024)
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  constexpr std::array<const char *, 5> kUnits = {"KiB", "MiB", "GiB", "TiB", "PiB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < kUnits.size()) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  if (value < 10)
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  else
    std::snprintf(text, sizeof text, "%.0f %s", value, kUnits[unit]);
  return text;
}

std::string formatCount(std::size_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t position = digits.size(); position > 3; position -= 3)
    digits.insert(position - 3, ",");
  return digits;
}

std::string countPackages(std::size_t count) { return formatCount(count) + (count == 1 ? " package" : " packages"); }

std::string countFiles(std::size_t count) { return formatCount(count) + (count == 1 ? " file" : " files"); }

namespace {

// "the folder Music", "the folders Music and Sounds", "the folders Maps,
// Music and Sounds".
std::string folderList(const std::vector<std::string> &folders) {
  std::string text = folders.size() == 1 ? "the folder " : "the folders ";
  for (std::size_t index = 0; index < folders.size(); ++index)
    text += (index == 0 ? "" : index + 1 == folders.size() ? " and " : ", ") + folders[index];
  return text;
}

} // namespace

ConfirmationText confirmationText(const MovePreview &preview, const LocationParts &where, std::size_t hiddenByFilter) {
  ConfirmationText text;
  text.question = moveQuestion(preview, MoveTextChoices{});
  text.explanation = "They go from " + where.cacheFolder + " to " + where.gameFolder +
                     (where.layout.empty() ? "." : " (" + where.layout + ").");
  if (preview.missingFiles > 0)
    text.explanation += "\n\n" + formatCount(preview.missingFiles) +
                        (preview.missingFiles == 1 ? " of them has no cached file and stays"
                                                   : " of them have no cached file and stay") +
                        " in the cache.";
  if (preview.damaged > 0)
    text.explanation += "\n\n" + formatCount(preview.damaged) +
                        (preview.damaged == 1 ? " of them is a damaged download" : " of them are damaged downloads") +
                        ": empty, or not beginning as a package of its kind does.";
  if (preview.replacements > 0) {
    const auto notCompared = static_cast<std::size_t>(std::count_if(
        preview.replaced.begin(), preview.replaced.end(), [](const Replacement &file) { return !file.compared; }));
    const std::size_t identical = preview.replacements - preview.differentReplacements - notCompared;
    std::vector<std::string> kinds;
    if (identical > 0)
      kinds.push_back(formatCount(identical) + " identical");
    if (const std::size_t differ = preview.differentReplacements; differ > 0)
      kinds.push_back(formatCount(differ) +
                      (differ == 1 ? " differs from the file in the game" : " differ from the files in the game"));
    if (notCompared > 0)
      kinds.push_back(formatCount(notCompared) + " not compared yet");
    std::string kindsText;
    for (const std::string &kind : kinds)
      kindsText += (kindsText.empty() ? "" : "; ") + kind;
    text.explanation +=
        "\n\n" + formatCount(preview.replacements) +
        (preview.replacements == 1 ? " of them is in the game already" : " of them are in the game already") + " (" +
        kindsText + "):";
    for (std::size_t index = 0; index < preview.replaced.size() && index < kNamedReplacements; ++index)
      text.explanation += "\n" + elideName(preview.replaced[index].destination);
    if (preview.replacements > kNamedReplacements)
      text.explanation += "\nand " + formatCount(preview.replacements - kNamedReplacements) + " more";
  }
  if (preview.inUnwritableFolders > 0)
    text.explanation +=
        "\n\n" + formatCount(preview.inUnwritableFolders) +
        (preview.inUnwritableFolders == 1 ? " of them stays" : " of them stay") +
        " in the cache: " + folderList(preview.unwritableFolders) +
        (preview.unwritableFolders.size() == 1 ? " is missing from the game or cannot be written by you."
                                               : " are missing from the game or cannot be written "
                                                 "by you.");
  if (preview.tooLongNames > 0)
    text.explanation += "\n\n" + formatCount(preview.tooLongNames) +
                        (preview.tooLongNames == 1 ? " name is" : " names are") +
                        " too long for the game's folder and will stay in the cache.";
  if (preview.clashes > 0)
    text.explanation += "\n\n" + formatCount(preview.clashes) +
                        (preview.clashes == 1 ? " of them stays" : " of them stay") +
                        " in the cache: an earlier ticked package goes to the same file or comes from the same "
                        "cached file.";
  if (hiddenByFilter > 0)
    text.explanation += "\n\n" + formatCount(hiddenByFilter) +
                        (hiddenByFilter == 1 ? " ticked package is" : " ticked packages are") +
                        " hidden by the filter.";
  return text;
}

std::string progressLabel(const MoveProgress &progress) {
  if (progress.bytesTotal > 0) {
    constexpr double kMiB = 1024.0 * 1024.0;
    char amounts[64];
    std::snprintf(amounts, sizeof amounts, "%.0f of %.0f MiB", static_cast<double>(progress.bytesCopied) / kMiB,
                  static_cast<double>(progress.bytesTotal) / kMiB);
    return (progress.action == PackageAction::Export ? "Compressing " : "Copying ") + elideName(progress.utName) +
           " (" + formatCount(progress.current) + " of " + formatCount(progress.total) + "): " + amounts;
  }
  if (progress.action == PackageAction::Read)
    return "Reading " + elideName(progress.utName) + " (" + formatCount(progress.current) + " read)";
  const char *verb = progress.action == PackageAction::Copy      ? "Copying "
                     : progress.action == PackageAction::Export  ? "Compressing "
                     : progress.action == PackageAction::Compare ? "Comparing "
                     : progress.action == PackageAction::Return  ? "Putting back "
                     : progress.action == PackageAction::Install ? "Installing "
                                                                 : "Moving ";
  return verb + elideName(progress.utName) + " (" + formatCount(progress.current) + " of " +
         formatCount(progress.total) + ")";
}

std::string cancellingText(const std::string &utName) {
  return utName.empty() ? "Cancelling…" : "Cancelling after " + elideName(utName) + "…";
}

std::string wentText(const MoveReport &report) {
  switch (report.action) {
  case MoveReport::Action::Trash:
    return "Put in the Trash";
  case MoveReport::Action::Delete:
    return "Deleted";
  case MoveReport::Action::Copy:
    return "Copied";
  case MoveReport::Action::Export:
    return "Exported";
  case MoveReport::Action::Return:
    return "Put back into the cache";
  case MoveReport::Action::Install:
    return "Installed";
  case MoveReport::Action::Move:
  case MoveReport::Action::Compare:
  case MoveReport::Action::Read:
    break;
  }
  return "Moved into the game";
}

bool isCopyOut(const MoveReport &report) {
  return report.action == MoveReport::Action::Copy || report.action == MoveReport::Action::Export;
}

std::string reportSummary(const MoveReport &report) {
  // What was done to the packages that went, and what became of the rest.
  const std::string packages = countPackages(report.moved.size());
  std::string done = "moved " + packages + " into the game";
  const char *rest = " stayed in the cache";
  switch (report.action) {
  case MoveReport::Action::Trash: {
    const auto deleted = static_cast<std::size_t>(
        std::count_if(report.moved.begin(), report.moved.end(),
                      [](const MoveReport::Package &package) { return package.deletedForGood; }));
    done = "put " + countPackages(report.moved.size() - deleted) + " in the Trash";
    if (deleted > 0)
      done += " and deleted " + formatCount(deleted) + " for good";
    break;
  }
  case MoveReport::Action::Delete:
    done = "deleted " + packages;
    break;
  case MoveReport::Action::Copy:
    done = "copied " + packages;
    rest = " left out";
    break;
  case MoveReport::Action::Export:
    done = "exported " + packages;
    rest = " left out";
    break;
  case MoveReport::Action::Return:
    done = "put " + packages + " back into the cache";
    rest = " stayed in the game";
    break;
  case MoveReport::Action::Install:
    done = "installed " + countFiles(report.moved.size());
    rest = " not installed";
    break;
  case MoveReport::Action::Move:
  case MoveReport::Action::Compare:
  case MoveReport::Action::Read:
    break;
  }
  std::string text;
  if (report.cancelled) {
    text = "Cancelled after " + formatCount(report.handled) + " of " + countPackages(report.planned) + ": " + done;
  } else {
    text = done;
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
  }
  if (!report.stayed.empty())
    text += "; " + formatCount(report.stayed.size()) + rest;
  return text;
}

ConfirmationText unwritableText(const MovePreview &preview, const LocationParts &where) {
  ConfirmationText text;
  text.question = "Cannot move into the game: its folders cannot be written";
  std::string folders;
  for (const std::string &folder : preview.unwritableFolders)
    folders += (folders.empty() ? "" : ", ") + folder;
  text.explanation = "These folders of " + where.gameFolder + " cannot be written by you, or are missing: " + folders +
                     ".\n\nNothing was moved. Move the packages as a user who may write there, or "
                     "choose another game folder (File > Choose Game Folder…).";
  return text;
}

ConfirmationText ownFolderText(const MovePreview &preview, const LocationParts &where, const std::string &ownFolder) {
  ConfirmationText text;
  text.question = "Move " + countPackages(preview.packages) + " (" + formatByteSize(preview.totalBytes) +
                  ") into your own folders in " + ownFolder + "?";
  text.explanation = "You cannot write to the game's folders in " + where.gameFolder +
                     ". Cache Sorter can put the "
                     "packages in " +
                     ownFolder +
                     "/Maps and the other category folders there, and add Paths lines "
                     "for them to " +
                     ownFolder +
                     "/System/UT2004.ini so that the game finds them; the file before "
                     "is kept as UT2004.ini.cache-sorter.bak.\n\nMusic and KarmaData packages stay in the cache: "
                     "the game reads those only from its own folders.";
  return text;
}

ConfirmationText ownFolderWhileRunningText(const std::string &ownFolder) {
  ConfirmationText text;
  text.question = "Quit the game first";
  text.explanation = "You cannot write to the game's folders, and the packages can go to your own folders in " +
                     ownFolder +
                     " only while Unreal Tournament 2004 is not running: it writes its settings when "
                     "it quits, over the lines that tell it where your packages are.";
  return text;
}

namespace {

bool stays(const PreviewStay &stay, const MoveTextChoices &choices) {
  switch (stay.why) {
  case PreviewStay::Why::Damaged:
    return choices.leaveDamaged;
  case PreviewStay::Why::Differs:
  case PreviewStay::Why::NotCompared:
    return choices.keepDifferent;
  default:
    return true;
  }
}

// Why a package stays, in the question's words.
const char *stayText(PreviewStay::Why why) {
  switch (why) {
  case PreviewStay::Why::NoCachedFile:
    return "has no cached file";
  case PreviewStay::Why::SameDestination:
    return "an earlier ticked package goes to the same file or comes from the same cached file";
  case PreviewStay::Why::FolderUnwritable:
    return "its folder is missing from the game or cannot be written by you";
  case PreviewStay::Why::NameTooLong:
    return "its name is too long for the game's folder";
  case PreviewStay::Why::Damaged:
    return "a damaged download";
  case PreviewStay::Why::Differs:
    return "differs from the file in the game, which is kept";
  case PreviewStay::Why::NotCompared:
    return "not compared with the file in the game yet, which is kept";
  }
  return "";
}

} // namespace

std::string moveQuestion(const MovePreview &preview, const MoveTextChoices &choices) {
  std::size_t staying = 0;
  std::uint64_t stayingBytes = 0;
  for (const PreviewStay &stay : preview.staying) {
    if (!stays(stay, choices))
      continue;
    ++staying;
    stayingBytes += stay.bytes;
  }
  staying = std::min(staying, preview.packages);
  const std::string size = formatByteSize(preview.totalBytes - std::min(stayingBytes, preview.totalBytes));
  if (staying == 0)
    return "Move " + countPackages(preview.packages) + " (" + size + ") into the game?";
  return "Move " + formatCount(preview.packages - staying) + " of " + formatCount(preview.packages) +
         " ticked packages (" + size + ") into the game?";
}

std::string moveDetails(const MovePreview &preview, const MoveTextChoices &choices) {
  std::string text;
  for (const PreviewStay &stay : preview.staying) {
    if (stays(stay, choices))
      text += (text.empty() ? "Stay in the cache:\n" : "") + elideName(stay.utName) + ": " + stayText(stay.why) + "\n";
  }
  if (!preview.replaced.empty())
    text += std::string(text.empty() ? "" : "\n") + "In the game already:\n";
  for (const Replacement &replacement : preview.replaced)
    text += replacement.destination + (!replacement.compared   ? ": not compared yet\n"
                                       : replacement.identical ? ": identical\n"
                                                               : ": differs from the file in the game\n");
  return text;
}

namespace {

// "\n\n2 of them have no cached file and are left out." and the like.
std::string leftOutText(std::size_t count, const char *one, const char *many) {
  if (count == 0)
    return {};
  return "\n\n" + formatCount(count) + (count == 1 ? one : many);
}

} // namespace

ConfirmationText copyOutQuestion(const CopyOutPreview &preview, CopyFormat format, const std::string &folder) {
  ConfirmationText text;
  const std::string amount = countPackages(preview.packages) + " (" + formatByteSize(preview.totalBytes) + ")";
  if (format == CopyFormat::Uz2) {
    text.question = "Export " + amount + " for a redirect server to " + folder + "?";
    text.explanation = "Each is compressed to its real name with \".uz2\" added, as the game's \"ucc compress\" "
                       "writes it, and read back to check it. The cache and its index stay as they are.";
  } else {
    text.question = "Copy " + amount + " to " + folder + "?";
    text.explanation = "Each is copied under its real name. The cache and its index stay as they are.";
  }
  text.explanation += leftOutText(preview.missingFiles, " of them has no cached file and is left out.",
                                  " of them have no cached file and are left out.");
  text.explanation += leftOutText(preview.damaged,
                                  " of them is a damaged download: empty, or not beginning as a "
                                  "package of its kind does.",
                                  " of them are damaged downloads: empty, or not beginning as a package of their "
                                  "kind does.");
  return text;
}

ConfirmationText replaceCopiesQuestion(std::size_t existing, const std::string &folder) {
  ConfirmationText text;
  text.question = formatCount(existing) + (existing == 1 ? " file of that name is" : " files of those names are") +
                  " in " + folder + " already. Replace " + (existing == 1 ? "it?" : "them?");
  text.explanation = "Replaced files cannot be brought back. Kept ones stay as they are, and their packages are "
                     "left out.";
  return text;
}

std::string deleteForGoodQuestion(std::size_t count) {
  return "Cache Sorter could not put the packages in the Trash. Delete " + countPackages(count) + " for good?";
}

ConfirmationText trashQuestion(std::size_t packages, std::uint64_t bytes, std::size_t missing) {
  ConfirmationText text;
  text.question = "Move " + countPackages(packages) + " (" + formatByteSize(bytes) + ") to the Trash?";
  text.explanation = packages == 1 ? "Its cached file goes to the Trash and its entry leaves the cache index. A "
                                     "package already in the game stays there."
                                   : "Their cached files go to the Trash and their entries leave the cache index. "
                                     "Packages already in the game stay there.";
  if (missing > 0 && packages == 1)
    text.explanation += "\n\nIt has no cached file: only the entry goes.";
  else if (missing > 0)
    text.explanation += "\n\n" + formatCount(missing) + (missing == 1 ? " of them has" : " of them have") +
                        " no cached file: only the entry goes.";
  return text;
}

std::string removeMissingQuestion(std::size_t lines) {
  return "Remove " + formatCount(lines) + (lines == 1 ? " entry that names" : " entries that name") +
         " no cached file from the cache index?";
}
