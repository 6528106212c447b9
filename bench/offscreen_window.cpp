#include "offscreen_window.h"

#include <QTest>

#include <cstdlib>

int &OffscreenApplication::argumentCount() {
  static int count = 1;
  return count;
}

char **OffscreenApplication::arguments() {
  static char name[] = "cache-sorter";
  static char *vector[] = {name, nullptr};
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  return vector;
}

OffscreenApplication::OffscreenApplication() : application_(argumentCount(), arguments()) {}

OffscreenWindow::OffscreenWindow(const Locations &locations, std::chrono::milliseconds progressDelay)
    : platform_(progressDelay), controller_(platform_, locations, nullptr, std::chrono::milliseconds(0)),
      window_(controller_) {
  window_.connectOutlets();
  window_.connectPlatform(platform_);
  controller_.awakeFromNib();
  window_.reloadAllTables();
  window_.show();
  shown_ = QTest::qWaitForWindowExposed(&window_);
}
