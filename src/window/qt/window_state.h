#pragma once

class MainWindow;

// The window's size, place and shown tab, kept with the chosen folders
// between runs. Restoring puts the window on a screen that is there now,
// and never larger than that screen's free area.
void restoreWindowState(MainWindow &window);
void saveWindowState(const MainWindow &window);
