#pragma once

#include "app/app_controller.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_platform.h"

#include <gtest/gtest.h>

#include <QTest>

// Starts the program as its entry does, and shows the window.
inline void startAndShow(MainWindow &window, QtPlatform &platform, AppController &controller) {
  window.connectOutlets();
  window.connectPlatform(platform);
  controller.awakeFromNib();
  window.reloadAllTables();
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}
