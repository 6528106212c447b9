#pragma once

#include "window/qt/elided_label.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <functional>

class AppController;
class CategoryTableModel;
class QMainWindow;
class QDialog;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The status bar's say of what packages need: how far the reading of the
// cache's packages has come, and what the selected package needs and how
// many maps need it, with the whole list behind a button.
class NeedsPresenter final : public QObject {
  Q_OBJECT

public:
  // `shownRow` tells the shown tab's model and the list position of its
  // current row (-1 for none).
  NeedsPresenter(AppController &controller, QMainWindow *window,
                 std::function<std::pair<CategoryTableModel *, int>()> shownRow);
  // The reading stops first: it speaks to this object.
  ~NeedsPresenter() override;

  // Starts the reading of the cache's packages, after the window shows.
  void startReading();
  // The shown row or its package changed: said again once the loop is idle.
  void schedule();

  ElidedLabel *reading() const { return reading_; }
  ElidedLabel *needs() const { return needs_; }
  QPushButton *listButton() const { return listButton_; }
  QDialog *list() const { return list_; }
  QPlainTextEdit *listText() const { return listText_; }

signals:
  // Emitted on the window's thread as the reading goes on.
  void readingAdvanced();

private:
  void update();
  void updateReading();
  void showList();

  AppController &controller_;
  QMainWindow *window_;
  std::function<std::pair<CategoryTableModel *, int>()> shownRow_;
  ElidedLabel *reading_ = nullptr;
  ElidedLabel *needs_ = nullptr;
  QPushButton *listButton_ = nullptr;
  QPointer<QDialog> list_;
  QLabel *listHeading_ = nullptr;
  QPlainTextEdit *listText_ = nullptr;
  QTimer timer_;
  // Set while a count is on its way to the window's thread, so that the
  // reading thread sends one at a time.
  std::atomic<bool> countPending_{false};
};
