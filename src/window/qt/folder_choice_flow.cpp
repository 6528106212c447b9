#include "window/qt/folder_choice_flow.h"

#include "app/app_controller.h"
#include "posix/paths.h"
#include "window/qt/display_text.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString fromPath(const std::string &path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

const QString kRefusalTitle = QStringLiteral("Cannot Use This Folder");

std::string toPath(const QString &folder) { return QFile::encodeName(QDir::cleanPath(folder)).toStdString(); }

} // namespace

FolderChoiceFlow::FolderChoiceFlow(AppController &controller, QWidget *window)
    : QObject(window), controller_(controller), window_(window) {}

void FolderChoiceFlow::chooseCacheFolder() {
  const std::optional<std::string> current =
      controller_.hasCache() ? std::optional<std::string>(controller_.cacheDirectory()) : std::nullopt;
  const QString folder = pickFolder(QStringLiteral("Choose Cache Folder"), current);
  if (!folder.isEmpty())
    useCacheFolder(folder);
}

void FolderChoiceFlow::chooseGameFolder() {
  const QString folder = pickFolder(QStringLiteral("Choose Game Folder"), controller_.unrealDir);
  if (!folder.isEmpty())
    useGameFolder(folder);
}

void FolderChoiceFlow::forgetChosenFolders() { settle(controller_.forgetChosenFolders(), QStringLiteral("Error")); }

void FolderChoiceFlow::useCacheFolder(const QString &folder) {
  settle(controller_.chooseCacheFolder(toPath(folder)), kRefusalTitle);
}

void FolderChoiceFlow::useGameFolder(const QString &folder) {
  settle(controller_.chooseGameFolder(toPath(folder)), kRefusalTitle);
}

void FolderChoiceFlow::useGame(const FoundGame &game) { settle(controller_.chooseGame(game), QStringLiteral("Error")); }

QString FolderChoiceFlow::pickFolder(const QString &title, const std::optional<std::string> &current) const {
  const QString start = current ? fromPath(folderOf(*current)) : fromPath(controller_.homeFolder());
  return QFileDialog::getExistingDirectory(window_, title, start);
}

void FolderChoiceFlow::settle(const std::optional<std::string> &problem, const QString &title) {
  // The folders may have changed even when the cache found could not be
  // read, so the window always shows the state anew.
  emit changed();
  if (!problem)
    return;
  QMessageBox message(QMessageBox::Warning, title, displayText(*problem), QMessageBox::Ok, window_);
  message.exec();
}
