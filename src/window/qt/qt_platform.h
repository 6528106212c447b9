#pragma once

#include "app/platform.h"

#include <QElapsedTimer>
#include <QPointer>

#include <functional>

class QProgressDialog;
class QPushButton;
class QWidget;

// Alerts, the terminate request, the move's progress and its report, on Qt.
class QtPlatform final : public Platform {
public:
  // A move that ends within `progressDelay` shows no progress.
  explicit QtPlatform(std::chrono::milliseconds progressDelay = std::chrono::milliseconds(500));
  ~QtPlatform() override;

  // The window that alerts and the progress dialog belong to.
  void setWindow(QWidget *window) { window_ = window; }
  // Who shows a move's report once the tables show the new state.
  void setReportHandler(std::function<void(const MoveReport &)> handler) { reportHandler_ = std::move(handler); }
  // Called once the alert that no game was found closes, when the user
  // chose Choose Game Folder… in it.
  void setGameFolderHandler(std::function<void()> handler) { gameFolderHandler_ = std::move(handler); }
  int exitStatus() const { return exitStatus_; }

  void runAlertPanel(const std::string &message) override;
  void runMoveAlert(const std::string &message, const std::string &detail) override;
  void terminate(int exitStatus) override;
  void showMoveProgress(const MoveProgress &progress) override;
  bool moveCancelled() override;
  bool askDeleteForGood(std::size_t count) override;
  void waitBeforeReload(std::chrono::milliseconds delay) override;
  void endMoveProgress() override;
  void reportMove(const MoveReport &report) override;

private:
  void createProgressDialog(PackageAction action);
  void paintProgress();
  // The user stopped the move: the dialog stays up and says it is stopping.
  void cancel();

  const std::chrono::milliseconds progressDelay_;
  QPointer<QWidget> window_;
  QPointer<QProgressDialog> progress_; // owned by the window
  QPointer<QPushButton> cancelButton_; // owned by progress_
  std::string inHand_;                 // the package the progress last named
  int shownValue_ = 0;                 // how far the bar was last shown
  std::function<void(const MoveReport &)> reportHandler_;
  std::function<void()> gameFolderHandler_;
  QElapsedTimer moveTimer_;
  QElapsedTimer sincePaint_;
  bool alertsSilenced_ = false;
  bool cancelled_ = false;
  int exitStatus_ = 0;
};
