#pragma once

#include <QProxyStyle>

// Lays the labels of tabs on the window's side horizontally, so that a tab
// is as wide as its label: a category's name with six-digit counts is read
// whole, however narrow or scaled the window, where eight such labels side
// by side along the top would be cut.
class SideTabStyle : public QProxyStyle {
public:
  QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                         const QWidget *widget) const override;
  void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                   const QWidget *widget) const override;
};
