#pragma once

#include "catalogue/category.h"
#include "catalogue/entry_lists.h"
#include "relocation/move_plan.h"
#include "relocation/move_progress.h"
#include "relocation/return_to_cache.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TransferResult;

// Shown at start-up, and by a move that has files to move and nowhere to
// put them.
inline constexpr const char *kNoInstallationMessage = "Could not find installation of Unreal Tournament 2004";

// Said when the index could not be rewritten, and nothing in it changed.
inline constexpr const char *kCannotWriteIndexMessage = "Could not write cache file";
inline constexpr const char *kJournalUnusableMessage =
    "Could not move packages: the journal of an earlier move (.cache-sorter-journal in the cache folder) "
    "cannot be read. Nothing was moved; move that file away to move packages again.";
inline constexpr const char *kJournalUnusableForCleanupMessage =
    "Could not change the cache: the journal of an earlier move (.cache-sorter-journal in the cache folder) "
    "cannot be read. Nothing was changed; move that file away to try again.";

// Why a package whose destination holds a different file stayed.
inline constexpr const char *kKeptDifferentReason = "Kept: a different file of that name is in the game";
// Why a damaged download stayed.
inline constexpr const char *kKeptDamagedReason = "Kept: a damaged download";

// Where a move works.
struct MoveSettings {
  std::string indexPath;                   // cache.ini
  std::string cacheDirectory;              // the folder that holds it and the cached files
  std::optional<std::string> installation; // nothing moves without one
  // Whether a destination path and a source path lie on one volume.
  std::function<bool(const std::string &destination, const std::string &source)> sameVolume;
  // Ticked packages whose destination holds other bytes stay in the cache,
  // and the files in the game stay as they are.
  bool keepDifferentFiles = false;
  // Ticked packages whose cached file does not begin as its kind must stay
  // in the cache.
  bool leaveDamaged = false;
  // The ticked packages of a category with a reason here stay in the cache
  // for that reason: the game would not find them where this move goes.
  std::array<const char *, kCategoryCount> keptCategories{};
  // `installation` is a folder of the user's own rather than the game's:
  // the journal names it, so that the next start finishes the move there
  // whichever installation it finds.
  bool ownFolder = false;
};

// What a move tells the window while it runs.
struct MoveEvents {
  std::function<void(const std::string &message)> alert;
  // An alert about one package, with `detail` naming it and the reason.
  std::function<void(const std::string &message, const std::string &detail)> packageAlert;
  std::function<void(const MoveProgress &progress)> progress;
  // True once the user has stopped the move; may be empty.
  std::function<bool()> cancelled;
};

struct MoveOutcome {
  // False when nothing was done at all (a journal in the way): the lists
  // need no reading again.
  bool ran = false;
  MoveReport report;
  // Each package that reached the game, its file as it stands there now:
  // what an undo puts back, while it is still that file.
  std::vector<ReturnedPackage> placed;
};

// The move command's work, step by step: plan the ticked entries, journal
// the plan, transfer the files, rewrite the index. The lists are only read;
// reading them anew afterwards is the caller's.
class Mover {
public:
  Mover(MoveSettings settings, MoveEvents events) : settings_(std::move(settings)), events_(std::move(events)) {}
  MoveOutcome run(const ListsView &lists) const;

private:
  // A package kept in the cache, and why.
  struct Kept {
    PlannedMove package;
    const char *reason;
  };
  // Takes out of `plan` the packages to keep in the cache: damaged ones, and
  // those whose destination holds a different file, as the settings say.
  std::vector<Kept> takeKeptPackages(std::vector<PlannedMove> &plan) const;
  // The files of the packages of `plan` that reached the game.
  std::vector<ReturnedPackage> placedFiles(const std::vector<PlannedMove> &plan, const TransferResult &transfer) const;

  MoveSettings settings_;
  MoveEvents events_;
};
