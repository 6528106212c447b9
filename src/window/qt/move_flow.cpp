#include "window/qt/move_flow.h"

#include "app/app_controller.h"
#include "window/move_texts.h"
#include "window/needs_texts.h"
#include "window/qt/display_text.h"
#include "window/qt/move_report_window.h"
#include "window/qt/question_dialog.h"
#include "window/qt/status_bar_presenter.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

MoveFlow::MoveFlow(AppController &controller, QWidget *window, StatusBarPresenter &status,
                   std::function<std::size_t()> hiddenByFilter)
    : QObject(window), controller_(controller), window_(window), status_(status),
      hiddenByFilter_(std::move(hiddenByFilter)) {
  connect(&status_, &StatusBarPresenter::detailsRequested, this, &MoveFlow::showDetails);
}

void MoveFlow::request() {
  const MovePreview preview = controller_.previewMove();
  if (preview.packages > 0 && controller_.unrealDir && !confirm(preview))
    return;
  moveConfirmed();
}

LocationParts MoveFlow::where() const {
  return locationParts(controller_.location(), controller_.cacheDirectory(), controller_.unrealDir,
                       controller_.homeFolder());
}

void MoveFlow::moveConfirmed() {
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  controller_.moveFiles(choices_);
  choices_ = {};
  QGuiApplication::restoreOverrideCursor();
  status_.forgetSizes();
  emit finished();
}

bool MoveFlow::confirm(const MovePreview &gamePreview) {
  // Renames into a folder that cannot be written fail without a word: the
  // question names the packages that stay for it, and the rest move. When
  // none can move, no Move is offered, unless the user's own folders can
  // take the packages.
  std::optional<std::string> own; // the user's own folder, as the user reads it
  MovePreview ownPreview;
  const bool noneCanMove = gamePreview.inUnwritableFolders == gamePreview.packages;
  if (!gamePreview.unwritableFolders.empty() && noneCanMove) {
    if (const std::optional<std::string> folder = controller_.ownPackageFolder())
      own = homeRelative(*folder, controller_.homeFolder());
    if (!own || controller_.gameRunning()) {
      const ConfirmationText text = own ? ownFolderWhileRunningText(*own) : unwritableText(gamePreview, where());
      QMessageBox refusal(QMessageBox::Warning, QStringLiteral("Move Packages"), displayText(text.question),
                          QMessageBox::Close, window_);
      refusal.setInformativeText(displayText(text.explanation));
      refusal.exec();
      return false;
    }
    // What the player's folders hold already is what the move would replace.
    ownPreview = controller_.previewMove(true);
  }
  const MovePreview &preview = own ? ownPreview : gamePreview;
  ConfirmationText text =
      own ? ownFolderText(preview, where(), *own) : confirmationText(preview, where(), hiddenByFilter_());
  if (const std::string notes = moveNeedsNotes(preview); !notes.empty())
    text.explanation += "\n\n" + notes;
  if (controller_.gameRunning())
    text.explanation = std::string(kGameRunningWarning) + "\n\n" + text.explanation;
  QuestionDialog confirmation(QStringLiteral("Move Packages"), displayText(text.question),
                              displayText(text.explanation),
                              own ? QString::fromUtf8(kMoveToOwnFolderAction) : QStringLiteral("Move"), window_);
  // Replacing a file the game has in another version is final: the choice
  // to keep those is offered, and made already when there are any.
  // Files not compared yet may differ: they are kept unless the user says
  // otherwise, and so are downloads not checked yet.
  QCheckBox *keep = nullptr;
  if (preview.replacements > 0)
    keep = confirmation.addChoice(QString::fromUtf8(kKeepDifferentText),
                                  preview.differentReplacements > 0 || preview.notLookedAt > 0);
  // A damaged download would only replace a good file or break the game.
  QCheckBox *leaveDamaged = nullptr;
  if (preview.damaged > 0 || preview.notLookedAt > 0)
    leaveDamaged = confirmation.addChoice(QString::fromUtf8(kLeaveDamagedText), true);
  // The headline and the details count what the choices leave in the cache.
  const auto retell = [&] {
    const MoveTextChoices choices{keep && keep->isChecked(), leaveDamaged && leaveDamaged->isChecked()};
    if (!own)
      confirmation.setQuestion(displayText(moveQuestion(preview, choices)));
    confirmation.setDetails(displayText(moveDetails(preview, choices)));
  };
  retell();
  for (QCheckBox *box : {keep, leaveDamaged}) {
    if (box)
      connect(box, &QCheckBox::toggled, &confirmation, retell);
  }
  // A map moved without its textures breaks once the game purges the cache.
  QCheckBox *alsoNeeds = nullptr;
  if (preview.needed > 0)
    alsoNeeds = confirmation.addChoice(displayText(alsoMoveNeedsText(preview.needed, preview.neededBytes)), true);
  const bool confirmed = confirmation.ask();
  choices_.keepDifferentFiles = keep && keep->isChecked();
  choices_.leaveDamaged = leaveDamaged && leaveDamaged->isChecked();
  choices_.alsoMoveNeeds = alsoNeeds && alsoNeeds->isChecked();
  choices_.intoOwnFolder = own.has_value();
  return confirmed;
}

void MoveFlow::showReport(const MoveReport &report) {
  if (report.moved.empty() && report.stayed.empty())
    return;
  lastReport_ = report;
  status_.showMoveSummary(displayText(reportSummary(report)));
  if (reportWindow_)
    showDetails();
}

void MoveFlow::showDetails() {
  if (!lastReport_)
    return;
  if (reportWindow_)
    reportWindow_->deleteLater();
  reportWindow_ = new MoveReportWindow(*lastReport_, window_);
  reportWindow_->setAttribute(Qt::WA_DeleteOnClose);
  reportWindow_->show();
}
