#pragma once

#include <string>

class QWidget;

// Opens `folder` in the desktop's file manager; says so over `window` when
// it cannot.
void openFolderInFileManager(const std::string &folder, QWidget *window);
