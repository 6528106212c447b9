#pragma once

#include <cstddef>
#include <string>

// What the controller needs of the window toolkit. The Qt layer implements
// these; tests use recording versions.

// A category table. The controller tells tables apart by identity.
class TableView {
public:
  virtual ~TableView() = default;
  // Makes the table ask the data source afresh for its rows and cells.
  virtual void reloadData() = 0;
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
  // Asks the application to end with `exitStatus`. The controller does no
  // further work once it has asked.
  virtual void terminate(int exitStatus) = 0;
  // Called before file `current` (1-based) of `total` is moved, and once when
  // the move command has finished its work.
  virtual void showMoveProgress(std::size_t current, std::size_t total) = 0;
  virtual void endMoveProgress() = 0;
};
