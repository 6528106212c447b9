#include "window/qt/side_tab_style.h"

#include <QStyleOptionTab>
#include <QTabBar>

namespace {

bool onTheSide(const QStyleOptionTab &tab) {
  return tab.shape == QTabBar::RoundedWest || tab.shape == QTabBar::RoundedEast ||
         tab.shape == QTabBar::TriangularWest || tab.shape == QTabBar::TriangularEast;
}

} // namespace

QSize SideTabStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                     const QWidget *widget) const {
  QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
  const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
  // The tab bar measures a side tab's label as if it ran downwards.
  if (type == CT_TabBarTab && tab && onTheSide(*tab))
    result.transpose();
  return result;
}

void SideTabStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const {
  const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
  if (element != CE_TabBarTabLabel || !tab || !onTheSide(*tab)) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  QStyleOptionTab upright(*tab);
  upright.shape = QTabBar::RoundedNorth;
  QProxyStyle::drawControl(element, &upright, painter, widget);
}
