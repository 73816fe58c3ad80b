// The label call followed to UDisks2 and back: a private bus with a stand-in daemon on it, so
// no disk of this machine is touched.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <mutex>

#include "platform/qt_drives.h"

namespace lh {
namespace {

constexpr char kRoot[] = "/org/freedesktop/UDisks2";
constexpr char kBlock[] = "/org/freedesktop/UDisks2/block_devices/";

// Answers ResolveDevice (unless it plays an older daemon without it) and SetLabel, and keeps
// what it was asked.
class FakeUDisks final : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
    std::lock_guard lock(mutex);
    if (m.member() == "ResolveDevice" && resolves) {
      resolved = qdbus_cast<QVariantMap>(m.arguments().at(0)).value("path").toString();
      bus.send(m.createReply(
          QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(QString(kBlock) + "sdz1")})));
    } else if (m.member() == "SetLabel" && m.interface() == "org.freedesktop.UDisks2.Filesystem") {
      labelledObject = m.path();
      label = m.arguments().at(0).toString();
      options = qdbus_cast<QVariantMap>(m.arguments().at(1));
      bus.send(refusal.isEmpty()
                   ? m.createReply()
                   : m.createErrorReply("org.freedesktop.UDisks2.Error.NotAuthorized", refusal));
    } else {
      bus.send(m.createErrorReply(QDBusError::UnknownMethod, "No such method " + m.member()));
    }
    return true;
  }

  std::mutex mutex;
  bool resolves = true;
  QString refusal;
  QString resolved, labelledObject, label;
  QVariantMap options{{"unset", true}};
};

class UDisksLabel : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
    bus_.start(daemon, {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(bus_.waitForReadyRead(10'000));
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    QDBusConnection server = QDBusConnection::connectToBus(address_, "fake-udisks");
    ASSERT_TRUE(server.isConnected()) << server.lastError().message().toStdString();
    ASSERT_TRUE(server.registerVirtualObject(kRoot, &daemon_, QDBusConnection::SubPath));
    // Calls to the stand-in are delivered in its own thread, which must run an event loop
    // while the test waits for its answer.
    daemon_.moveToThread(&thread_);
    thread_.start();
    ASSERT_TRUE(server.registerService("org.freedesktop.UDisks2"));
  }
  void TearDown() override {
    QDBusConnection("fake-udisks").unregisterObject(kRoot, QDBusConnection::UnregisterTree);
    QDBusConnection::disconnectFromBus("fake-udisks");
    QDBusConnection::disconnectFromBus("lh-drives:" + address_);
    thread_.quit();
    thread_.wait();
    bus_.kill();
    bus_.waitForFinished();
  }

  std::string setLabel(const std::string& device, std::string_view label) {
    DriveInfo stick;
    stick.root = "/media/ann/STICK";
    stick.device = device;
    stick.fileSystem = "vfat";
    stick.kind = DriveKind::Removable;
    return QtDrives("/sys", address_.toStdString()).setLabel(stick, label);
  }

  static void SetUpTestSuite() { qDBusRegisterMetaType<QList<QDBusObjectPath>>(); }
  static inline int argc_ = 1;
  static inline char name_[] = "platform_tests";
  static inline char* argv_[] = {name_, nullptr};
  QCoreApplication app_{argc_, argv_};
  QProcess bus_;
  QString address_;
  QThread thread_;
  FakeUDisks daemon_;
};

TEST_F(UDisksLabel, TheLabelGoesToTheBlockObjectTheDaemonNames) {
  EXPECT_EQ(setLabel("/dev/sdz1", "DESIGNS"), "");
  std::lock_guard lock(daemon_.mutex);
  EXPECT_EQ(daemon_.resolved, "/dev/sdz1");
  EXPECT_EQ(daemon_.labelledObject, QString(kBlock) + "sdz1");
  EXPECT_EQ(daemon_.label, "DESIGNS");
  EXPECT_TRUE(daemon_.options.isEmpty());
}

TEST_F(UDisksLabel, AnOlderDaemonIsReachedByTheDeviceName) {
  daemon_.resolves = false;
  EXPECT_EQ(setLabel("/dev/lh-test-9", "BÄNDER"), "");
  std::lock_guard lock(daemon_.mutex);
  EXPECT_EQ(daemon_.labelledObject, QString(kBlock) + "lh_2dtest_2d9");
  EXPECT_EQ(daemon_.label, "BÄNDER");
}

TEST_F(UDisksLabel, TheDaemonsRefusalIsTheText) {
  daemon_.refusal = "Not authorized to perform operation";
  EXPECT_EQ(setLabel("/dev/sdz1", "DESIGNS"), "Not authorized to perform operation");
}

}  // namespace
}  // namespace lh
