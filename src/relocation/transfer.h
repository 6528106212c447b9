#pragma once

#include "relocation/move_plan.h"
#include "window/surface.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// A package that stays in the cache, and why.
struct TransferFailure {
  std::size_t index = 0; // in the plan
  std::string message;   // the alert's text; empty for a silent failure
  std::string cacheName;
  std::string utName;
  int error = 0; // the system's errno, when one said why
};

// "<utName> (cached as <cacheName>.uxx)" and the system's reason, for an
// alert or a report.
std::string describeFailure(const TransferFailure &failure);

struct TransferResult {
  // Every package that stayed, in plan order.
  std::vector<TransferFailure> stayed;
  // False when a folder that received packages could not be flushed: those
  // packages keep their lines, and the move's journal must outlast the
  // index's rewrite so that the next start settles them by what is on disk.
  bool settled = true;
};

struct TransferSettings {
  std::string cacheDirectory;           // holds "<cacheName>.uxx"
  std::optional<std::string> unrealDir; // the installation; nothing moves without one
  // Whether a destination path and a source path lie on one volume.
  std::function<bool(const std::string &destination, const std::string &source)> sameVolume;
  // Called for each failure that has a message.
  std::function<void(const TransferFailure &failure)> alert;
  std::function<void(const MoveProgress &progress)> progress;
};

// Moves each ticked entry's cached file to its destination in the
// installation: renamed on one volume, copied and then removed across
// volumes (also when the kernel refuses a rename between the two). Every
// entry is tried, in plan order within each step; each one that did not move
// goes back, unticked, to the end of plan.failedEntries, in plan order.
// Without an installation nothing is touched and every entry goes back.
//
// The steps are ordered so that an interruption at any point loses nothing:
// renames; copies into temporary files beside their destinations; one flush
// per volume that received copies; the copies renamed into place; the
// folders that received packages flushed; the copied cached files removed;
// the cache folder flushed. The number of flushes does not grow with the
// number of packages.
TransferResult transferFiles(MovePlan &plan, const TransferSettings &settings);

// Sends every entry of the plan back to plan.failedEntries, touching
// nothing; each stays for `reason`.
TransferResult keepAllInCache(MovePlan &plan, const std::string &reason);

// The full destination path of the plan's entry `index`.
std::string destinationPath(const TransferSettings &settings, const MovePlan &plan, std::size_t index);
