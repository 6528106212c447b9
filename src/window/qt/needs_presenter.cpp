#include "window/qt/needs_presenter.h"

#include "app/app_controller.h"
#include "window/needs_texts.h"
#include "window/qt/category_table_model.h"
#include "window/qt/display_text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

NeedsPresenter::NeedsPresenter(AppController &controller, QMainWindow *window,
                               std::function<std::pair<CategoryTableModel *, int>()> shownRow)
    : QObject(window), controller_(controller), window_(window), shownRow_(std::move(shownRow)) {
  reading_ = new ElidedLabel(window);
  reading_->setKeptWhole(true);
  reading_->setContentsMargins(12, 0, 12, 0);
  reading_->hide();
  // The line and its button stand under the tables, where the window puts
  // them; the reading's count in the status bar.
  needs_ = new ElidedLabel(window);
  needs_->setAccessibleName(QStringLiteral("What the selected package needs"));
  listButton_ = new QPushButton(QStringLiteral("&What It Needs…"), window);
  listButton_->setAccessibleName(QStringLiteral("What the selected package needs"));
  listButton_->hide();
  connect(listButton_, &QPushButton::clicked, this, &NeedsPresenter::showList);
  window->statusBar()->addPermanentWidget(reading_);
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &NeedsPresenter::update);
  connect(this, &NeedsPresenter::readingAdvanced, this, &NeedsPresenter::updateReading, Qt::QueuedConnection);
}

NeedsPresenter::~NeedsPresenter() { controller_.stopReadingPackages(); }

void NeedsPresenter::startReading() {
  // Called on the reading thread: it only posts, one count at a time.
  controller_.startReadingPackages([this](std::size_t, std::size_t) {
    if (!countPending_.exchange(true))
      emit readingAdvanced();
  });
  updateReading();
}

void NeedsPresenter::updateReading() {
  countPending_ = false;
  const AppController::ReadingState state = controller_.packageReading();
  const bool reading = state.total > 0 && state.done < state.total;
  reading_->setVisible(reading);
  if (reading)
    reading_->setWholeText(QString::fromStdString(readingText(state.done, state.total)));
  // "Needed by" waits for the whole cache to be read.
  if (!reading)
    schedule();
}

void NeedsPresenter::schedule() {
  if (!timer_.isActive())
    timer_.start();
}

void NeedsPresenter::update() {
  const auto [model, row] = shownRow_();
  const std::optional<PackageNeeds> needs =
      model && controller_.hasCache() ? controller_.needsOfRow(model, row) : std::nullopt;
  needs_->setVisible(needs.has_value());
  listButton_->setVisible(needs && !needs->needs.empty());
  if (!needs)
    return;
  std::string text = needsSummary(*needs, controller_.lists());
  if (const std::optional<std::size_t> maps = controller_.mapsNeeding(model, row); maps && *maps > 0)
    text += " · " + neededByText(*maps);
  needs_->setWholeText(displayText(text));
  if (list_)
    showList();
}

void NeedsPresenter::showList() {
  const auto [model, row] = shownRow_();
  const CacheEntry *entry = model ? model->entryAt(row) : nullptr;
  const std::optional<PackageNeeds> needs = entry ? controller_.needsOfRow(model, row) : std::nullopt;
  if (!needs)
    return;
  if (!list_) {
    // Beside the window, following the selected row, until closed.
    list_ = new QDialog(window_);
    list_->setWindowTitle(QStringLiteral("What It Needs"));
    list_->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(list_);
    listHeading_ = new QLabel(list_);
    listHeading_->setWordWrap(true);
    listText_ = new QPlainTextEdit(list_);
    listText_->setReadOnly(true);
    listText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, list_);
    connect(buttons, &QDialogButtonBox::rejected, list_, &QDialog::close);
    layout->addWidget(listHeading_);
    layout->addWidget(listText_);
    layout->addWidget(buttons);
    // Wide enough for a line with a cache name of 32 hex digits.
    list_->resize(list_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 64, 420);
  }
  listHeading_->setText(displayText(entry->utName + ": " + needsSummary(*needs, controller_.lists())));
  listText_->setPlainText(displayText(needsList(*needs, controller_.lists(), controller_.unrealDir.value_or(""))));
  list_->show();
}
