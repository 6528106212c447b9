#include "window/qt/action_button.h"

#include <QAction>
#include <QPushButton>

QPushButton *buttonFor(QAction *action, QWidget *parent) {
  auto *button = new QPushButton(action->text(), parent);
  const QString name = QString(action->text()).remove(QLatin1Char('&'));
  const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
  button->setToolTip(shortcut.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, shortcut));
  button->setAccessibleName(name);
  button->setFocusPolicy(Qt::TabFocus);
  QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
  return button;
}
