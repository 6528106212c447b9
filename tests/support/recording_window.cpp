#include "recording_window.h"

void RecordingWindow::connect(AppController &controller) {
  controller.animationsTable = &tables[0];
  controller.karmaTable = &tables[1];
  controller.mapsTable = &tables[2];
  controller.musicTable = &tables[3];
  controller.soundsTable = &tables[4];
  controller.staticMeshesTable = &tables[5];
  controller.systemTable = &tables[6];
  controller.tabView = &tab;
  controller.texturesTable = &tables[7];
}

std::vector<std::string> RecordingWindow::eventsStartingWith(const std::string &prefix) const {
  std::vector<std::string> found;
  for (const std::string &event : log) {
    if (event.rfind(prefix, 0) == 0)
      found.push_back(event);
  }
  return found;
}

StartedController::StartedController(const Locations &locations)
    : controller(window.platform, locations, nullptr, std::chrono::milliseconds(0)) {
  window.connect(controller);
  controller.awakeFromNib();
}
