#include "browser/app/plugin_runs.h"

#include <QTimer>
#include <algorithm>

#include "platform/plugin_launcher.h"
#include "plugin/bus/bus.h"
#include "plugin/plugin_host.h"

namespace lh {

PluginRuns::PluginRuns(const FileList& files, SettingsStore& store, RunState& state,
                       std::unique_ptr<ProcessStarter> starter, QObject* parent)
    : QObject(parent), files_(files), store_(store), state_(state), installed_(PluginLauncher::installedPlugins()),
      starter_(starter ? std::move(starter) : std::make_unique<PluginLauncher>()) {
  host_ = std::make_unique<PluginHost>(files_, store_, [this](const BusFrame& frame) {
    if (bus_) bus_->post(frame);
  });
  host_->setSaving(PluginSaving::fromSettings(store_));
  // A plug-in may rename the design it hands back (the sequencer adds "+HT"): a design whose
  // path is not listed came from the file it was last sent.
  host_->setFileCreated([this](const std::string& source, const std::string& created) {
    const auto& items = files_.items();
    const bool listed =
        std::any_of(items.begin(), items.end(), [&](const FileItem& i) { return i.location() == source; });
    created_.emplace_back(listed || host_->currentFile().empty() ? source : host_->currentFile(), created);
  });
  // Queued: the run is finished once the message that ended it has been handled.
  host_->setPluginEnded([this] { QTimer::singleShot(0, this, &PluginRuns::runEnded); });
}

PluginRuns::~PluginRuns() = default;

bool PluginRuns::joinBus() {
  if (bus_) return bus_->isJoined();
  bus_ = std::make_unique<Bus>();
  connect(bus_.get(), &Bus::frameReceived, this, [this](const BusFrame& frame) { host_->handlePluginMessage(frame); });
  return bus_->isJoined();
}

bool PluginRuns::onBus() const { return bus_ && bus_->isJoined(); }

void PluginRuns::post(const PostedMessage& message) {
  if (!joinBus()) return;
  bus_->post(BusFrame{std::string(messageName(message.message)), message.wParam, message.lParam, std::nullopt});
}

std::optional<Refusal> PluginRuns::launch(const LaunchPlan& plan) {
  // A plug-in finds its host on the bus when it starts: the host has to be there first.
  if (plan.kind == LaunchKind::Start) joinBus();
  if (plan.entersRun) {
    host_->setSaving(PluginSaving::fromSettings(store_));
    created_.clear();
  }
  const LaunchOutcome outcome = carryOut(plan, state_, *starter_, PluginLauncher::fallbackFolder(),
                                         [this, ends = plan.entersRun](const ProcessExit&) {
                                           // Only the run's own plug-in ends the run by exiting.
                                           if (ends) emit runEnded();
                                         });
  if (outcome.beganRun) host_->beginRun();
  return outcome.message;
}

std::vector<std::pair<std::string, std::string>> PluginRuns::takeCreated() { return std::exchange(created_, {}); }

void PluginRuns::activated() { host_->activated(); }

}  // namespace lh
