#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <string>

class AppController;
struct FoundGame;
class QWidget;

// The user's choice of the cache folder or the game folder: a folder dialog,
// the controller's check, and a message when the folder will not do.
class FolderChoiceFlow final : public QObject {
  Q_OBJECT

public:
  FolderChoiceFlow(AppController &controller, QWidget *window);

  void chooseCacheFolder();
  void chooseGameFolder();
  void forgetChosenFolders();

  // The same, for a folder already picked.
  void useCacheFolder(const QString &folder);
  void useGameFolder(const QString &folder);
  // Switches to an installation the search found.
  void useGame(const FoundGame &game);

signals:
  // The folders changed: the window shows the new state.
  void changed();

private:
  QString pickFolder(const QString &title, const std::optional<std::string> &current) const;
  void settle(const std::optional<std::string> &problem, const QString &title);

  AppController &controller_;
  QWidget *window_;
};
