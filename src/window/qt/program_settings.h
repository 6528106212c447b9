#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// What the program keeps between runs, in one file:
// "~/.config/cache-sorter/cache-sorter.ini" on Linux.
QString programSettingsPath();

// The program's settings in the file at `path`; nullptr, with `passedOver`
// saying why, when something other than a plain file of a settings file's
// size stands there. The program then neither reads nor writes it.
std::unique_ptr<QSettings> openProgramSettings(const QString &path, QString &passedOver);
