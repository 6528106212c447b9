#pragma once

#include <QAction>

class AppController;
class QWidget;

// Edit > Keep Downloads for Good: ticked while the game in use keeps its
// downloads for good (PurgeCacheDays=0); choosing it sets that, or back.
class KeepDownloadsAction final : public QAction {
  Q_OBJECT

public:
  KeepDownloadsAction(AppController &controller, QWidget *window);

  // Ticks and enables it as the settings the game reads are now.
  void refresh();

signals:
  // What the command did, for the status bar.
  void done(const QString &note);

private:
  void toggle(bool forGood);

  AppController &controller_;
  QWidget *window_;
};
