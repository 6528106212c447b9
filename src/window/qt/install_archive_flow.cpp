#include "window/qt/install_archive_flow.h"

#include "app/app_controller.h"
#include "window/archive_texts.h"
#include "window/location_texts.h"
#include "window/move_texts.h"
#include "window/qt/display_text.h"
#include "window/qt/folder_opener.h"
#include "window/qt/question_dialog.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <algorithm>

namespace {

const QStringList kArchiveEndings = {QStringLiteral(".zip"),     QStringLiteral(".7z"),     QStringLiteral(".rar"),
                                     QStringLiteral(".tar"),     QStringLiteral(".tar.gz"), QStringLiteral(".tgz"),
                                     QStringLiteral(".tar.bz2"), QStringLiteral(".tar.xz"), QStringLiteral(".umod"),
                                     QStringLiteral(".ut4mod"),  QStringLiteral(".ut2mod")};

QString archiveFilter() {
  QStringList patterns;
  for (const QString &ending : kArchiveEndings)
    patterns << QStringLiteral("*") + ending;
  return QStringLiteral("Map packs (%1);;All files (*)").arg(patterns.join(QLatin1Char(' ')));
}

} // namespace

InstallArchiveFlow::InstallArchiveFlow(AppController &controller, QWidget *window)
    : QObject(window), controller_(controller), window_(window) {}

bool InstallArchiveFlow::isArchiveName(const QString &path) {
  for (const QString &ending : kArchiveEndings)
    if (path.endsWith(ending, Qt::CaseInsensitive))
      return true;
  return false;
}

void InstallArchiveFlow::chooseArchive() {
  const QString start =
      lastFolder_.isEmpty() ? QFile::decodeName(QByteArray::fromStdString(controller_.homeFolder())) : lastFolder_;
  const QString archive =
      QFileDialog::getOpenFileName(window_, QStringLiteral("Install from Archive"), start, archiveFilter());
  if (archive.isEmpty())
    return;
  lastFolder_ = QFileInfo(archive).absolutePath();
  install(archive);
}

void InstallArchiveFlow::install(const QString &archive) {
  const QString title = QStringLiteral("Install from Archive");
  if (!controller_.hasCache() || !controller_.unrealDir) {
    QMessageBox::warning(window_, title, QString::fromUtf8(kNoInstallationMessage));
    return;
  }
  const std::string path = QFile::encodeName(archive).toStdString();
  const AppController::ArchiveQuestion planned = controller_.planArchive(path);
  const std::string name = QFile::encodeName(QFileInfo(archive).fileName()).toStdString();
  if (!planned.plan.unreadable.empty()) {
    QMessageBox::warning(window_, title, displayText("Could not read " + name + ": " + planned.plan.unreadable));
    return;
  }
  const ArchiveQuestionText text = archiveQuestionText(planned.plan, planned.missingNeeds, name,
                                                       homeRelative(*controller_.unrealDir, controller_.homeFolder()));
  QuestionDialog question(title, displayText(text.question), displayText(text.explanation),
                          text.anythingToInstall ? QStringLiteral("Install") : QStringLiteral("Close"), window_);
  question.setDetails(displayText(text.details));
  QCheckBox *keep = text.anyDifferent ? question.addChoice(QString::fromUtf8(kKeepDifferentText), true) : nullptr;
  if (keep) {
    // The headline counts again what will be installed.
    connect(keep, &QCheckBox::toggled, &question, [&question, &planned, name](bool keeping) {
      question.setQuestion(displayText(archiveHeadline(planned.plan, name, keeping)));
    });
  }
  const bool toRead = std::any_of(planned.plan.files.begin(), planned.plan.files.end(),
                                  [](const ArchiveFile &file) { return file.fate == ArchiveFile::Fate::Readme; });
  QCheckBox *open = toRead ? question.addChoice(QStringLiteral("Open the text and pictures it holds"), true) : nullptr;
  if (!question.ask())
    return;
  if (open && open->isChecked())
    openReadmes(planned.plan);
  if (!text.anythingToInstall)
    return;
  controller_.installArchive(planned.plan, keep && !keep->isChecked());
  emit done();
}

void InstallArchiveFlow::openReadmes(const ArchivePlan &plan) {
  const std::vector<std::string> files = controller_.extractReadmesOf(plan);
  // A few open one by one; more, in their folder.
  constexpr std::size_t kMostOpened = 3;
  if (files.size() > kMostOpened) {
    openFolderInFileManager(files.front().substr(0, files.front().rfind('/')), window_);
    return;
  }
  for (const std::string &file : files)
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(file))));
}
