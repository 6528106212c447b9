#include "window/qt/settings_choice_store.h"

#include <QFile>
#include <QSettings>

namespace {

const QString kCacheFolderKey = QStringLiteral("folders/cache");
const QString kGameFolderKey = QStringLiteral("folders/game");
const QString kLayoutKey = QStringLiteral("folders/layout");

// A folder whose path holds a NUL byte names no folder: it is not used.
std::optional<std::string> folderAt(const QSettings &store, const QString &key) {
  const QByteArray path = QFile::encodeName(store.value(key).toString());
  if (path.isEmpty() || path.contains('\0'))
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
  if (!store_)
    return {};
  return ChosenFolders{folderAt(*store_, kCacheFolderKey), folderAt(*store_, kGameFolderKey),
                       store_->value(kLayoutKey).toString().toStdString()};
}

void SettingsChoiceStore::save(const ChosenFolders &chosen) {
  if (!store_)
    return;
  setFolder(*store_, kCacheFolderKey, chosen.cacheFolder);
  setFolder(*store_, kGameFolderKey, chosen.gameFolder);
  if (chosen.layout.empty())
    store_->remove(kLayoutKey);
  else
    store_->setValue(kLayoutKey, QString::fromStdString(chosen.layout));
  store_->sync();
}
