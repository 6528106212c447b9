#pragma once

#include "window/browse_texts.h"
#include "window/qt/elided_label.h"

#include <QObject>
#include <QTimer>

#include <functional>

class AppController;

class QLabel;
class QMainWindow;
class QPushButton;

// The status bar: what the last command did (with its Details button), the
// shown tab's counts, the ticked packages' count and size, how long the game
// keeps downloads, and the layout in use with its two folders. It is brought
// up to date once the event loop is idle, so that a command that changes
// many ticks repaints first.
class StatusBarPresenter final : public QObject {
  Q_OBJECT

public:
  // `shownCategory` tells which tab is shown.
  // `sizes` is shared with the tables, which look up the rows they paint.
  StatusBarPresenter(AppController &controller, QMainWindow *window, PackageSizes &sizes,
                     std::function<std::size_t()> shownCategory);

  void schedule();
  // The cache changed: sizes are looked up afresh.
  void forgetSizes();
  void showMoveSummary(const QString &summary);
  // A note in the report's place, without details.
  void showNote(const QString &note);

  QLabel *tabCounts() const { return tabCounts_; }
  QLabel *tickedTotals() const { return tickedTotals_; }
  QLabel *location() const { return location_; }
  QLabel *purging() const { return purging_; }
  QLabel *reportLabel() const { return reportLabel_; }
  QPushButton *detailsButton() const { return detailsButton_; }

signals:
  void detailsRequested();

private:
  void update();
  void showLocation(const QString &text);

  AppController &controller_;
  std::function<std::size_t()> shownCategory_;
  ElidedLabel *reportLabel_ = nullptr;
  QPushButton *detailsButton_ = nullptr;
  ElidedLabel *tabCounts_ = nullptr;
  ElidedLabel *tickedTotals_ = nullptr;
  ElidedLabel *location_ = nullptr;
  ElidedLabel *purging_ = nullptr;
  QTimer timer_;
  PackageSizes &sizes_;
};
