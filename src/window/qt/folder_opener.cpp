#include "window/qt/folder_opener.h"

#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QUrl>

void openFolderInFileManager(const std::string &folder, QWidget *window) {
  const QString path = QFile::decodeName(QByteArray::fromStdString(folder));
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    return;
  QMessageBox::warning(window, QStringLiteral("Open Folder"),
                       QStringLiteral("No file manager could open %1.").arg(path));
}
