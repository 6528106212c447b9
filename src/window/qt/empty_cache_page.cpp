#include "window/qt/empty_cache_page.h"

#include "window/qt/action_button.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <QVBoxLayout>
#include <algorithm>

EmptyCachePage::EmptyCachePage(QAction *chooseCache, QAction *chooseGame, QWidget *parent) : QWidget(parent) {
  heading_ = new QLabel(this);
  QFont font = heading_->font();
  font.setPointSizeF(font.pointSizeF() * 1.3);
  font.setBold(true);
  heading_->setFont(font);
  heading_->setAlignment(Qt::AlignHCenter);
  body_ = new QLabel(this);
  body_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Every place each source looked at is a line of its own: a long list
  // scrolls rather than making the window taller than the screen.
  scroll_ = new QScrollArea(this);
  QScrollArea *scroll = scroll_;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(body_);
  scroll->setMaximumWidth(920);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(buttonFor(chooseCache, this));
  buttons->addWidget(buttonFor(chooseGame, this));
  buttons->addStretch();

  auto *column = new QVBoxLayout;
  column->addWidget(heading_);
  column->addSpacing(12);
  column->addWidget(scroll, 1);
  column->addSpacing(12);
  column->addLayout(buttons);

  // The message sits in the middle of the window, at a width that reads well.
  auto *rows = new QVBoxLayout(this);
  auto *centred = new QHBoxLayout;
  centred->addStretch();
  centred->addLayout(column);
  centred->addStretch();
  rows->addStretch();
  rows->addLayout(centred, 1);
  rows->addStretch();
}

void EmptyCachePage::setText(const QString &heading, const QString &body) {
  heading_->setText(heading);
  body_->setText(body);
  // As wide as its longest line, up to a width that still reads well.
  const int scrollBar = scroll_->verticalScrollBar()->sizeHint().width();
  scroll_->setMinimumWidth(std::min(body_->sizeHint().width() + scrollBar, scroll_->maximumWidth()));
}
