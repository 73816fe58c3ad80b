#pragma once
// The per-user local message bus. Every program that speaks the plug-in protocol joins it;
// a posted frame reaches every program on the bus, the sender included, in the same order
// for all of them. The first program to join listens on the bus's local socket and passes
// frames on; the others connect to it. docs/plugin-bus.md describes the rules and the wire.
//
// Lives on one thread with an event loop (QCoreApplication is enough); frames arrive
// through frameReceived, never from inside post().
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "plugin/bus/bus_frame.h"

class QLocalServer;
class QLocalSocket;

namespace lh {

class Bus : public QObject {
  Q_OBJECT

 public:
  // Joins the user's bus (defaultSocketPath()).
  explicit Bus(QObject* parent = nullptr);
  // Joins the bus at `socketPath` (tests, or a private bus of a script).
  explicit Bus(QString socketPath, QObject* parent = nullptr);
  // Passes on what is still being written (for up to a couple of seconds), then leaves.
  ~Bus() override;
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  // $LOOMHALL_BUS when set; otherwise "$XDG_RUNTIME_DIR/loomhall-bus", or, without a runtime
  // folder, "<temporary folder>/loomhall-bus-<uid>".
  static QString defaultSocketPath();

  // Posts `frame` to every program on the bus, this one included. Joins the bus first when
  // this program is not on it. False when the frame cannot be encoded or no bus could be
  // joined: the frame is lost, as a post with nobody listening is.
  bool post(const BusFrame& frame);

  // Whether this program is on the bus, and whether it is the one passing frames on.
  bool isJoined() const;
  bool isServing() const { return server_ != nullptr; }
  // While serving: how many other programs are connected.
  int peerCount() const;
  QString socketPath() const { return socketPath_; }

 signals:
  void frameReceived(const lh::BusFrame& frame);

 private:
  struct Peer;

  bool join();
  bool connectToServer(bool& refused);
  bool listen();
  void acceptPeers();
  void readPeer(Peer* peer);
  void dropPeer(Peer* peer);
  void readLink();
  void dropLink();
  void linkLost();
  void passOn(const BusFrame& frame, const std::vector<std::uint8_t>& bytes);
  void deliverHere(const BusFrame& frame);
  void flushAll();

  QString socketPath_;
  QLocalServer* server_ = nullptr;
  std::vector<std::unique_ptr<Peer>> peers_;
  QLocalSocket* link_ = nullptr;
  std::unique_ptr<BusFrameDecoder> linkDecoder_;
};

}  // namespace lh
