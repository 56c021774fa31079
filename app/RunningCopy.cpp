#include "app/RunningCopy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#include "framework/ui/QtText.h"

namespace {

constexpr int ConnectMilliseconds = 1000;
// How long a copy that holds the lock may take to listen.
constexpr int StartingMilliseconds = 5000;
constexpr int RetryMilliseconds = 100;

QString SocketPath(const QString& folder, const CText& title) { return folder + ToQt(title) + ".socket"; }

}  // namespace

QString RunningCopy::RuntimeFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (runtime.startsWith('/')) return runtime.endsWith('/') ? runtime : runtime + '/';
  // Made by this user for this user alone; anything else there is not ours.
  QString folder = QString("/tmp/tunewarden-%1/").arg(getuid());
  const QByteArray path = QFile::encodeName(folder);
  mkdir(path.constData(), 0700);
  struct stat status;
  if (lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != getuid() ||
      (status.st_mode & 077) != 0)
    return QString();
  return folder;
}

bool RunningCopy::Claim(const CText& title) {
  const QString folder = RuntimeFolder();
  if (folder.isEmpty()) return true;
  const QByteArray path = QFile::encodeName(folder + ToQt(title) + ".lock");
  const int lock = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) return true;
  if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
    const bool taken = errno == EWOULDBLOCK;
    close(lock);
    return !taken;
  }
  Stop();
  lock_ = lock;
  return true;
}

bool RunningCopy::AskEarlierCopy(const CText& title) {
  const QString folder = RuntimeFolder();
  if (folder.isEmpty()) return false;
  const QDeadlineTimer deadline(StartingMilliseconds);
  do {
    QLocalSocket socket;
    socket.connectToServer(SocketPath(folder, title));
    if (socket.waitForConnected(ConnectMilliseconds)) {
      socket.disconnectFromServer();
      return true;
    }
    QThread::msleep(RetryMilliseconds);
  } while (!deadline.hasExpired());
  return false;
}

bool RunningCopy::Listen(const CText& title, std::function<void()> bringToFront) {
  const QString folder = RuntimeFolder();
  if (folder.isEmpty()) return false;
  const QString path = SocketPath(folder, title);
  QLocalServer::removeServer(path);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) {
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

void RunningCopy::Stop() {
  server_.reset();
  if (lock_ >= 0) close(lock_);
  lock_ = -1;
}
