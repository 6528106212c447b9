#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QScrollArea;

// Stands in place of the tables while no cache is found or chosen: what the
// search looked at, and the two buttons that choose the folders.
class EmptyCachePage final : public QWidget {
  Q_OBJECT

public:
  EmptyCachePage(QAction *chooseCache, QAction *chooseGame, QWidget *parent = nullptr);

  void setText(const QString &heading, const QString &body);
  QLabel *body() const { return body_; }

private:
  QLabel *heading_ = nullptr;
  QLabel *body_ = nullptr;
  QScrollArea *scroll_ = nullptr;
};
