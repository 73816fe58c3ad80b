#include "platform/plugin_launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <map>

namespace lh {

namespace {

// How long a closing plug-in gets when its launcher goes away.
constexpr int kCloseGraceMs = 3000;

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::unique_ptr<QSettings> pluginSettings() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, qs(kPluginOrganisation),
                                     qs(kPluginApplication));
}

// A stored value as text; a hand-written INI line with commas reads as a list.
std::string valueText(const QVariant& v) {
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QStringLiteral(", ")).toStdString();
  return v.toString().toStdString();
}

// The program as it will be run: a bare name is looked up on the PATH, a path made absolute
// (the process starts in the program's own folder, where a relative path means something else).
QString resolveProgram(const std::string& program) {
  const QString p = QString::fromStdString(program);
  if (!p.contains(QLatin1Char('/'))) {
    const QString found = QStandardPaths::findExecutable(p);
    if (!found.isEmpty()) return found;
  }
  return QFileInfo(p).absoluteFilePath();
}

void prepare(QProcess& process, const std::string& program, const std::string& argument) {
  const QString resolved = resolveProgram(program);
  process.setProgram(resolved);
  process.setArguments({QString::fromStdString(argument)});
  process.setWorkingDirectory(QFileInfo(resolved).absolutePath());
  // A plug-in's chatter must not mix with this program's output; its errors may.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

std::optional<std::int64_t> startDetached(const std::string& program, const std::string& argument) {
  QProcess process;
  prepare(process, program, argument);
  qint64 pid = 0;
  if (!process.startDetached(&pid)) return std::nullopt;
  return pid;
}

}  // namespace

PluginLauncher::PluginLauncher() : owner_(std::make_unique<QObject>()) {}

PluginLauncher::~PluginLauncher() {
  const auto processes = owner_->findChildren<QProcess*>();
  for (QProcess* p : processes) {
    QObject::disconnect(p, nullptr, nullptr, nullptr);
    if (p->state() != QProcess::NotRunning && !p->waitForFinished(kCloseGraceMs)) p->kill();
  }
}

PluginList PluginLauncher::installedPlugins() {
  const auto settings = pluginSettings();
  std::map<std::string, std::string> values;
  for (const QString& key : settings->childKeys()) values[key.toStdString()] = valueText(settings->value(key));
  return PluginList(values);
}

std::string PluginLauncher::settingsLocation() { return pluginSettings()->fileName().toStdString(); }

std::string PluginLauncher::fallbackFolder() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty() || !QDir().mkpath(folder)) return QDir::tempPath().toStdString();
  return folder.toStdString();
}

std::optional<std::int64_t> PluginLauncher::start(const std::string& program, const std::string& argument,
                                                  ExitHandler onExit) {
  if (program.empty()) return std::nullopt;
  if (!onExit) return startDetached(program, argument);
  auto* process = new QProcess(owner_.get());
  prepare(*process, program, argument);
  process->start();
  if (!process->waitForStarted()) {
    delete process;
    return std::nullopt;
  }
  const std::int64_t pid = process->processId();
  QObject::connect(process, &QProcess::finished, process,
                   [process, pid, onExit = std::move(onExit)](int exitCode, QProcess::ExitStatus status) {
                     process->deleteLater();
                     onExit({pid, exitCode, status == QProcess::CrashExit});
                   });
  return pid;
}

std::string PluginLauncher::programFolder(const std::string& program) const {
  return QFileInfo(resolveProgram(program)).absolutePath().toStdString();
}

int PluginLauncher::runningCount() const {
  int n = 0;
  for (const QProcess* p : owner_->findChildren<QProcess*>()) n += p->state() != QProcess::NotRunning ? 1 : 0;
  return n;
}

}  // namespace lh
