#include "window/qt/qt_platform.h"

#include "relocation/mover.h"
#include "window/move_texts.h"
#include "window/qt/display_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace {

// The progress dialog repaints at most about 30 times a second.
constexpr qint64 kPaintIntervalMs = 33;
// The progress bar's steps, fine enough that a long copy among many
// packages moves it.
constexpr int kProgressSteps = 10000;

QWidget *visibleOrNull(QWidget *window) { return window && window->isVisible() ? window : nullptr; }

// An alert on top of the busy cursor shows the ordinary one.
class NormalCursor {
public:
  NormalCursor() : busy_(QGuiApplication::overrideCursor() != nullptr) {
    if (busy_)
      QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  NormalCursor(const NormalCursor &) = delete;
  NormalCursor &operator=(const NormalCursor &) = delete;
  ~NormalCursor() {
    if (busy_)
      QGuiApplication::restoreOverrideCursor();
  }

private:
  bool busy_;
};

} // namespace

QtPlatform::QtPlatform(std::chrono::milliseconds progressDelay) : progressDelay_(progressDelay) {}

QtPlatform::~QtPlatform() = default;

void QtPlatform::runAlertPanel(const std::string &message) {
  const NormalCursor cursor;
  QMessageBox alert(QMessageBox::Warning, QStringLiteral("Error"), displayText(message), QMessageBox::Ok,
                    visibleOrNull(window_));
  alert.setDefaultButton(QMessageBox::Ok);
  alert.setWindowModality(Qt::ApplicationModal);
  // Without a game nothing can move: the way out is offered beside OK.
  QPushButton *choose = nullptr;
  if (message == kNoInstallationMessage && gameFolderHandler_ && window_)
    choose = alert.addButton(QStringLiteral("Choose Game Folder…"), QMessageBox::ActionRole);
  alert.exec();
  // Once the command that alerted has ended.
  if (choose && alert.clickedButton() == choose && window_)
    QTimer::singleShot(0, window_.data(), gameFolderHandler_);
}

void QtPlatform::runMoveAlert(const std::string &message, const std::string &detail) {
  if (alertsSilenced_)
    return;
  const NormalCursor cursor;
  QMessageBox alert(QMessageBox::Warning, QStringLiteral("Error"), displayText(message), QMessageBox::Ok,
                    visibleOrNull(window_));
  alert.setInformativeText(displayText(detail));
  alert.setDefaultButton(QMessageBox::Ok);
  alert.setWindowModality(Qt::ApplicationModal);
  auto *silence = new QCheckBox(QStringLiteral("Don't show this again during this move"), &alert);
  alert.setCheckBox(silence);
  alert.exec();
  alertsSilenced_ = silence->isChecked();
}

void QtPlatform::terminate(int exitStatus) {
  exitStatus_ = exitStatus;
  // Ends the event loop when it runs. Before it runs, the application's main
  // returns this status instead of starting it; exit() must not be called
  // then, since it would also end the next loop that starts.
  if (QThread::currentThread()->loopLevel() > 0)
    QCoreApplication::exit(exitStatus);
}

void QtPlatform::createProgressDialog(PackageAction action) {
  progress_ = new QProgressDialog(window_, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowCloseButtonHint);
  progress_->setWindowTitle(action == PackageAction::Copy      ? QStringLiteral("Copying Packages")
                            : action == PackageAction::Export  ? QStringLiteral("Exporting Packages")
                            : action == PackageAction::Compare ? QStringLiteral("Comparing Packages")
                            : action == PackageAction::Read    ? QStringLiteral("Reading Packages")
                            : action == PackageAction::Return  ? QStringLiteral("Putting Packages Back")
                                                               : QStringLiteral("Moving Packages"));
  // Cancel, Escape and closing the window all stop the move after the
  // package in hand. The button is the dialog's own: a second one would
  // bring a second Escape shortcut, and two shortcuts of one key cancel
  // each other.
  progress_->setCancelButtonText(QStringLiteral("Cancel"));
  cancelButton_ = progress_->findChild<QPushButton *>();
  QObject::connect(progress_, &QProgressDialog::canceled, progress_, [this] { cancel(); });
  QObject::connect(progress_, &QDialog::rejected, progress_, [this] { cancel(); });
  progress_->setMinimumWidth(380);
  progress_->setWindowModality(Qt::ApplicationModal);
  progress_->setMinimumDuration(0);
  progress_->setAutoClose(false);
  progress_->setAutoReset(false);
}

