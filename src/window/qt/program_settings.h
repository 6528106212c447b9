#pragma once

#include <QSettings>

// What the program keeps between runs, in one file:
// "~/.config/cache-sorter/cache-sorter.ini" on Linux.
inline QSettings programSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("cache-sorter"),
                   QStringLiteral("cache-sorter"));
}
