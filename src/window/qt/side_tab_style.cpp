#include "window/qt/side_tab_style.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QTabBar>

namespace {

bool onTheSide(const QStyleOptionTab &tab) {
  return tab.shape == QTabBar::RoundedWest || tab.shape == QTabBar::RoundedEast ||
         tab.shape == QTabBar::TriangularWest || tab.shape == QTabBar::TriangularEast;
}

// Some dark themes draw the shown tab in nearly the others' grey: it is
// tinted with the highlight, with a bar on the side of its page, whatever
// the theme.
void markShownTab(const QStyleOptionTab &tab, QPainter *painter) {
  if (!tab.state.testFlag(QStyle::State_Selected))
    return;
  QColor tint = tab.palette.color(QPalette::Highlight);
  tint.setAlpha(56);
  painter->save();
  painter->fillRect(tab.rect, tint);
  const int bar = 3;
  const bool west = tab.shape == QTabBar::RoundedWest || tab.shape == QTabBar::TriangularWest;
  const QRect edge = west ? QRect(tab.rect.right() - bar + 1, tab.rect.top(), bar, tab.rect.height())
                          : QRect(tab.rect.left(), tab.rect.top(), bar, tab.rect.height());
  painter->fillRect(edge, tab.palette.color(QPalette::Highlight));
  painter->restore();
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
  if (element == CE_TabBarTabShape && tab && onTheSide(*tab)) {
    QProxyStyle::drawControl(element, option, painter, widget);
    markShownTab(*tab, painter);
    return;
  }
  if (element != CE_TabBarTabLabel || !tab || !onTheSide(*tab)) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  QStyleOptionTab upright(*tab);
  upright.shape = QTabBar::RoundedNorth;
  QProxyStyle::drawControl(element, &upright, painter, widget);
}
