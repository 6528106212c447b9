#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Waits in the event loop, never for a fixed time: each returns as soon as
// what it waits for has happened, and a generous deadline fails the test
// rather than letting it hang on a busy machine.
inline constexpr int kDeadlineMs = 30000;

// Handles events as they come until `condition` holds; false at the
// deadline. The loop sleeps only until the next event; a repeating timer
// wakes it so that the deadline is seen even when nothing else happens.
inline bool waitUntil(const std::function<bool()> &condition, int deadlineMs = kDeadlineMs) {
  QElapsedTimer waited;
  waited.start();
  QTimer wake;
  wake.start(10);
  while (!condition()) {
    if (waited.elapsed() > deadlineMs)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Handles what is posted now and what that posts in turn (a resize's
// layouts, the status bar's update): no wait on the clock.
inline void settleEvents() {
  for (int round = 0; round < 4; ++round)
    QApplication::processEvents();
}

// Once `find` gives a widget (a dialog or a menu that a command opens and
// waits on), `answer` answers it, once. Polls from the event loop that the
// dialog runs; at the deadline the test fails and whatever modal widget is
// up is closed, so that the command returns.
inline void whenShown(QObject *owner, std::function<QWidget *()> find, std::function<void(QWidget &)> answer) {
  auto *poll = new QTimer(owner);
  auto waited = std::make_shared<QElapsedTimer>();
  waited->start();
  // A zero timer runs at every pass of the event loop, so the answer comes at
  // the first pass after the widget shows, whatever the clock says.
  poll->setInterval(0);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, find = std::move(find), answer = std::move(answer)] {
    if (QWidget *shown = find()) {
      poll->stop();
      poll->deleteLater();
      answer(*shown);
      return;
    }
    if (waited->elapsed() < kDeadlineMs)
      return;
    poll->stop();
    poll->deleteLater();
    ADD_FAILURE() << "nothing to answer came up";
    if (QWidget *modal = QApplication::activeModalWidget())
      modal->close();
  });
  poll->start();
}
