#pragma once

class QAction;
class QPushButton;
class QWidget;

// A button that triggers `action`, named after it, with its shortcut in the
// tooltip. Only Tab gives it the focus, so that arrows stay in the tables.
QPushButton *buttonFor(QAction *action, QWidget *parent);
