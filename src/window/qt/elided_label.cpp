#include "window/qt/elided_label.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void ElidedLabel::setWholeText(const QString &text) {
  setText(text);
  setToolTip(text);
}

// Room for a few letters and the ellipsis: the status bar may give it less
// than its whole text when the window is narrow.
QSize ElidedLabel::minimumSizeHint() const {
  if (keptWhole_)
    return {std::min(sizeHint().width(), keptUpTo_), sizeHint().height()};
  const QMargins margins = contentsMargins();
  return {fontMetrics().horizontalAdvance(QStringLiteral("Mmm…")) + margins.left() + margins.right(),
          QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const QRect room = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width());
  style()->drawItemText(&painter, room, static_cast<int>(alignment() | Qt::AlignVCenter), palette(), isEnabled(), shown,
                        foregroundRole());
}
