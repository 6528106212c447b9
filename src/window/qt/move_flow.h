#pragma once

#include "app/app_controller.h"
#include "relocation/move_progress.h"
#include "window/location_texts.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class AppController;
class MoveReportWindow;
class QWidget;
class StatusBarPresenter;
struct MovePreview;

// A move as the user goes through it: the question before it, the move
// itself under a busy cursor (its progress is the platform's), and the
// report after it, in the status bar with its details a click away.
class MoveFlow final : public QObject {
  Q_OBJECT

public:
  // `hiddenByFilter` counts the ticked packages the window does not show.
  MoveFlow(AppController &controller, QWidget *window, StatusBarPresenter &status,
           std::function<std::size_t()> hiddenByFilter);

  // Asks the user to confirm a move of what is ticked, then moves. With
  // nothing ticked, or no installation, it moves at once.
  void request();
  // The move itself, confirmed.
  void moveConfirmed();
  // Shows what a move did; the details window too when it is open.
  void showReport(const MoveReport &report);
  void showDetails();
  MoveReportWindow *reportWindow() const { return reportWindow_; }

signals:
  // The move has ended and the tables show the new state.
  void finished();

private:
  bool confirm(const MovePreview &preview);
  LocationParts where() const;

  AppController &controller_;
  QWidget *window_;
  StatusBarPresenter &status_;
  std::function<std::size_t()> hiddenByFilter_;
  std::optional<MoveReport> lastReport_;
  // The confirmation's choice for the move it precedes.
  AppController::MoveChoices choices_;
  QPointer<MoveReportWindow> reportWindow_;
};
