// Several programs on one bus, played by several Bus objects in this process, each on a
// socket in the test's own folder so that no test meets another or the user's bus.
#include "plugin/bus/bus.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <cstring>
#include <functional>
#include <memory>

#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

// Everything one program has received, in order.
struct Inbox {
  explicit Inbox(Bus& bus) {
    QObject::connect(&bus, &Bus::frameReceived, &bus,
                     [this](const BusFrame& frame) { frames.push_back(frame); });
  }
  std::vector<BusFrame> frames;
};

bool waitUntil(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(20000);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QThread::msleep(1);
  }
  return true;
}

bool hasFrame(const Inbox& inbox, const BusFrame& frame) {
  return std::find(inbox.frames.begin(), inbox.frames.end(), frame) != inbox.frames.end();
}

class BusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "bus_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }

  // A program joins; it counts as on the bus once its first post has come back to it.
  Bus& join() {
    programs_.push_back(std::make_unique<Bus>(path_));
    Bus& bus = *programs_.back();
    inboxes_.push_back(std::make_unique<Inbox>(bus));
    const BusFrame hello{"LHMessageReceived", 1, static_cast<std::int64_t>(programs_.size()), std::nullopt};
    EXPECT_TRUE(bus.post(hello));
    EXPECT_TRUE(waitUntil([&] { return hasFrame(*inboxes_.back(), hello); }));
    for (auto& inbox : inboxes_) inbox->frames.clear();
    return bus;
  }
  Inbox& inbox(std::size_t program) { return *inboxes_[program]; }
  void leave(std::size_t program) {
    inboxes_[program].reset();
    programs_[program].reset();
  }

  test::TempDir dir_;
  QString path_ = QString::fromStdString(dir_.file("bus"));
  std::vector<std::unique_ptr<Bus>> programs_;
  std::vector<std::unique_ptr<Inbox>> inboxes_;
};

TEST_F(BusTest, EveryProgramReceivesEveryFrameInTheSameOrder) {
  Bus& a = join();
  Bus& b = join();
  Bus& c = join();
  EXPECT_TRUE(a.isServing());
  EXPECT_FALSE(b.isServing() || c.isServing());

  const std::vector<BusFrame> posted = {
      {"LHGetFirst", 1, 11, std::nullopt},
      {"LHCallback", 1, 11, BusBlock{"LHEmbroideryFile", {1, 2, 3}}},
      {"LHMessageReceived", 1, 12, std::nullopt},
  };
  ASSERT_TRUE(b.post(posted[0]));
  ASSERT_TRUE(a.post(posted[1]));
  ASSERT_TRUE(c.post(posted[2]));
  EXPECT_FALSE(a.post(BusFrame{"", 1, 1, std::nullopt}));  // no name: not sent

  ASSERT_TRUE(waitUntil([&] {
    return inbox(0).frames.size() == 3 && inbox(1).frames.size() == 3 && inbox(2).frames.size() == 3;
  }));
  for (const BusFrame& frame : posted) EXPECT_TRUE(hasFrame(inbox(0), frame)) << frame.name;
  EXPECT_EQ(inbox(1).frames, inbox(0).frames);
  EXPECT_EQ(inbox(2).frames, inbox(0).frames);
}

TEST_F(BusTest, LargeBlocksArriveIntact) {
  join();
  join();
  BusFrame frame{"LHRequestSave", 1, 77, BusBlock{"LHEmbroideryFile", {}}};
  frame.block->bytes.resize(5 * 1024 * 1024 + 3);
  for (std::size_t i = 0; i < frame.block->bytes.size(); ++i)
    frame.block->bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);

  for (std::size_t sender : {1u, 0u}) {
    ASSERT_TRUE(programs_[sender]->post(frame));
    ASSERT_TRUE(waitUntil([&] { return inbox(0).frames.size() == 1 && inbox(1).frames.size() == 1; }));
    EXPECT_TRUE(inbox(0).frames[0] == frame && inbox(1).frames[0] == frame) << "sent by " << sender;
    inbox(0).frames.clear();
    inbox(1).frames.clear();
  }
}

