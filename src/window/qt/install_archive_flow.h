#pragma once

#include <QObject>
#include <QString>

class AppController;
struct ArchivePlan;
class QWidget;

// Install from Archive: the player picks a downloaded map pack (or drops it
// on the window), is told what goes where, what the game has already and
// what the maps need that is nowhere to be found, and confirms.
class InstallArchiveFlow final : public QObject {
  Q_OBJECT

public:
  InstallArchiveFlow(AppController &controller, QWidget *window);

  void chooseArchive();
  void install(const QString &archive);

  // Whether `path` names an archive this installs, by its ending.
  static bool isArchiveName(const QString &path);

signals:
  // The lists were read again.
  void done();

private:
  // Writes the archive's text and pictures out and opens them.
  void openReadmes(const ArchivePlan &plan);

  AppController &controller_;
  QWidget *window_;
  QString lastFolder_;
};
