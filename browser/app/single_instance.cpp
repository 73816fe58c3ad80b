#include "browser/app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace lh {
namespace {

// A request is this line followed by the path to open, up to the end of the stream.
const QByteArray kRequestHeader = "LOOMHALL\n";
constexpr int kConnectAttempts = 20;  // the running copy may still be starting
constexpr int kConnectWaitMs = 250;
constexpr int kWriteWaitMs = 2000;

}  // namespace

QString SingleInstance::defaultSocketPath() {
  // $XDG_RUNTIME_DIR, else a private folder Qt makes for the user (mode 0700, checked owner).
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (!runtime.isEmpty()) return runtime + QStringLiteral("/loomhall-browser");
#ifdef Q_OS_UNIX
  const QString user = QString::number(::getuid());
#else
  const QString user = qEnvironmentVariable("USERNAME");
#endif
  return QDir::tempPath() + QStringLiteral("/loomhall-browser-") + user;
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), lock_(socketPath_ + QStringLiteral(".lock")) {
  lock_.setStaleLockTime(0);  // stale only when its process is gone
}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) server_->close();
}

SingleInstance::Claim SingleInstance::claim(const QString& path) {
  if (lock_.tryLock(0)) {
    listen();
    return Claim::First;
  }
  if (lock_.error() != QLockFile::LockFailedError) return Claim::Unreachable;  // no runtime folder to lock in
  return handOver(path) ? Claim::Handed : Claim::Unreachable;
}

void SingleInstance::listen() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(socketPath_);  // left behind by a copy that crashed; we hold the lock
  if (!server_->listen(socketPath_)) return;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      // The request is complete when the other start hangs up.
      const auto finish = [this, socket] {
        const QByteArray request = socket->readAll();
        socket->deleteLater();
        if (request.startsWith(kRequestHeader))
          emit raiseRequested(QString::fromUtf8(request.mid(kRequestHeader.size())));
      };
      if (socket->state() == QLocalSocket::UnconnectedState) {
        finish();
      } else {
        connect(socket, &QLocalSocket::disconnected, this, finish);
      }
    }
  });
}

bool SingleInstance::handOver(const QString& path) const {
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectWaitMs)) {
      QThread::msleep(kConnectWaitMs);
      continue;
    }
    socket.write(kRequestHeader + path.toUtf8());
    if (!socket.waitForBytesWritten(kWriteWaitMs) && socket.bytesToWrite() > 0) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kWriteWaitMs);
    return true;
  }
  return false;
}

}  // namespace lh
