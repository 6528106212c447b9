#pragma once

#include "app/app_controller.h"
#include "app/locations.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"

#include <QApplication>

#include <chrono>

// The application object on the offscreen platform, in a process that has
// none yet.
class OffscreenApplication {
public:
  OffscreenApplication();

private:
  static int &argumentCount();
  static char **arguments();

  QApplication application_;
};

// The program's window on `locations`, started as the program starts it and
// shown on the offscreen platform. The index is read back at once after a
// move.
class OffscreenWindow {
public:
  OffscreenWindow(const Locations &locations, std::chrono::milliseconds progressDelay);
  // False when the window never showed.
  bool shown() const { return shown_; }

  AppController &controller() { return controller_; }
  MainWindow &window() { return window_; }

private:
  OffscreenApplication application_;
  QtPlatform platform_;
  AppController controller_;
  MainWindow window_;
  bool shown_ = false;
};
