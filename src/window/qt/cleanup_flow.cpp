#include "window/qt/cleanup_flow.h"

#include "app/app_controller.h"
#include "window/browse_texts.h"
#include "window/move_texts.h"
#include "window/qt/display_text.h"

#include "window/needs_texts.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include <limits>

namespace {

// A busy cursor for as long as it lives.
class BusyCursor {
public:
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
  BusyCursor(const BusyCursor &) = delete;
  BusyCursor &operator=(const BusyCursor &) = delete;
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};

// `choice`, when not empty, is a check box under the question, checked
// at first; `chosen` then tells whether it stayed checked.
bool ask(QWidget *window, const QString &title, const ConfirmationText &text, const QString &action,
         QMessageBox::Icon icon, const QString &choice = {}, bool *chosen = nullptr) {
  QMessageBox question(icon, title, displayText(text.question), QMessageBox::NoButton, window);
  QCheckBox *box = nullptr;
  if (!choice.isEmpty()) {
    box = new QCheckBox(choice, &question);
    box->setChecked(true);
    question.setCheckBox(box);
  }
  if (icon == QMessageBox::NoIcon)
    question.setIconPixmap(window->windowIcon().pixmap(64));
  question.setInformativeText(displayText(text.explanation));
  QPushButton *yes = question.addButton(action, QMessageBox::AcceptRole);
  QPushButton *no = question.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  question.setDefaultButton(yes);
  question.setEscapeButton(no);
  question.exec();
  if (chosen)
    *chosen = box && box->isChecked();
  return question.clickedButton() == yes;
}

} // namespace

CleanupFlow::CleanupFlow(AppController &controller, QWidget *window, PackageSizes &sizes)
    : QObject(window), controller_(controller), window_(window), sizes_(sizes) {}

void CleanupFlow::trashTicked() {
  TickedTotals totals;
  std::size_t lookups = std::numeric_limits<std::size_t>::max();
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    sizes_.addTicked(controller_.cacheDirectory(), controller_.listAt(index), totals, lookups);
  if (totals.ticked == 0)
    return;
  // Which kept maps need a package that would go: read now where the
  // background reading has not come to it yet.
  const AppController::NeededByKept needed = controller_.neededByKeptMaps();
  if (needed.stopped)
    return;
  ConfirmationText text = trashQuestion(totals.ticked, totals.bytes, totals.missing);
  QString keep;
  if (!needed.needed.empty()) {
    text.explanation += "\n\n" + neededByMapsNote(needed.maps);
    keep = displayText(keepNeededText(needed.needed.size()));
  }
  bool keepNeeded = false;
  // What goes is gone from the cache: the warning's icon says so.
  if (!ask(window_, QStringLiteral("Move to Trash"), text, QStringLiteral("Move to Trash"), QMessageBox::Warning, keep,
           &keepNeeded))
    return;
  {
    const BusyCursor busy;
    controller_.discardTicked(keepNeeded);
  }
  sizes_.clear();
  emit finished();
}

void CleanupFlow::removeMissingEntries() {
  std::size_t missing = 0;
  {
    const BusyCursor busy;
    missing = controller_.countMissingEntries();
  }
  if (missing == 0) {
    const QString none = QStringLiteral("Every entry of the cache index names a cached file.");
    emit noted(none.chopped(1));
    QMessageBox::information(window_, QStringLiteral("Remove Missing Entries"), none);
    return;
  }
  const ConfirmationText text{removeMissingQuestion(missing),
                              "The game has purged these packages from the cache already; their entries only make "
                              "the lists longer. Entries of other kinds of file stay."};
  if (!ask(window_, QStringLiteral("Remove Missing Entries"), text, QStringLiteral("Remove"), QMessageBox::NoIcon))
    return;
  AppController::RemovedEntries removed;
  {
    const BusyCursor busy;
    removed = controller_.removeMissingEntries();
  }
  sizes_.clear();
  emit finished();
  if (!removed.problem) {
    emit noted(QString::fromStdString(removedEntriesText(removed.removed)));
    return;
  }
  emit noted(QStringLiteral("Removed no entries: the cache index could not be written"));
  QMessageBox::warning(window_, QStringLiteral("Error"), displayText(*removed.problem));
}
