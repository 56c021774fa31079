#include "app/RunningCopy.h"

#include <unistd.h>

#include <QLocalSocket>

#include "framework/ui/QtText.h"

namespace {

constexpr int ConnectMilliseconds = 1000;

// Per user: another user's copy is not this user's program.
QString SocketName(const CText& title) { return ToQt(title) + QString("-%1").arg(getuid()); }

}  // namespace

bool RunningCopy::AskEarlierCopy(const CText& title) {
  QLocalSocket socket;
  socket.connectToServer(SocketName(title));
  if (!socket.waitForConnected(ConnectMilliseconds)) return false;
  socket.disconnectFromServer();
  return true;
}

bool RunningCopy::Listen(const CText& title, std::function<void()> bringToFront) {
  const QString name = SocketName(title);
  QLocalServer::removeServer(name);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    server_.reset();
    return false;
  }
  QLocalServer* server = server_.get();
  QObject::connect(server, &QLocalServer::newConnection, server, [server, bringToFront = std::move(bringToFront)] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      socket->deleteLater();
      bringToFront();
    }
  });
  return true;
}
