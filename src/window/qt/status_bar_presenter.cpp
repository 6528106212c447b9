#include "window/qt/status_bar_presenter.h"

#include "app/app_controller.h"
#include "window/location_texts.h"
#include "window/qt/display_text.h"
#include "window/qt/elided_label.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

namespace {

constexpr int kMostLocationWidth = 560;
// The result of the last command is cut last, and only past this width,
// which the longest report of a move ("Cancelled after 1,234 of 5,678
// packages: moved …") stays within.
constexpr int kMostKeptReportWidth = 900;

} // namespace

StatusBarPresenter::StatusBarPresenter(AppController &controller, QMainWindow *window, PackageSizes &sizes,
                                       std::function<std::size_t()> shownCategory)
    : QObject(window), controller_(controller), shownCategory_(std::move(shownCategory)), sizes_(sizes) {
  reportLabel_ = new ElidedLabel(window);
  reportLabel_->setKeptWhole(true, kMostKeptReportWidth);
  // A real button, with its frame and its focus mark when Tab reaches it.
  detailsButton_ = new QPushButton(QStringLiteral("&Details…"), window);
  detailsButton_->setAccessibleName(QStringLiteral("Details of the last move"));
  detailsButton_->hide();
  connect(detailsButton_, &QPushButton::clicked, this, &StatusBarPresenter::detailsRequested);
  tabCounts_ = new ElidedLabel(window);
  tickedTotals_ = new ElidedLabel(window);
  location_ = new ElidedLabel(window);
  purging_ = new ElidedLabel(window);
  // It gives way to the result of the last command, as the location does.
  purging_->setKeptWhole(false);
  // Long paths are cut in the middle, so the counts beside them stay whole.
  location_->setMaximumWidth(kMostLocationWidth);
  tabCounts_->setKeptWhole(true);
  tickedTotals_->setKeptWhole(true);
  for (ElidedLabel *label : {tabCounts_, tickedTotals_, purging_, location_})
    label->setContentsMargins(12, 0, 12, 0);
  QStatusBar *bar = window->statusBar();
  bar->addWidget(reportLabel_, 1);
  bar->addPermanentWidget(detailsButton_);
  bar->addPermanentWidget(tabCounts_);
  bar->addPermanentWidget(tickedTotals_);
  bar->addPermanentWidget(purging_);
  bar->addPermanentWidget(location_);
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &StatusBarPresenter::update);
}

void StatusBarPresenter::schedule() {
  if (!timer_.isActive())
    timer_.start();
}

void StatusBarPresenter::forgetSizes() {
  sizes_.clear();
  schedule();
}

void StatusBarPresenter::showMoveSummary(const QString &summary) {
  reportLabel_->setWholeText(summary);
  detailsButton_->show();
}

void StatusBarPresenter::showNote(const QString &note) {
  reportLabel_->setWholeText(note);
  detailsButton_->hide();
}

void StatusBarPresenter::update() {
  for (QLabel *label : {tabCounts_, tickedTotals_})
    label->setVisible(controller_.hasCache());
  // Whatever is not sorted by then is lost: worth a place of its own.
  const std::optional<AppController::DownloadKeeping> keeping = controller_.downloadKeeping();
  const std::string purging = keeping ? downloadKeepingText(keeping->days) : std::string();
  purging_->setWholeText(QString::fromStdString(purging));
  purging_->setToolTip(QStringLiteral("Edit > Keep Downloads for Good stops it"));
  purging_->setVisible(!purging.empty());
  if (!controller_.hasCache()) {
    showLocation(QStringLiteral("No cache found"));
    return;
  }
  showLocation(displayText(statusLocationText(locationParts(controller_.location(), controller_.cacheDirectory(),
                                                            controller_.unrealDir, controller_.homeFolder()))));
  const std::size_t shown = shownCategory_();
  std::size_t ticked = 0;
  for (const CacheEntry &entry : controller_.listAt(shown))
    ticked += entry.selected == 1 ? 1 : 0;
  tabCounts_->setWholeText(QString::fromStdString(tabCountsText(controller_.listAt(shown).size(), ticked)));

  // Sizes are looked up a few thousand at a time, between repaints.
  constexpr std::size_t kLookupsPerStep = 4000;
  TickedTotals totals;
  std::size_t lookups = kLookupsPerStep;
  const std::string cacheDirectory = controller_.cacheDirectory();
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    sizes_.addTicked(cacheDirectory, controller_.listAt(index), totals, lookups);
  tickedTotals_->setWholeText(QString::fromStdString(tickedTotalsText(totals)));
  if (totals.pendingSizes > 0)
    timer_.start();
}

void StatusBarPresenter::showLocation(const QString &text) { location_->setWholeText(text); }
