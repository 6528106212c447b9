#include "window/qt/application_main.h"

#include "sandbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

// What a person saw and did while the program ran: the text of each alert,
// dismissed with Return, and then Ctrl+Q in the main window.
struct Session {
  QStringList alerts;
  bool windowShown = false;
};

// Polls the screen like a person watching it: dismisses alerts with Return
// and, once the main window is up with no alert over it, quits with Ctrl+Q.
void actLikeAPerson(Session &session, QTimer &timer) {
  QObject::connect(&timer, &QTimer::timeout, [&session] {
    if (auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
      session.alerts << alert->windowTitle() + ": " + alert->text();
      QTest::keyClick(alert, Qt::Key_Return);
      return;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
      if (window->isVisible() && window->windowTitle() == "Cache Sorter") {
        session.windowShown = true;
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        return;
      }
    }
  });
  timer.start(20);
}

struct RunCase {
  const char *label;
  bool withVolumes;
  bool withInstallation;
  bool withIndex;
  int exitStatus;
  QStringList alerts;
  bool windowShown;
};

TEST(Application, EndsWithTheRightStatusAfterEachStart) {
  const std::vector<RunCase> cases = {
      {"everything there", true, true, true, 0, {}, true},
      {"no installation", true, false, true, 0, {"Error: Could not find installation of Unreal Tournament 2004"}, true},
      {"no volumes folder", false, false, true, 1, {"Error: Could not access mounted volumes"}, false},
      {"no index", true, true, false, 1, {"Error: Could not open cache file"}, false},
  };
  for (const RunCase &testCase : cases) {
    const Sandbox sandbox;
    Locations locations = sandbox.locations();
    if (!testCase.withVolumes)
      locations.volumesFolder = sandbox.root() + "/NoVolumes";
    if (testCase.withInstallation)
      sandbox.addInstallation("Games");
    if (testCase.withIndex)
      sandbox.writeIndex("[Cache]\nA=DM-A.ut2\n");

    Session session;
    QTimer person;
    actLikeAPerson(session, person);
    const int status = runCacheSorter(locations);
    person.stop();

    EXPECT_EQ(status, testCase.exitStatus) << testCase.label;
    EXPECT_EQ(session.alerts, testCase.alerts) << testCase.label;
    EXPECT_EQ(session.windowShown, testCase.windowShown) << testCase.label;
  }
}

} // namespace
