#pragma once

#include <QStyledItemDelegate>

// Draws the rows as the style does, and on a dark palette gives the tick
// boxes an outline in the text's colour: the Fusion style outlines them in a
// shade of the window's colour, which vanishes against dark rows.
class TickBoxDelegate final : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
