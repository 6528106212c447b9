#include "window/qt/side_tabs.h"

#include "window/qt/side_tab_style.h"

void SideTabBar::setWidestText(int index, const QString &text) {
  if (index < 0)
    return;
  if (static_cast<std::size_t>(index) >= widest_.size())
    widest_.resize(static_cast<std::size_t>(index) + 1);
  widest_[static_cast<std::size_t>(index)] = text;
}

QSize SideTabBar::tabSizeHint(int index) const {
  QSize hint = QTabBar::tabSizeHint(index);
  if (index < 0 || static_cast<std::size_t>(index) >= widest_.size())
    return hint;
  // The labels lie across the column, so their length is the tab's width.
  const int more = fontMetrics().horizontalAdvance(widest_[static_cast<std::size_t>(index)]) -
                   fontMetrics().horizontalAdvance(tabText(index));
  if (more > 0)
    hint.setWidth(hint.width() + more);
  return hint;
}

SideTabs::SideTabs(QWidget *parent) : QTabWidget(parent), bar_(new SideTabBar(this)) {
  setTabBar(bar_);
  setDocumentMode(true);
  setTabPosition(QTabWidget::West);
  auto *style = new SideTabStyle;
  style->setParent(this);
  bar_->setStyle(style);
  bar_->setExpanding(false);
  bar_->setElideMode(Qt::ElideNone);
  bar_->setUsesScrollButtons(true);
  // Tab goes from the filter to the table to the buttons; the tabs switch
  // with Ctrl+Page Down and Ctrl+Page Up.
  bar_->setFocusPolicy(Qt::NoFocus);
}

void SideTabs::setTabLabel(int index, const QString &label, const QString &widest) {
  bar_->setWidestText(index, widest);
  // Setting the text lays the tabs out again, with the room kept.
  setTabText(index, label);
  setTabToolTip(index, label);
}
