#include "window/qt/mark_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

struct MarkLook {
  QColor fill;
  QChar sign;
  bool triangle = false;
};

MarkLook lookOf(PackageMark mark) {
  switch (mark) {
  case PackageMark::Damaged:
    return {QColor(0xc0, 0x1c, 0x28), QLatin1Char('!')};
  case PackageMark::LacksNeeds:
  case PackageMark::DiffersInGame:
    return {QColor(0xe5, 0xa5, 0x0a), QLatin1Char('!'), true};
  case PackageMark::NotItsPackage:
    return {QColor(0x77, 0x76, 0x7b), QLatin1Char('?')};
  case PackageMark::IdenticalInGame:
    return {QColor(0x1c, 0x71, 0xd8), QLatin1Char('i')};
  case PackageMark::NoCachedFile:
  case PackageMark::None:
    break;
  }
  return {};
}

QPixmap drawMark(const MarkLook &look, int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box(0.5, 0.5, side - 1.0, side - 1.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(look.fill);
  if (look.triangle) {
    QPainterPath path;
    path.moveTo(box.center().x(), box.top());
    path.lineTo(box.right(), box.bottom());
    path.lineTo(box.left(), box.bottom());
    path.closeSubpath();
    painter.drawPath(path);
  } else {
    painter.drawEllipse(box);
  }
  QFont font;
  font.setBold(true);
  font.setPixelSize(side * 3 / 4);
  painter.setFont(font);
  // Dark on the amber triangle, white on the others, as signs are printed.
  painter.setPen(look.triangle ? QColor(0x24, 0x1f, 0x31) : QColor(Qt::white));
  painter.drawText(look.triangle ? box.adjusted(0, side / 6.0, 0, 0) : box, Qt::AlignCenter, look.sign);
  return pixmap;
}

} // namespace

QIcon drawMarkIcon(PackageMark mark) {
  QIcon icon;
  const MarkLook look = lookOf(mark);
  if (!look.fill.isValid())
    return icon;
  // Sharp at every scale the window may be shown at.
  for (const int side : {16, 24, 32, 48})
    icon.addPixmap(drawMark(look, side));
  return icon;
}
