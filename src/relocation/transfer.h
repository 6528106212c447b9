#pragma once

#include "relocation/move_plan.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

struct TransferSettings {
  std::string cacheDirectory;           // holds "<cacheName>.uxx"
  std::optional<std::string> unrealDir; // the installation; nothing moves without one
  // Whether a destination path and a source path lie on one volume.
  std::function<bool(const std::string &destination, const std::string &source)> sameVolume;
  std::function<void(const std::string &message)> alert;
  std::function<void(std::size_t current, std::size_t total)> progress;
};

// Moves each ticked entry's cached file to its destination in the
// installation, in plan order: renamed on one volume, copied and then removed
// across volumes. Every entry is tried; each one that did not move goes back,
// unticked, to the end of plan.failedEntries. Without an installation nothing
// is touched and every entry goes back.
void transferFiles(MovePlan &plan, const TransferSettings &settings);
