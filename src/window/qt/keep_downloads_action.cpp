#include "window/qt/keep_downloads_action.h"

#include "app/app_controller.h"
#include "window/location_texts.h"
#include "window/qt/display_text.h"

#include <QMessageBox>

KeepDownloadsAction::KeepDownloadsAction(AppController &controller, QWidget *window)
    : QAction(QStringLiteral("&Keep Downloads for Good"), window), controller_(controller), window_(window) {
  setCheckable(true);
  setToolTip(QStringLiteral("Stop the game from deleting downloads older than a number of days when it starts"));
  connect(this, &QAction::triggered, this, &KeepDownloadsAction::toggle);
}

void KeepDownloadsAction::refresh() {
  const std::optional<AppController::DownloadKeeping> keeping = controller_.downloadKeeping();
  setEnabled(keeping.has_value());
  setChecked(keeping && keeping->days <= 0);
}

void KeepDownloadsAction::toggle(bool forGood) {
  if (const std::optional<std::string> problem = controller_.keepDownloadsForGood(forGood)) {
    refresh();
    QMessageBox::warning(window_, QStringLiteral("Error"), displayText(*problem));
    return;
  }
  refresh();
  const std::optional<AppController::DownloadKeeping> keeping = controller_.downloadKeeping();
  if (!keeping)
    return;
  emit done(keeping->days <= 0 ? QStringLiteral("The game now keeps downloads for good")
                               : displayText(downloadKeepingText(keeping->days)));
}