TEST_F(BusTest, MalformedBytesDropOnlyTheirConnection) {
  join();
  Bus& b = join();
  const std::vector<QByteArray> faults = {
      QByteArray("GET / HTTP/1.1\r\n\r\n"),
      // A well-formed start announcing a frame of 256 MiB and one byte.
      QByteArray::fromHex("4c4842460100000001000010"),
  };
  for (const QByteArray& fault : faults) {
    QLocalSocket intruder;
    intruder.connectToServer(path_);
    ASSERT_TRUE(intruder.waitForConnected(2000));
    intruder.write(fault);
    ASSERT_TRUE(waitUntil([&] { return intruder.state() == QLocalSocket::UnconnectedState; }))
        << fault.toHex().constData();

    const BusFrame after{"LHCall", 1, 5, std::nullopt};
    ASSERT_TRUE(b.post(after));
    EXPECT_TRUE(waitUntil([&] { return hasFrame(inbox(0), after) && hasFrame(inbox(1), after); }));
  }
}

TEST_F(BusTest, ProgramsCarryOnWhenTheServingOneLeaves) {
  join();
  Bus& b = join();
  Bus& c = join();
  // The server's last frame still reaches the others.
  const BusFrame last{"LHPlugInStop", 0, 0, std::nullopt};
  ASSERT_TRUE(programs_[0]->post(last));
  leave(0);
  ASSERT_TRUE(waitUntil([&] { return hasFrame(inbox(1), last) && hasFrame(inbox(2), last); }));

  ASSERT_TRUE(waitUntil([&] { return b.peerCount() + c.peerCount() == 1; }));
  EXPECT_NE(b.isServing(), c.isServing());
  const BusFrame next{"LHGetFirst", 1, 9, std::nullopt};
  ASSERT_TRUE(c.post(next));
  EXPECT_TRUE(waitUntil([&] { return hasFrame(inbox(1), next) && hasFrame(inbox(2), next); }));
}

TEST_F(BusTest, FrameOfAProgramThatLeavesAtOnceIsDelivered) {
  join();
  join();
  const BusFrame ended{"Plug-in ended", 1, 3, std::nullopt};
  ASSERT_TRUE(programs_[1]->post(ended));
  leave(1);
  EXPECT_TRUE(waitUntil([&] { return hasFrame(inbox(0), ended); }));
}

TEST_F(BusTest, ServerLeavesSafelyRightAfterAPeerLeft) {
  Bus& a = join();
  join();
  leave(1);
  ASSERT_TRUE(waitUntil([&] { return a.peerCount() == 0; }));
  // The peer's socket is deleted, but the event loop has not yet tidied the list: a program
  // whose loop ends now still leaves without touching it.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  leave(0);
}

// A socket file nobody listens on, as a server that crashed leaves it.
void makeStaleSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
}

TEST_F(BusTest, StaleSocketOfACrashedServerIsReplaced) {
  makeStaleSocket(path_.toStdString());
  Bus& a = join();
  Bus& b = join();
  EXPECT_TRUE(a.isServing());
  const BusFrame frame{"LHReqColorArray", 1, 4, std::nullopt};
  ASSERT_TRUE(b.post(frame));
  EXPECT_TRUE(waitUntil([&] { return hasFrame(inbox(0), frame) && hasFrame(inbox(1), frame); }));
}

TEST_F(BusTest, OtherFileAtTheSocketPathIsLeftAlone) {
  dir_.write("bus", {'k', 'e', 'e', 'p'});
  Bus bus(path_);
  EXPECT_FALSE(bus.isJoined());
  EXPECT_FALSE(bus.post(BusFrame{"LHGetFirst", 1, 1, std::nullopt}));
  EXPECT_EQ(dir_.read("bus"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
}

// Restores one environment variable at the end of a test.
class ScopedEnv {
 public:
  explicit ScopedEnv(const char* name)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {}
  ~ScopedEnv() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

TEST(BusPath, ChosenPathThenRuntimeFolderThenTemporaryFolder) {
  const ScopedEnv chosen("LOOMHALL_BUS");
  const ScopedEnv runtime("XDG_RUNTIME_DIR");
  test::TempDir dir;
  const QString folder = QString::fromStdString(dir.path().string());

  qputenv("LOOMHALL_BUS", "/somewhere/bus");
  qputenv("XDG_RUNTIME_DIR", folder.toLocal8Bit());
  EXPECT_EQ(Bus::defaultSocketPath(), "/somewhere/bus");
  qunsetenv("LOOMHALL_BUS");
  EXPECT_EQ(Bus::defaultSocketPath(), folder + "/loomhall-bus");
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(Bus::defaultSocketPath(), QDir::tempPath() + "/loomhall-bus-" + QString::number(::getuid()));
}

}  // namespace
}  // namespace lh
