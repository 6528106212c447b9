#pragma once

#include "app/platform.h"

#include <QDialog>

// A window beside the main one that lists what the last move did: the
// packages that stayed in the cache and why, and those that moved.
class MoveReportWindow final : public QDialog {
  Q_OBJECT

public:
  MoveReportWindow(const MoveReport &report, QWidget *parent);
};
