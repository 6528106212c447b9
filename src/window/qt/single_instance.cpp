#include "window/qt/single_instance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

// Each side writes one line; anything else, or nothing in time, is no answer.
const QByteArray kShowRequest = "show\n";
const QByteArray kShownAnswer = "shown\n";
constexpr qint64 kMostLine = 64;

} // namespace

SingleInstance::SingleInstance(QString name, QObject *parent) : QObject(parent), name_(std::move(name)) {}

bool SingleInstance::askRunningToShow(int timeoutMs) const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(timeoutMs))
    return false;
  socket.write(kShowRequest);
  if (!socket.waitForBytesWritten(timeoutMs))
    return false;
  while (!socket.canReadLine() && socket.bytesAvailable() < kMostLine) {
    if (!socket.waitForReadyRead(timeoutMs))
      return false;
  }
  return socket.readLine(kMostLine) == kShownAnswer;
}

bool SingleInstance::listen(std::function<void()> show) {
  show_ = std::move(show);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // A socket left by a program that was killed answers no one: it goes.
  if (!server_->listen(name_)) {
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_))
      return false;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket *client = server_->nextPendingConnection()) {
      connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      connect(client, &QLocalSocket::readyRead, client, [this, client] {
        if (!client->canReadLine()) {
          if (client->bytesAvailable() >= kMostLine)
            client->disconnectFromServer();
          return;
        }
        if (client->readLine(kMostLine) != kShowRequest) {
          client->disconnectFromServer();
          return;
        }
        if (show_)
          show_();
        client->write(kShownAnswer);
        client->disconnectFromServer();
      });
    }
  });
  return true;
}

QString instanceName(const std::string &homeFolder) {
  const QByteArray home = QCryptographicHash::hash(QByteArray::fromStdString(homeFolder), QCryptographicHash::Sha256);
  return QStringLiteral("cache-sorter-%1-%2").arg(::getuid()).arg(QString::fromLatin1(home.toHex().left(12)));
}