void QtPlatform::cancel() {
  if (!progress_)
    return;
  if (!cancelled_) {
    cancelled_ = true;
    if (cancelButton_)
      cancelButton_->setEnabled(false);
    progress_->setLabelText(displayText(cancellingText(inHand_)));
  }
  // The dialog hides and empties itself on Cancel and Escape; it stays up,
  // as far on as it was, until the move has stopped.
  progress_->show();
  progress_->setValue(shownValue_);
}

void QtPlatform::paintProgress() {
  progress_->show();
  // The dialog is modal: of the user's input, only its Cancel gets through.
  QCoreApplication::processEvents();
  sincePaint_.start();
}

void QtPlatform::showMoveProgress(const MoveProgress &progress) {
  if (!moveTimer_.isValid())
    moveTimer_.start();
  if (!progress_ && moveTimer_.elapsed() >= progressDelay_.count())
    createProgressDialog(progress.action);
  if (!cancelled_)
    inHand_ = progress.utName;
  if (!progress_ || (sincePaint_.isValid() && sincePaint_.elapsed() < kPaintIntervalMs))
    return;
  progress_->setMaximum(kProgressSteps);
  shownValue_ = static_cast<int>(progressFraction(progress) * kProgressSteps);
  progress_->setValue(shownValue_);
  if (!cancelled_)
    progress_->setLabelText(displayText(progressLabel(progress)));
  paintProgress();
}

bool QtPlatform::askDeleteForGood(std::size_t count) {
  const NormalCursor cursor;
  QMessageBox question(QMessageBox::Warning, QStringLiteral("Move to Trash"), displayText(deleteForGoodQuestion(count)),
                       QMessageBox::NoButton, visibleOrNull(window_));
  question.setInformativeText(QStringLiteral("The desktop has no Trash for the cache folder, or it is full. "
                                             "Deleted packages cannot be brought back."));
  QPushButton *remove = question.addButton(QStringLiteral("Delete for Good"), QMessageBox::DestructiveRole);
  QPushButton *keep = question.addButton(QStringLiteral("Keep Them"), QMessageBox::RejectRole);
  question.setDefaultButton(keep);
  question.setEscapeButton(keep);
  question.exec();
  return question.clickedButton() == remove;
}

// A click on Cancel is seen at the progress's next repaint.
bool QtPlatform::moveCancelled() { return cancelled_; }

void QtPlatform::waitBeforeReload(std::chrono::milliseconds delay) {
  if (delay.count() <= 0)
    return;
  if (progress_) {
    progress_->setValue(progress_->maximum());
    progress_->setLabelText(QStringLiteral("Reading the cache index again…"));
    paintProgress();
  }
  // The event loop waits without taking input, so that the window and the
  // progress stay painted.
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < delay.count()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    QThread::msleep(static_cast<unsigned long>(std::min<qint64>(20, delay.count() - waited.elapsed() + 1)));
  }
}

void QtPlatform::endMoveProgress() {
  moveTimer_.invalidate();
  sincePaint_.invalidate();
  alertsSilenced_ = false;
  cancelled_ = false;
  shownValue_ = 0;
  if (!progress_)
    return;
  progress_->hide();
  progress_->deleteLater();
  progress_ = nullptr;
}

void QtPlatform::reportMove(const MoveReport &report) {
  if (reportHandler_)
    reportHandler_(report);
}
