#pragma once

#include "window/surface.h"

#include <QElapsedTimer>
#include <QPointer>

class QProgressDialog;
class QWidget;

// Alerts, the terminate request and the move progress, on Qt.
class QtPlatform final : public Platform {
public:
  QtPlatform();
  ~QtPlatform() override;

  // The window that alerts and the progress dialog belong to.
  void setWindow(QWidget *window) { window_ = window; }
  int exitStatus() const { return exitStatus_; }

  void runAlertPanel(const std::string &message) override;
  void terminate(int exitStatus) override;
  void showMoveProgress(std::size_t current, std::size_t total) override;
  void endMoveProgress() override;

private:
  QPointer<QWidget> window_;
  QPointer<QProgressDialog> progress_; // owned by the window
  QElapsedTimer moveTimer_;
  int exitStatus_ = 0;
};
