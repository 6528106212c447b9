#include "window/qt/program_settings.h"

#include "posix/small_file.h"

#include <QFile>
#include <QStandardPaths>

QString programSettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/cache-sorter/cache-sorter.ini");
}

std::unique_ptr<QSettings> openProgramSettings(const QString &path, QString &passedOver) {
  // QSettings reads the file as it is made, and would wait on a FIFO for ever.
  const SmallFile::State state = checkSmallFile(QFile::encodeName(path).toStdString());
  if (state != SmallFile::State::Absent && state != SmallFile::State::Read) {
    passedOver = path + QStringLiteral(": ") + QString::fromLatin1(passedOverReason(state));
    return nullptr;
  }
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}
