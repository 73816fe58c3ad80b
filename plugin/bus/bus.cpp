#include "plugin/bus/bus.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lh {
namespace {

// How long joining may wait for the election lock, and for a connection to the server.
constexpr int kLockWaitMs = 5000;
constexpr int kConnectWaitMs = 2000;
// How long a leaving program waits for its frames to be written.
constexpr int kFlushWaitMs = 2000;
// A peer that lets this much pile up unread is cut off rather than fill the server's memory.
constexpr qint64 kMaxBacklog = 4 * static_cast<qint64>(kBusMaxFrameSize);

QByteArray toByteArray(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

std::span<const std::uint8_t> toSpan(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// Whether the path holds something this program must not use: a file that is not a socket
// (never removed or replaced, as QLocalServer would), or a socket of another user, who could
// otherwise read this user's frames.
bool pathIsForeign(const QString& path) {
#ifdef Q_OS_UNIX
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
  return !S_ISSOCK(info.st_mode) || info.st_uid != ::getuid();
#else
  Q_UNUSED(path);
  return false;
#endif
}

void flushSocket(QLocalSocket* socket, const QDeadlineTimer& deadline) {
  while (socket->state() == QLocalSocket::ConnectedState && socket->bytesToWrite() > 0 &&
         !deadline.hasExpired()) {
    if (!socket->waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) break;
  }
}

}  // namespace

struct Bus::Peer {
  QLocalSocket* socket = nullptr;
  BusFrameDecoder decoder;
  bool dropped = false;
};

Bus::Bus(QObject* parent) : Bus(defaultSocketPath(), parent) {}

Bus::Bus(QString socketPath, QObject* parent) : QObject(parent), socketPath_(std::move(socketPath)) {
  join();
}

Bus::~Bus() {
  // The socket file goes first, so that the others find no server and elect a new one.
  if (server_) server_->close();
  flushAll();
  for (const auto& peer : peers_) {
    if (peer->dropped) continue;  // its socket may be gone already (deleteLater)
    peer->socket->disconnect();
    peer->socket->abort();
  }
  if (link_) {
    link_->disconnect();
    link_->abort();
  }
}

QString Bus::defaultSocketPath() {
  const QString chosen = qEnvironmentVariable("LOOMHALL_BUS");
  if (!chosen.isEmpty()) return chosen;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime + QStringLiteral("/loomhall-bus");
#ifdef Q_OS_UNIX
  const QString user = QString::number(::getuid());
#else
  const QString user = qEnvironmentVariable("USERNAME");
#endif
  return QDir::tempPath() + QStringLiteral("/loomhall-bus-") + user;
}

bool Bus::post(const BusFrame& frame) {
  const auto bytes = encodeBusFrame(frame);
  if (!bytes || !join()) return false;
  if (server_) {
    passOn(frame, *bytes);
  } else {
    link_->write(toByteArray(*bytes));
    link_->flush();
  }
  return true;
}

bool Bus::isJoined() const {
  return server_ != nullptr || (link_ != nullptr && link_->state() == QLocalSocket::ConnectedState);
}

int Bus::peerCount() const {
  return static_cast<int>(
      std::count_if(peers_.begin(), peers_.end(), [](const auto& p) { return !p->dropped; }));
}

// Connects to the program serving the bus, or becomes that program. The lock beside the
// socket keeps two programs from electing themselves at once, and from removing each
// other's fresh socket as a stale one.
bool Bus::join() {
  if (isJoined()) return true;
  if (link_) dropLink();
  QLockFile election(socketPath_ + QStringLiteral(".lock"));
  if (pathIsForeign(socketPath_) || !election.tryLock(kLockWaitMs)) return false;
  bool refused = false;
  if (connectToServer(refused)) return true;
  // Refused: a server that crashed left its socket behind.
  if (refused) QLocalServer::removeServer(socketPath_);
  return listen();
}

bool Bus::connectToServer(bool& refused) {
  auto* socket = new QLocalSocket(this);
  socket->connectToServer(socketPath_);
  if (!socket->waitForConnected(kConnectWaitMs)) {
    refused = socket->error() == QLocalSocket::ConnectionRefusedError;
    delete socket;
    return false;
  }
  link_ = socket;
  linkDecoder_ = std::make_unique<BusFrameDecoder>();
  connect(link_, &QLocalSocket::readyRead, this, &Bus::readLink);
  connect(link_, &QLocalSocket::disconnected, this, &Bus::linkLost);
  return true;
}

bool Bus::listen() {
  auto* server = new QLocalServer(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(socketPath_)) {
    delete server;
    return false;
  }
  server_ = server;
  connect(server_, &QLocalServer::newConnection, this, &Bus::acceptPeers);
  return true;
}

void Bus::acceptPeers() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    auto peer = std::make_unique<Peer>();
    peer->socket = socket;
    Peer* raw = peer.get();
    peers_.push_back(std::move(peer));
    connect(socket, &QLocalSocket::readyRead, this, [this, raw] { readPeer(raw); });
    connect(socket, &QLocalSocket::disconnected, this, [this, raw] {
      readPeer(raw);  // what the peer wrote just before it left still counts
      dropPeer(raw);
    });
    if (socket->bytesAvailable() > 0) readPeer(raw);
  }
}

