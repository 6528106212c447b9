#include "window/qt/tick_box_delegate.h"

#include <QApplication>
#include <QPainter>

void TickBoxDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
  QStyledItemDelegate::paint(painter, option, index);
  const bool dark = option.palette.color(QPalette::Base).lightness() < 128;
  if (!dark || !index.data(Qt::CheckStateRole).isValid())
    return;
  QStyleOptionViewItem item(option);
  initStyleOption(&item, index);
  const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
  const QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, option.widget);
  QColor outline = option.palette.color(QPalette::Text);
  outline.setAlpha(110);
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(outline);
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(box.adjusted(0, 0, -1, -1));
  painter->restore();
}
