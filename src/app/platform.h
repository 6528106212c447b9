#pragma once

#include "relocation/move_progress.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the controller needs of the window toolkit. The Qt layer implements
// these; tests use recording versions.

// A category table. The controller tells tables apart by identity.
class TableView {
public:
  virtual ~TableView() = default;
  // Makes the table ask the data source afresh for its rows and cells.
  virtual void reloadData() = 0;
  // The lists are about to be read anew: the rows the table knows are still
  // the old ones here, and the next reloadData() shows other rows.
  virtual void listsWillChange() {}
};

// A table column, known to the controller by its header text alone.
class TableColumn {
public:
  virtual ~TableColumn() = default;
  virtual std::string headerText() const = 0;
};

// The tab view that holds the eight tables, one tab per category.
class TabView {
public:
  virtual ~TabView() = default;
  // The 0-based index of the tab shown, or -1 when none is.
  virtual int indexOfSelectedTab() const = 0;
};

// The application around the window.
class Platform {
public:
  virtual ~Platform() = default;
  // A modal alert titled "Error" with the one button "OK"; returns when the
  // user has dismissed it.
  virtual void runAlertPanel(const std::string &message) = 0;
  // The same alert about one package of a move, with `detail` naming the
  // package and the system's reason. The platform may let the user silence
  // the move's further alerts; the report at the end still lists them.
  virtual void runMoveAlert(const std::string &message, const std::string &detail) = 0;
  // Asks the application to end with `exitStatus`. The controller does no
  // further work once it has asked.
  virtual void terminate(int exitStatus) = 0;
  // Called before each package is moved and during a long copy.
  virtual void showMoveProgress(const MoveProgress &progress) = 0;
  // Whether the user has asked to stop the move under way.
  virtual bool moveCancelled() = 0;
  // The pause between writing the index and reading it back.
  virtual void waitBeforeReload(std::chrono::milliseconds delay) = 0;
  // Called once when the move command has finished its work.
  virtual void endMoveProgress() = 0;
  // The Trash took no file: asks whether to delete the `count` packages
  // left for good instead.
  virtual bool askDeleteForGood(std::size_t count) = 0;
  // Called after the tables have shown the new state.
  virtual void reportMove(const MoveReport &report) = 0;
};
