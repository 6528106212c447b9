#include "window/qt/window_state.h"

#include "catalogue/category.h"
#include "window/qt/main_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>

namespace {

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kTabKey = QStringLiteral("window/tab");
const QString kDetailsWidthKey = QStringLiteral("window/detailsWidth");
const QString kDetailsKey = QStringLiteral("window/details");
const QString kIntoCategoryFoldersKey = QStringLiteral("copy/intoCategoryFolders");

} // namespace

void restoreWindowState(MainWindow &window, const QSettings *store) {
  // Maps are what players come for: the first start shows them.
  window.tabs()->setCurrentIndex(static_cast<int>(kMapsCategory));
  if (store) {
    window.restoreGeometry(store->value(kGeometryKey).toByteArray());
    const int tab = store->value(kTabKey, -1).toInt();
    if (tab >= 0 && tab < window.tabs()->count())
      window.tabs()->setCurrentIndex(tab);
    if (const QVariant width = store->value(kDetailsWidthKey); width.isValid())
      window.setDetailsWidth(width.toInt());
    window.setDetailsShown(store->value(kDetailsKey, true).toBool());
    window.setCopiesIntoCategoryFolders(store->value(kIntoCategoryFoldersKey, false).toBool());
  }
  // At a large scale the first window may be larger than the screen.
  const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen)
    return;
  const QRect room = screen->availableGeometry();
  const QSize size = window.size().boundedTo(room.size() - QSize(16, 48));
  window.resize(size);
  if (!room.contains(window.frameGeometry().topLeft()))
    window.move(room.center() - QPoint(size.width() / 2, size.height() / 2));
}

void saveWindowState(const MainWindow &window, QSettings *store) {
  if (!store)
    return;
  store->setValue(kGeometryKey, window.saveGeometry());
  store->setValue(kTabKey, window.tabs()->currentIndex());
  store->setValue(kDetailsKey, window.detailsAction()->isChecked());
  store->setValue(kDetailsWidthKey, window.detailsWidth());
  store->setValue(kIntoCategoryFoldersKey, window.copiesIntoCategoryFolders());
}
