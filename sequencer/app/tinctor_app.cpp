#include "sequencer/app/tinctor_app.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#include "browser/core/file_list.h"
#include "catalog/cataloguing.h"
#include "catalog/file_item.h"
#include "plugin/bus/bus.h"
#include "plugin/plugin_host.h"
#include "sequencer/sequencer_keys.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

// The browser version the inside host stands for: it answers with the thread charts.
constexpr int kInsideHostVersion = 258;

}  // namespace

TinctorApp::TinctorApp(const SettingsStore& browserSettings, SettingsStore& settings, TinctorPrompts& prompts)
    : browserSettings_(browserSettings), settings_(settings), prompts_(prompts) {}

TinctorApp::~TinctorApp() = default;

void TinctorApp::build(const SettingsStore& browserSettings) {
  session_ = std::make_unique<SequencerSession>(browserSettings, settings_, *this);
  window_ = std::make_unique<TinctorWindow>(*session_, settings_, prompts_);
  connect(window_.get(), &TinctorWindow::closed, this, [this] {
    session_->end();
    emit finished();
  });
}

bool TinctorApp::joinBrowser(const QString& socketPath) {
  auto bus = socketPath.isEmpty() ? std::make_unique<Bus>() : std::make_unique<Bus>(socketPath);
  // Serving the bus ourselves means nobody else is on it.
  if (!bus->isJoined() || bus->isServing()) return false;
  bus_ = std::move(bus);
  build(browserSettings_);
  connect(bus_.get(), &Bus::frameReceived, this, [this](const BusFrame& frame) { deliver(frame); });
  return true;
}

void TinctorApp::openDirectly(const std::vector<std::string>& files) {
  files_ = std::make_unique<FileList>();
  for (const std::string& path : files) {
    // The host hands designs out under absolute paths, and the results are saved beside them.
    FileItem item = parseItemText(absoluteLocation(path));
    item.isSelected = true;
    files_->append(std::move(item));
  }
  // Designs are saved in their own format, beside the file they came from.
  hostSettings_.setInt(kToolsKeep.section, kToolsKeep.key, 1);
  hostSettings_.setInt("Workspace", "workspace", 0);
  standaloneBrowser_.setInt(kHostVersionSection, kHostVersionKey, kInsideHostVersion);
  build(standaloneBrowser_);
  host_ = std::make_unique<PluginHost>(*files_, hostSettings_, [this](const BusFrame& frame) {
    local_.push_back(frame);
    QTimer::singleShot(0, this, [this] { pumpLocal(); });
  });
  host_->setSaving(PluginSaving::fromSettings(hostSettings_));
  host_->setFileCreated([this](const std::string&, const std::string& created) {
    saved_.push_back(created);
    window_->showMessage("Saved as " + QString::fromStdString(created));
  });
  host_->beginRun();
}

void TinctorApp::start(const std::string& commandLine, std::int64_t token) {
  session_->start(commandLine, token);
  window_->showMaximized();
  if (const std::optional<ScreenRect> chooser = session_->windowReady()) window_->placeChooser(*chooser);
}

void TinctorApp::post(const PostedMessage& message, std::optional<ByteSpan> block) {
  BusFrame frame{std::string(messageName(message.message)), message.wParam, message.lParam, std::nullopt};
  if (block) frame.block = BusBlock{std::string(kDesignBlockFormat), std::vector<std::uint8_t>(block->begin(), block->end())};
  if (bus_) {
    bus_->post(frame);
    return;
  }
  if (!host_) return;
  // Every program on a bus hears every frame, the sender too: so does the inside host's.
  local_.push_back(std::move(frame));
  QTimer::singleShot(0, this, [this] { pumpLocal(); });
}

void TinctorApp::pumpLocal() {
  if (pumping_) return;
  pumping_ = true;
  while (!local_.empty()) {
    const BusFrame frame = std::move(local_.front());
    local_.pop_front();
    host_->handlePluginMessage(frame);
    if (host_->saveFailures() > failures_) {
      failures_ = host_->saveFailures();
      prompts_.notice(window_.get(), {host_->runReport(), "Loomhall Huetide"});
    }
    deliver(frame);
  }
  pumping_ = false;
}

void TinctorApp::deliver(const BusFrame& frame) {
  if (!session_) return;
  const std::optional<ByteSpan> block =
      frame.block ? std::optional<ByteSpan>(ByteSpan(frame.block->bytes)) : std::nullopt;
  window_->apply(session_->handleMessage(frame.name, frame.wParam, frame.lParam, block), true);
}

std::unique_ptr<QLockFile> holdSingleInstance() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  auto lock = std::make_unique<QLockFile>(folder + "/LHSequencer.lock");
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return nullptr;
  return lock;
}

}  // namespace lh
