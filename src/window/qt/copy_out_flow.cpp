#include "window/qt/copy_out_flow.h"

#include "app/app_controller.h"
#include "window/location_texts.h"
#include "window/move_texts.h"
#include "window/needs_texts.h"
#include "window/qt/display_text.h"
#include "window/qt/question_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

CopyOutFlow::CopyOutFlow(AppController &controller, QWidget *window)
    : QObject(window), controller_(controller), window_(window) {}

QString CopyOutFlow::pickFolder(const QString &title) {
  const QString start =
      lastFolder_.isEmpty() ? QFile::decodeName(QByteArray::fromStdString(controller_.homeFolder())) : lastFolder_;
  const QString folder = QFileDialog::getExistingDirectory(window_, title, start);
  if (!folder.isEmpty())
    lastFolder_ = folder;
  return folder;
}

void CopyOutFlow::copyTicked(CopyFormat format) {
  const bool exporting = format == CopyFormat::Uz2;
  const QString title = exporting ? QStringLiteral("Export for Redirect Server") : QStringLiteral("Copy to Folder");
  const QString folder = pickFolder(title);
  if (folder.isEmpty())
    return;
  CopyOutSettings settings;
  settings.folder = QFile::encodeName(QDir::cleanPath(folder)).toStdString();
  settings.format = format;
  const std::string shownFolder = homeRelative(settings.folder, controller_.homeFolder());
  const CopyOutPreview preview = controller_.previewCopyOut(settings);
  if (preview.packages == 0)
    return;

  const ConfirmationText text = copyOutQuestion(preview, format, shownFolder);
  QuestionDialog question(title, displayText(text.question), displayText(text.explanation),
                          exporting ? QStringLiteral("Export") : QStringLiteral("Copy"), window_);
  QCheckBox *intoCategories =
      exporting ? nullptr : question.addChoice(QString::fromUtf8(kIntoCategoryFoldersText), intoCategoryFolders_);
  QCheckBox *leaveOut =
      preview.damaged > 0 ? question.addChoice(QString::fromUtf8(kLeaveOutDamagedText), true) : nullptr;
  // A redirect server must offer what a client downloads with a map.
  QCheckBox *withNeeds = nullptr;
  if (exporting) {
    const EntriesNeeds needs = controller_.neededByTicked();
    if (!needs.cached.empty())
      withNeeds = question.addChoice(displayText(withNeedsText(needs.cached.size())), true);
  }
  if (!question.ask())
    return;
  const bool alsoNeeds = withNeeds && withNeeds->isChecked();
  settings.intoCategoryFolders = intoCategories && intoCategories->isChecked();
  if (intoCategories)
    intoCategoryFolders_ = settings.intoCategoryFolders;
  settings.leaveDamaged = !leaveOut || leaveOut->isChecked();

  // Asked once for all, with the copies laid out as chosen.
  if (const std::size_t existing = controller_.previewCopyOut(settings, alsoNeeds).existing; existing > 0) {
    const ConfirmationText replace = replaceCopiesQuestion(existing, shownFolder);
    QMessageBox box(QMessageBox::Warning, title, displayText(replace.question), QMessageBox::NoButton, window_);
    box.setInformativeText(displayText(replace.explanation));
    QPushButton *replaceAll = box.addButton(QStringLiteral("Replace All"), QMessageBox::DestructiveRole);
    QPushButton *keep = box.addButton(QStringLiteral("Keep Them"), QMessageBox::RejectRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == cancel)
      return;
    settings.replaceExisting = box.clickedButton() == replaceAll;
  }
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  controller_.copyTickedOut(settings, alsoNeeds);
  QGuiApplication::restoreOverrideCursor();
}
