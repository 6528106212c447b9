#include "window/qt/application_main.h"

#include "app/app_controller.h"
#include "window/qt/main_window.h"
#include "window/qt/program_settings.h"
#include "window/qt/qt_platform.h"
#include "window/qt/settings_choice_store.h"
#include "window/qt/single_instance.h"
#include "window/qt/window_state.h"

#include <QApplication>
#include <QIcon>

int applicationMain(int argc, char **argv, const Locations &locations) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cache Sorter"));
  QApplication::setApplicationVersion(QStringLiteral(CACHE_SORTER_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/cache-sorter-256.png")));
  QGuiApplication::setDesktopFileName(QStringLiteral("cache-sorter"));
  return runCacheSorter(locations);
}

namespace {

// How long a second start waits for the running program to answer.
constexpr int kAnswerMs = 2000;

void bringToFront(QWidget &window) {
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
}

} // namespace

int runCacheSorter(const Locations &locations) {
  // A second start brings the running window to the front. When none
  // answers, the start goes on, and the cache's lock tells whether another
  // program holds it.
  SingleInstance instance(instanceName(locations.homeFolder));
  if (instance.askRunningToShow(kAnswerMs))
    return 0;
  QtPlatform platform;
  QString settingsPassedOver;
  const std::unique_ptr<QSettings> settings = openProgramSettings(programSettingsPath(), settingsPassedOver);
  SettingsChoiceStore choices(settings.get());
  AppController controller(platform, locations, &choices);
  MainWindow window(controller);
  window.connectPlatform(platform);
  window.connectOutlets();

  controller.awakeFromNib();
  if (controller.terminationRequested())
    return platform.exitStatus();

  window.reloadAllTables();
  restoreWindowState(window, settings.get());
  window.showPassedOverFiles(settingsPassedOver);
  window.show();
  instance.listen([&window] { bringToFront(window); });
  // What the packages need is read once the window is up.
  window.startReadingPackages();
  const int status = QApplication::exec();
  saveWindowState(window, settings.get());
  return status;
}
