#pragma once

#include "app/app_controller.h"
#include "app/platform.h"
#include "window/location_texts.h"

#include <cstdint>
#include <string>

// The texts the window shows around a move, built without the toolkit.

// "0 bytes", "512 bytes", "1.2 KiB", "340 MiB", "1.2 GiB": three figures at
// most, binary units.
std::string formatByteSize(std::uint64_t bytes);

// "1 package", "1,234 packages".
std::string countPackages(std::size_t count);
// "1 file", "1,200 files".
std::string countFiles(std::size_t count);

// "1,234": thousands separated by commas.
std::string formatCount(std::size_t count);

struct ConfirmationText {
  std::string question;    // "Move 12 packages (340 MiB) into the game?"
  std::string explanation; // where they go, what they replace, what is hidden
};
// `hiddenByFilter` counts the ticked entries that the window does not show.
// The question counts what moves with the choices as they first are (the
// different files kept, the damaged downloads left).
ConfirmationText confirmationText(const MovePreview &preview, const LocationParts &where,
                                  std::size_t hiddenByFilter = 0);

// The choices of the question before a move that decide what stays.
struct MoveTextChoices {
  bool keepDifferent = true;
  bool leaveDamaged = true;
};
// "Move 12 packages (340 MiB) into the game?", or where some stay, "Move 58
// of 64 ticked packages (1.1 GiB) into the game?": what moves, and its bytes.
std::string moveQuestion(const MovePreview &preview, const MoveTextChoices &choices);
// Behind Show Details: every package that stays and why, then every file in
// the game a package would replace. Empty when there is neither.
std::string moveDetails(const MovePreview &preview, const MoveTextChoices &choices);

// Asked when the Trash took no file.
std::string deleteForGoodQuestion(std::size_t count);

// Asked before the ticked packages go to the Trash.
ConfirmationText trashQuestion(std::size_t packages, std::uint64_t bytes, std::size_t missing);

// "Remove 99,600 entries that name no cached file from the cache index?"
std::string removeMissingQuestion(std::size_t lines);

// Asked before the ticked packages are copied, or exported for a redirect
// server, to `folder` (as the user reads it).
ConfirmationText copyOutQuestion(const CopyOutPreview &preview, CopyFormat format, const std::string &folder);
// Asked when files of the copies' names are in the folder already.
ConfirmationText replaceCopiesQuestion(std::size_t existing, const std::string &folder);
// The copy's check boxes.
inline constexpr const char *kIntoCategoryFoldersText = "Sort into category folders";
inline constexpr const char *kLeaveOutDamagedText = "Leave out damaged packages";

// Added to the question before a move while the game runs.
inline constexpr const char *kGameRunningWarning =
    "Unreal Tournament 2004 is running. Moving files it has open may make it crash: quit the game first.";

// The check box of the confirmation that keeps the different files in the
// game where they are.
inline constexpr const char *kKeepDifferentText = "Keep the files already in the game where they differ";
// The check box that keeps damaged downloads in the cache.
inline constexpr const char *kLeaveDamagedText = "Leave damaged packages in the cache";

// Said in place of the confirmation when the game's folders the ticked
// packages go to cannot be written.
ConfirmationText unwritableText(const MovePreview &preview, const LocationParts &where);

// Asked in its place when the game's folders cannot be written but the
// user's own can take the packages: `ownFolder` as the user reads it
// ("~/.ut2004").
ConfirmationText ownFolderText(const MovePreview &preview, const LocationParts &where, const std::string &ownFolder);
// Said instead while the game runs, since the game's settings change.
ConfirmationText ownFolderWhileRunningText(const std::string &ownFolder);
// The action of that question.
inline constexpr const char *kMoveToOwnFolderAction = "Move to Your Folders";

// "Moving DM-Example.ut2 (3 of 10)" or, during a long copy,
// "Copying DM-Example.ut2 (3 of 40): 120 of 500 MiB".
std::string progressLabel(const MoveProgress &progress);
// Once the user has stopped it: "Cancelling after DM-Example.ut2…".
std::string cancellingText(const std::string &utName);

// How the report names the packages that went: "Moved into the game", "Put
// in the Trash" or "Deleted".
std::string wentText(const MoveReport &report);

// "Moved 54 packages into the game; 3 stayed in the cache", "Put 3 packages
// in the Trash", "Exported 12 packages; 1 left out".
std::string reportSummary(const MoveReport &report);

// Whether the report is of packages copied out of the cache, which stays
// as it was.
bool isCopyOut(const MoveReport &report);
