#pragma once

#include "app/app_controller.h"
#include "recording_window.h"
#include "sandbox.h"

#include <optional>
#include <string>

inline constexpr std::size_t kMaps = 2;
inline constexpr std::size_t kTextures = 7;

// A controller started on a sandbox with the installation on the volume
// "Games", its outlets connected to a recording window. With `homeVolume`
// "Games" moves are renames, otherwise copies.
class MoveCommand {
public:
  explicit MoveCommand(std::string homeVolume = "", bool withInstallation = true) : sandbox(std::move(homeVolume)) {
    if (withInstallation)
      bundle = sandbox.addInstallation("Games");
  }

  void start(const std::string &index) {
    sandbox.writeIndex(index);
    started.emplace(sandbox.locations());
    window().log.clear();
  }
  AppController &controller() { return started->controller; }
  RecordingWindow &window() { return started->window; }
  void tick(std::size_t category, std::size_t row) { controller().listAt(category)[row].selected = 1; }
  std::string installed(const std::string &relative) const { return bundle + "/" + relative; }

  Sandbox sandbox;
  std::string bundle;
  std::optional<StartedController> started;
};