void Bus::readPeer(Peer* peer) {
  if (peer->dropped || !peer->socket->isOpen()) return;
  peer->decoder.feed(toSpan(peer->socket->readAll()));
  BusFrame frame;
  while (!peer->dropped) {
    const BusDecode result = peer->decoder.next(frame);
    if (result == BusDecode::NeedMore) return;
    if (result == BusDecode::Malformed) {
      dropPeer(peer);
      return;
    }
    passOn(frame, *encodeBusFrame(frame));
  }
}

// Safe to call from inside the peer's own signals and while passing a frame on: the peer
// is only marked here and removed from the list later.
void Bus::dropPeer(Peer* peer) {
  if (peer->dropped) return;
  peer->dropped = true;
  peer->socket->disconnect();
  peer->socket->abort();
  peer->socket->deleteLater();
  QMetaObject::invokeMethod(
      this, [this] { std::erase_if(peers_, [](const auto& p) { return p->dropped; }); },
      Qt::QueuedConnection);
}

void Bus::readLink() {
  if (!link_ || !link_->isOpen()) return;
  linkDecoder_->feed(toSpan(link_->readAll()));
  BusFrame frame;
  while (link_) {
    const BusDecode result = linkDecoder_->next(frame);
    if (result == BusDecode::NeedMore) return;
    if (result == BusDecode::Malformed) {
      // Not a bus server worth talking to; the next post tries again.
      dropLink();
      return;
    }
    emit frameReceived(frame);
  }
}

void Bus::dropLink() {
  link_->disconnect();
  link_->abort();
  link_->deleteLater();
  link_ = nullptr;
  linkDecoder_.reset();
}

// The serving program left (or crashed): rejoin at once, so that frames posted by the
// others are not missed; one of the programs left becomes the new server.
void Bus::linkLost() {
  readLink();
  if (link_) dropLink();
  QTimer::singleShot(0, this, [this] { join(); });
}

void Bus::passOn(const BusFrame& frame, const std::vector<std::uint8_t>& bytes) {
  const QByteArray wire = toByteArray(bytes);
  for (const auto& peer : peers_) {
    if (peer->dropped) continue;
    peer->socket->write(wire);
    if (peer->socket->bytesToWrite() > kMaxBacklog) dropPeer(peer.get());
  }
  deliverHere(frame);
}

// The serving program receives its own and everyone's frames from the event loop, in the
// order it passes them on, like every other program on the bus.
void Bus::deliverHere(const BusFrame& frame) {
  QMetaObject::invokeMethod(
      this, [this, frame] { emit frameReceived(frame); }, Qt::QueuedConnection);
}

void Bus::flushAll() {
  const QDeadlineTimer deadline(kFlushWaitMs);
  for (const auto& peer : peers_) {
    if (!peer->dropped) flushSocket(peer->socket, deadline);
  }
  if (link_) flushSocket(link_, deadline);
}

}  // namespace lh
