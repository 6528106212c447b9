#include "window/qt/picture_view.h"

#include <QPainter>

PictureView::PictureView(QWidget *parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  setAccessibleName(QStringLiteral("Preview"));
}

void PictureView::setPicture(const QImage &picture) {
  picture_ = picture;
  text_.clear();
  setToolTip({});
  updateGeometry();
  update();
}

void PictureView::setText(const QString &text, const QString &toolTip) {
  picture_ = {};
  text_ = text;
  setToolTip(toolTip);
  updateGeometry();
  update();
}

int PictureView::heightForWidth(int width) const {
  if (picture_.isNull())
    return fontMetrics().height() * 3;
  const QSizeF size = picture_.deviceIndependentSize();
  return static_cast<int>(width * size.height() / size.width() + 0.5);
}

QSize PictureView::sizeHint() const {
  const int width = fontMetrics().horizontalAdvance(QLatin1Char('M')) * 20;
  return {width, heightForWidth(width)};
}

void PictureView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (picture_.isNull()) {
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawText(rect(), Qt::AlignCenter, text_);
    return;
  }
  const QSize shown = picture_.deviceIndependentSize().scaled(size(), Qt::KeepAspectRatio).toSize();
  const QRect target(QPoint((width() - shown.width()) / 2, 0), shown);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, picture_);
}
