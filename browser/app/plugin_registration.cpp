#include "browser/app/plugin_registration.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "plugin/plugin_list.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

#ifdef Q_OS_WIN
constexpr const char* kSequencerFile = "tinctor.exe";
#else
constexpr const char* kSequencerFile = "tinctor";
#endif

}  // namespace

SequencerRegistration registerBundledSequencer(SettingsStore& browserSettings, const QString& programFolder) {
  if (readSetting(browserSettings, kHuetideRegistered) != 0) return SequencerRegistration::AlreadyDone;
  const QFileInfo program(QDir(programFolder).filePath(kSequencerFile));
  if (!program.isFile() || !program.isExecutable()) return SequencerRegistration::NotInstalled;
  QSettings installed(QSettings::NativeFormat, QSettings::UserScope, qs(kPluginOrganisation), qs(kPluginApplication));
  const bool taken = installed.contains(qs(kHuetideName));
  if (!taken) {
    installed.setValue(qs(kHuetideName), program.absoluteFilePath());
    installed.sync();
    // Not written: a later start tries again.
    if (installed.status() != QSettings::NoError) return SequencerRegistration::NotInstalled;
  }
  browserSettings.setInt(kHuetideRegistered.section, kHuetideRegistered.key, 1);
  return taken ? SequencerRegistration::UserEntryKept : SequencerRegistration::Registered;
}

}  // namespace lh
