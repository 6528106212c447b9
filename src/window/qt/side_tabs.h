#pragma once

#include <QTabBar>
#include <QTabWidget>

#include <vector>

// The tab bar of the side tabs. Each tab is as wide as the widest label it
// will carry, so that the column keeps its width when a filter starts and
// the labels gain their "3 of" counts.
class SideTabBar final : public QTabBar {
  Q_OBJECT

public:
  using QTabBar::QTabBar;

  void setWidestText(int index, const QString &text);

protected:
  QSize tabSizeHint(int index) const override;

private:
  std::vector<QString> widest_;
};

// Tabs in a column on the window's left, each as wide as its label, so that
// names and counts are never cut; the column scrolls only when the window is
// too low for all of them.
class SideTabs final : public QTabWidget {
  Q_OBJECT

public:
  explicit SideTabs(QWidget *parent);

  // Shows `label` on the tab at `index`, keeping the room `widest` needs.
  void setTabLabel(int index, const QString &label, const QString &widest);

private:
  SideTabBar *bar_;
};
