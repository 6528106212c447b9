#pragma once

#include <QObject>
#include <QString>

class AppController;
class PackageSizes;
class QWidget;

// Cleaning the cache as the user goes through it: the question with what it
// touches, the work under a busy cursor, and (for the Trash) the report.
class CleanupFlow final : public QObject {
  Q_OBJECT

public:
  CleanupFlow(AppController &controller, QWidget *window, PackageSizes &sizes);

  // The ticked packages to the Trash, after asking.
  void trashTicked();
  // The lines that name no cached file out of the index, after asking.
  void removeMissingEntries();

signals:
  // The lists were read again.
  void finished();
  // What a command without a report of its own did, for the status bar.
  void noted(const QString &note);

private:
  AppController &controller_;
  QWidget *window_;
  PackageSizes &sizes_;
};
