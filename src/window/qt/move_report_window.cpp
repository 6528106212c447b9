#include "window/qt/move_report_window.h"

#include "window/move_texts.h"
#include "window/qt/display_text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QTreeWidgetItem *addGroup(QTreeWidget *tree, const QString &title, const std::vector<MoveReport::Package> &packages) {
  auto *group = new QTreeWidgetItem(tree, {title});
  group->setFirstColumnSpanned(true);
  for (const MoveReport::Package &package : packages) {
    new QTreeWidgetItem(group, {shownName(package.utName), shownName(package.cacheName) + QStringLiteral(".uxx"),
                                displayText(package.reason)});
  }
  return group;
}

// The Package column as wide as its longest name, within reason: names
// are what the player looks for, and a long one cut in the middle reads as
// another.
int packageColumnWidth(const QTreeWidget &tree, const MoveReport &report) {
  const QFontMetrics metrics = tree.fontMetrics();
  int widest = metrics.horizontalAdvance(QStringLiteral("Package"));
  // Measuring a few thousand names is enough to find the long ones.
  constexpr std::size_t kMeasured = 4000;
  for (const std::vector<MoveReport::Package> *packages : {&report.stayed, &report.moved}) {
    const std::size_t count = std::min(packages->size(), kMeasured);
    for (std::size_t index = 0; index < count; ++index)
      widest = std::max(widest, metrics.horizontalAdvance(shownName((*packages)[index].utName)));
  }
  const int padding = tree.indentation() + 2 * metrics.horizontalAdvance(QLatin1Char('M'));
  return std::clamp(widest + padding, 200, 560);
}

} // namespace

MoveReportWindow::MoveReportWindow(const MoveReport &report, QWidget *parent) : QDialog(parent) {
  const bool copyOut = isCopyOut(report);
  const bool putBack = report.action == MoveReport::Action::Return;
  setWindowTitle(report.action == MoveReport::Action::Move ? QStringLiteral("Move Report")
                 : copyOut                                 ? QStringLiteral("Copy Report")
                 : putBack                                 ? QStringLiteral("Put Back Report")
                                                           : QStringLiteral("Clean-up Report"));
  setModal(false);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(displayText(reportSummary(report) + "."), this));

  auto *tree = new QTreeWidget(this);
  tree->setAccessibleName(QStringLiteral("Packages of the last move"));
  tree->setHeaderLabels({QStringLiteral("Package"), QStringLiteral("Cached file"),
                         copyOut ? QStringLiteral("Why it was left out") : QStringLiteral("Why it stayed")});
  tree->setRootIsDecorated(true);
  tree->setUniformRowHeights(true);
  const QString stayedTitle = copyOut   ? QStringLiteral("Left out (%1)")
                              : putBack ? QStringLiteral("Stayed in the game (%1)")
                                        : QStringLiteral("Stayed in the cache (%1)");
  QTreeWidgetItem *stayed =
      addGroup(tree, stayedTitle.arg(QString::fromStdString(formatCount(report.stayed.size()))), report.stayed);
  // Where the Trash stopped taking them, the rest were deleted for good.
  std::vector<MoveReport::Package> went;
  std::vector<MoveReport::Package> deleted;
  for (const MoveReport::Package &package : report.moved)
    (package.deletedForGood ? deleted : went).push_back(package);
  const auto wentGroup = [&](const QString &title, const std::vector<MoveReport::Package> &packages) {
    return addGroup(tree, QStringLiteral("%1 (%2)").arg(title, QString::fromStdString(formatCount(packages.size()))),
                    packages);
  };
  QTreeWidgetItem *moved = wentGroup(displayText(wentText(report)), went);
  if (!deleted.empty() && report.action == MoveReport::Action::Trash)
    wentGroup(QStringLiteral("Deleted"), deleted);
  stayed->setExpanded(true);
  moved->setExpanded(report.stayed.empty());
  tree->header()->setSectionResizeMode(QHeaderView::Interactive);
  tree->setColumnWidth(0, packageColumnWidth(*tree, report));
  tree->setColumnWidth(1, 310);
  layout->addWidget(tree);

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  layout->addWidget(buttons);
  resize(980, 400);
}
