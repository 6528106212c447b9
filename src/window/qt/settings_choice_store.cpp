#include "window/qt/settings_choice_store.h"

#include "window/qt/program_settings.h"

#include <QFile>

namespace {

const QString kCacheFolderKey = QStringLiteral("folders/cache");
const QString kGameFolderKey = QStringLiteral("folders/game");

std::optional<std::string> folderAt(const QSettings &store, const QString &key) {
  const QByteArray path = QFile::encodeName(store.value(key).toString());
  if (path.isEmpty())
    return std::nullopt;
  return path.toStdString();
}

void setFolder(QSettings &store, const QString &key, const std::optional<std::string> &folder) {
  if (folder)
    store.setValue(key, QFile::decodeName(QByteArray::fromStdString(*folder)));
  else
    store.remove(key);
}

} // namespace

ChosenFolders SettingsChoiceStore::load() const {
  const QSettings store = programSettings();
  return ChosenFolders{folderAt(store, kCacheFolderKey), folderAt(store, kGameFolderKey)};
}

void SettingsChoiceStore::save(const ChosenFolders &chosen) {
  QSettings store = programSettings();
  setFolder(store, kCacheFolderKey, chosen.cacheFolder);
  setFolder(store, kGameFolderKey, chosen.gameFolder);
}
