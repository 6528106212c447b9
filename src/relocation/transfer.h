#pragma once

#include "relocation/move_plan.h"
#include "relocation/move_progress.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A package that stays in the cache, and why.
struct TransferFailure {
  std::size_t index = 0; // in the plan
  std::string message;   // the alert's text; empty for a silent failure
  int error = 0;         // the system's errno, when one said why
  std::string reason;    // said instead of the errno's text, when set
};

// Why the package stayed, as a report says it: the alert's text (or "Could
// not be moved") and the reason in brackets.
std::string reasonOf(const TransferFailure &failure);

// "<utName> (cached as <cacheName>.uxx): <reason>", with long names cut,
// for an alert.
std::string describeFailure(const PlannedMove &move, const TransferFailure &failure);

struct TransferResult {
  // Every package that stayed, in plan order.
  std::vector<TransferFailure> stayed;
  // False when a folder that received packages could not be flushed: those
  // packages keep their lines, and the move's journal must outlast the
  // index's rewrite so that the next start settles them by what is on disk.
  bool settled = true;
  // How many packages stayed untouched because the move was stopped.
  std::size_t cancelled = 0;
};

struct TransferSettings {
  std::string cacheDirectory;           // holds "<cacheName>.uxx"
  std::optional<std::string> unrealDir; // the installation; nothing moves without one
  // Whether a destination path and a source path lie on one volume.
  std::function<bool(const std::string &destination, const std::string &source)> sameVolume;
  // Called for each failure that has a message.
  std::function<void(const PlannedMove &move, const TransferFailure &failure)> alert;
  std::function<void(const MoveProgress &progress)> progress;
  // Asked before each package: true once the user has stopped the move. The
  // package in hand is finished; the later ones stay.
  std::function<bool()> cancelled;
};

// Moves each planned package's cached file to its destination in the
// installation: renamed on one volume, copied and then removed across
// volumes (also when the kernel refuses a rename between the two). Every
// package is tried, in plan order within each step.
//
// A package is moved only when the bytes that reach the game are those of
// its cached file, and its cached file leaves the cache only when it is
// safely in the game:
// - names are resolved beneath the cache folder and the category folder,
//   never through a link and never out of them;
// - only regular files are moved;
// - the first package for a destination takes it (names compared as the
//   volume compares them), and a cached file moves once, for its first line;
// - a copy counts only when its source did not change while it was read, and
//   the cached file is removed only while its name still names what was
//   copied.
//
// The steps are ordered so that an interruption at any point loses nothing:
// renames; copies into their recorded temporary files beside their
// destinations; one flush per volume that received copies; the copies
// renamed into place; the folders that received packages flushed; the copied
// cached files removed; the cache folders flushed. The number of flushes
// does not grow with the number of packages.
TransferResult transferFiles(const std::vector<PlannedMove> &plan, const TransferSettings &settings);

// The reason a package that the stopped move did not reach stayed.
inline constexpr const char *kCancelledReason = "Left in the cache: the move was cancelled";

// Every package of the plan stays, for `message`; nothing is touched.
TransferResult keepAllInCache(const std::vector<PlannedMove> &plan, const std::string &message);
