#pragma once

#include "catalogue/entry_lists.h"
#include "relocation/move_progress.h"

#include <functional>
#include <optional>
#include <string>

// Where packages are discarded from.
struct DiscardSettings {
  std::string indexPath;
  std::string cacheDirectory;
  std::optional<std::string> installation; // to settle an earlier move's journal
  std::string dataHome;                    // where the home Trash is
};

// What discarding asks of the desktop and tells the window.
struct DiscardEvents {
  std::function<void(const std::string &message)> alert;
  // The Trash took no file: whether to delete the `count` packages left for
  // good instead.
  std::function<bool(std::size_t count)> deleteForGood;
  std::function<void(const MoveProgress &progress)> progress;
};

// Puts the ticked packages' cached files in the Trash (or, when the user
// says so, deletes them) and takes their lines out of the index. It is
// journalled like a move, and the cache folder is flushed before the index
// is written: an interruption never leaves a line that names a file gone,
// nor a file whose line is gone. The lists are only read.
class Discarder {
public:
  Discarder(DiscardSettings settings, DiscardEvents events)
      : settings_(std::move(settings)), events_(std::move(events)) {}
  // The report's `moved` are the packages that went, each marked when it
  // was deleted for good; ran() is false when nothing was tried.
  struct Outcome {
    bool ran = false;
    MoveReport report;
  };
  Outcome run(const ListsView &lists) const;

private:
  DiscardSettings settings_;
  DiscardEvents events_;
};
