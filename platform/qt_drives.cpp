#include "platform/qt_drives.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QFileInfo>
#include <QStorageInfo>
#include <QVariantMap>
#include <filesystem>
#include <map>

#include "platform/drive_rules.h"

namespace lh {

namespace {

constexpr char kUDisks[] = "org.freedesktop.UDisks2";
constexpr char kManagerPath[] = "/org/freedesktop/UDisks2/Manager";
constexpr char kManager[] = "org.freedesktop.UDisks2.Manager";
constexpr char kFilesystem[] = "org.freedesktop.UDisks2.Filesystem";
// Setting a label may wait for the user to authenticate in a polkit prompt.
constexpr int kSetLabelTimeoutMs = 120'000;

std::string text(const QString& s) { return s.toStdString(); }

// A failure always comes back with a text, even when the bus gives none.
std::string failureText(const QDBusError& error, const char* fallback) {
  if (!error.message().isEmpty()) return text(error.message());
  if (!error.name().isEmpty()) return text(error.name());
  return fallback;
}

DriveInfo driveFrom(const QStorageInfo& volume, const std::string& sysRoot) {
  DriveInfo d;
  d.root = text(volume.rootPath());
  d.device = volume.device().toStdString();
  d.fileSystem = volume.fileSystemType().toStdString();
  d.label = text(volume.name());
  const bool removable = drive_rules::isRemovableDevice(d.device, sysRoot);
  d.kind = drive_rules::driveKind(d.fileSystem, removable);
  d.ready = volume.isReady();
  d.readOnly = volume.isReadOnly();
  return d;
}

// The UDisks2 block object of `device`: the daemon's own answer when it has ResolveDevice,
// otherwise the path it gives every block device by name.
QString blockObject(const QDBusConnection& bus, const std::string& device) {
  QDBusMessage resolve = QDBusMessage::createMethodCall(kUDisks, kManagerPath, kManager, "ResolveDevice");
  resolve << QVariantMap{{"path", QString::fromStdString(device)}} << QVariantMap{};
  const QDBusReply<QList<QDBusObjectPath>> found = bus.call(resolve);
  if (found.isValid() && !found.value().isEmpty()) return found.value().front().path();
  std::error_code ec;
  const auto resolved = std::filesystem::weakly_canonical(device, ec);
  const std::string name = (ec ? std::filesystem::path(device) : resolved).filename().string();
  return QString::fromStdString(drive_rules::udisksBlockPath(name));
}

}  // namespace

QtDrives::QtDrives(std::string sysRoot, std::string busAddress)
    : sysRoot_(std::move(sysRoot)), busAddress_(std::move(busAddress)) {}

std::vector<DriveInfo> QtDrives::drives() const {
  // Keyed by root: the list comes out ordered, and of two mounts on one folder the later,
  // which hides the earlier, wins.
  std::map<std::string, DriveInfo> byRoot;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid()) continue;
    const std::string root = text(volume.rootPath());
    if (!drive_rules::isUserVolume(root, volume.device().toStdString(),
                                   volume.fileSystemType().toStdString()))
      continue;
    // Bind-mounted single files (a container's /etc/hosts) are not drives.
    if (!QFileInfo(volume.rootPath()).isDir()) continue;
    byRoot[root] = driveFrom(volume, sysRoot_);
  }
  std::vector<DriveInfo> out;
  out.reserve(byRoot.size());
  for (auto& [root, drive] : byRoot) out.push_back(std::move(drive));
  return out;
}

std::string QtDrives::setLabel(const DriveInfo& drive, std::string_view label) {
  if (drive.device.empty() || !drive.device.starts_with('/'))
    return "The drive " + drive.root + " has no disk device whose label could be set.";
  const QString address = QString::fromStdString(busAddress_);
  QDBusConnection bus = address.isEmpty() ? QDBusConnection::systemBus()
                                          : QDBusConnection::connectToBus(address, "lh-drives:" + address);
  if (!bus.isConnected()) return failureText(bus.lastError(), "The system bus is not available.");
  QDBusMessage call =
      QDBusMessage::createMethodCall(kUDisks, blockObject(bus, drive.device), kFilesystem, "SetLabel");
  call << QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())) << QVariantMap{};
  const QDBusMessage reply = bus.call(call, QDBus::Block, kSetLabelTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage) return {};
  return failureText(QDBusError(reply), "The disk name could not be set.");
}

}  // namespace lh
