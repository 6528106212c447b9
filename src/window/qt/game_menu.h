#pragma once

#include <QMenu>

class AppController;
class FolderChoiceFlow;

// File > Game: every installation found beside its cache, the one in use
// ticked, then the commands that choose folders by hand. Filled afresh each
// time it opens, since the search runs again when the folders change.
class GameMenu final : public QMenu {
  Q_OBJECT

public:
  // `folderCommands` stand below the installations.
  GameMenu(AppController &controller, FolderChoiceFlow &choices, const QList<QAction *> &folderCommands,
           QWidget *parent);

private:
  void fill();

  AppController &controller_;
  FolderChoiceFlow &choices_;
  const QList<QAction *> folderCommands_;
};
