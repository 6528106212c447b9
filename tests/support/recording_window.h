#pragma once

#include "app/app_controller.h"
#include "app/platform.h"
#include "window/header_column.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Everything the controller asked of the window, in order: "alert: <message>",
// "terminate <status>", "reload <Category>", "progress <i>/<n>",
// "progress end".
using EventLog = std::vector<std::string>;

class RecordingTable final : public TableView {
public:
  RecordingTable(std::string name, EventLog &log) : name_(std::move(name)), log_(log) {}
  void reloadData() override { log_.push_back("reload " + name_); }

private:
  std::string name_;
  EventLog &log_;
};

class RecordingTab final : public TabView {
public:
  int indexOfSelectedTab() const override { return shown; }
  int shown = 0;
};

class RecordingPlatform final : public Platform {
public:
  explicit RecordingPlatform(EventLog &log) : log_(log) {}
  // What the last move reported, and the details of its alerts.
  MoveReport report;
  std::vector<std::string> alertDetails;
  // Runs at each progress, for tests that act while a move is under way.
  std::function<void(const MoveProgress &progress)> duringMove;
  // Set, by a test, to stop the move under way.
  bool cancelRequested = false;
  bool deleteForGood = false;

  void runAlertPanel(const std::string &message) override { log_.push_back("alert: " + message); }
  void runMoveAlert(const std::string &message, const std::string &detail) override {
    log_.push_back("alert: " + message);
    alertDetails.push_back(detail);
  }
  void terminate(int exitStatus) override { log_.push_back("terminate " + std::to_string(exitStatus)); }
  void showMoveProgress(const MoveProgress &progress) override {
    log_.push_back("progress " + std::to_string(progress.current) + "/" + std::to_string(progress.total));
    if (duringMove)
      duringMove(progress);
  }
  bool moveCancelled() override { return cancelRequested; }
  bool askDeleteForGood(std::size_t count) override {
    log_.push_back("ask delete " + std::to_string(count));
    return deleteForGood;
  }
  void waitBeforeReload(std::chrono::milliseconds) override {}
  void endMoveProgress() override { log_.push_back("progress end"); }
  void reportMove(const MoveReport &moveReport) override { report = moveReport; }

private:
  EventLog &log_;
};

// A window of recording parts, its outlets connected to a controller.
struct RecordingWindow {
  EventLog log;
  RecordingPlatform platform{log};
  std::array<RecordingTable, 8> tables{{{"Animations", log},
                                        {"KarmaData", log},
                                        {"Maps", log},
                                        {"Music", log},
                                        {"Sounds", log},
                                        {"StaticMeshes", log},
                                        {"System", log},
                                        {"Textures", log}}};
  RecordingTab tab;

  void connect(AppController &controller);
  // The log's entries that start with `prefix`.
  std::vector<std::string> eventsStartingWith(const std::string &prefix) const;
};

// A controller on `locations` whose outlets are a recording window, started
// with awakeFromNib(). Moves read the index back at once.
struct StartedController {
  explicit StartedController(const Locations &locations);
  RecordingWindow window;
  AppController controller;
};
