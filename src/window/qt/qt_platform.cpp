#include "window/qt/qt_platform.h"

#include "window/qt/display_text.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>

namespace {

// A move shorter than this shows no progress dialog.
constexpr qint64 kProgressDelayMs = 500;

QWidget *visibleOrNull(QWidget *window) { return window && window->isVisible() ? window : nullptr; }

} // namespace

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() = default;

void QtPlatform::runAlertPanel(const std::string &message) {
  QMessageBox alert(QMessageBox::Warning, QStringLiteral("Error"), displayText(message), QMessageBox::Ok,
                    visibleOrNull(window_));
  alert.setDefaultButton(QMessageBox::Ok);
  alert.setWindowModality(Qt::ApplicationModal);
  alert.exec();
}

void QtPlatform::terminate(int exitStatus) {
  exitStatus_ = exitStatus;
  // Ends the event loop when it runs. Before it runs, the application's main
  // returns this status instead of starting it; exit() must not be called
  // then, since it would also end the next loop that starts.
  if (QThread::currentThread()->loopLevel() > 0)
    QCoreApplication::exit(exitStatus);
}

void QtPlatform::showMoveProgress(std::size_t current, std::size_t total) {
  if (!moveTimer_.isValid())
    moveTimer_.start();
  if (!progress_ && moveTimer_.elapsed() >= kProgressDelayMs) {
    progress_ = new QProgressDialog(window_);
    progress_->setWindowTitle(QStringLiteral("Moving Files"));
    progress_->setCancelButton(nullptr);
    progress_->setMinimumWidth(320);
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
  }
  if (!progress_)
    return;
  progress_->setMaximum(static_cast<int>(total));
  progress_->setLabelText(QStringLiteral("Moving file %1 of %2…").arg(current).arg(total));
  progress_->setValue(static_cast<int>(current - 1));
  progress_->show();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtPlatform::endMoveProgress() {
  moveTimer_.invalidate();
  if (!progress_)
    return;
  progress_->hide();
  progress_->deleteLater();
  progress_ = nullptr;
}
