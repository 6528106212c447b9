#include "window/qt/game_menu.h"

#include "app/app_controller.h"
#include "window/location_texts.h"
#include "window/qt/display_text.h"
#include "window/qt/folder_choice_flow.h"

#include <QActionGroup>

GameMenu::GameMenu(AppController &controller, FolderChoiceFlow &choices, const QList<QAction *> &folderCommands,
                   QWidget *parent)
    : QMenu(QStringLiteral("&Game"), parent), controller_(controller), choices_(choices),
      folderCommands_(folderCommands) {
  connect(this, &QMenu::aboutToShow, this, &GameMenu::fill);
  fill();
}

void GameMenu::fill() {
  clear();
  auto *group = new QActionGroup(this);
  for (const FoundGame &game : controller_.foundGames()) {
    // "&" in a folder's name is shown, not taken for an access key.
    QString text = displayText(gameChoiceText(game, controller_.homeFolder()));
    QAction *action = addAction(text.replace(QLatin1Char('&'), QStringLiteral("&&")));
    action->setCheckable(true);
    action->setChecked(controller_.inUse(game));
    group->addAction(action);
    connect(action, &QAction::triggered, this, [this, game] { choices_.useGame(game); });
  }
  if (controller_.foundGames().empty())
    addAction(QStringLiteral("No installation was found beside a cache"))->setEnabled(false);
  addSeparator();
  addActions(folderCommands_);
}
