#pragma once

class MainWindow;
class QSettings;

// The window's size, place, shown tab and details pane (its width, and
// whether it is shown), kept with the chosen folders between runs. Restoring puts the window on a screen that is there
// now, and never larger than that screen's free area. Without settings, the window starts as built and nothing is kept.
void restoreWindowState(MainWindow &window, const QSettings *store);
void saveWindowState(const MainWindow &window, QSettings *store);
