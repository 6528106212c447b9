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
  // Room between the text and the frame, whatever the style gives.
  button->setMinimumWidth(button->sizeHint().width() + 2 * button->fontMetrics().horizontalAdvance(QLatin1Char('M')));
  QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
  // The button says what its command says, also when that changes.
  QObject::connect(action, &QAction::changed, button, [action, button] {
    button->setText(action->text());
    button->setEnabled(action->isEnabled());
  });
  return button;
}
