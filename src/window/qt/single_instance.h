#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One window for each user and home: a second start asks the running one,
// over a local socket, to come to the front, and then ends.
class SingleInstance final : public QObject {
  Q_OBJECT

public:
  // `name` tells this user's program from others': see instanceName().
  explicit SingleInstance(QString name, QObject *parent = nullptr);

  // True once a running program has answered that it came to the front,
  // within `timeoutMs`.
  bool askRunningToShow(int timeoutMs) const;
  // Answers later starts from now on, calling `show` for each; false when
  // the socket cannot be made (the program then runs alone all the same).
  bool listen(std::function<void()> show);

private:
  QString name_;
  QLocalServer *server_ = nullptr;
  std::function<void()> show_;
};

// The socket's name for the user running this program with `homeFolder`.
QString instanceName(const std::string &homeFolder);
