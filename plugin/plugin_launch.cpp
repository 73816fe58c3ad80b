#include "plugin/plugin_launch.h"

#include <filesystem>

#include "files/save_file.h"

namespace lh {

namespace {

LaunchPlan refuse(const Refusal& r) { return {LaunchKind::Refuse, r, {}, {}, false, std::nullopt}; }

LaunchPlan start(std::string program, std::string_view argument, bool entersRun) {
  return {LaunchKind::Start, {}, std::move(program), std::string(argument), entersRun, std::nullopt};
}

// What an active run says to a further plug-in start: a plug-in run refuses with a message,
// a tool run silently (its runner reports for itself).
LaunchPlan busy(RunSnapshot run) { return run.pluginRunning ? refuse(kToolInOperation) : LaunchPlan{}; }

// The outcome of a plan that starts nothing: its message, if any.
LaunchOutcome shown(const LaunchPlan& plan) {
  if (plan.kind != LaunchKind::Refuse) return {};
  return {plan.refusal, std::nullopt, false};
}

std::optional<std::string> writeListIn(const std::string& folder, std::string_view text) {
  const std::string target = (std::filesystem::path(folder) / kCardWriterListName).string();
  std::optional<StagedFile> staged = StagedFile::create(target);
  if (!staged) return std::nullopt;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!staged->write({bytes, text.size()}) || !staged->replace(target)) return std::nullopt;
  return target;
}

}  // namespace

LaunchPlan planPluginRun(const PluginList& list, const PluginEntry* entry, std::span<const std::string> selected,
                         RunSnapshot run) {
  if (entry == nullptr) return {};
  if (entry->value.find(kCardWriterProgramMark) != std::string::npos) return planCardWriter(list, selected);
  if (entry->runsOnItsOwn()) return start(entry->program(), kPluginArgument, false);
  if (selected.empty()) return refuse(kNoFileSelected);
  if (run.toolRunning) return busy(run);
  return start(entry->program(), kPluginArgument, true);
}

LaunchPlan planSequencer(const PluginList& list, std::span<const std::string> selected, RunSnapshot run) {
  return planPluginRun(list, list.sequencer(), selected, run);
}

LaunchPlan planCardWriter(const PluginList& list, std::span<const std::string> selected) {
  const PluginEntry* writer = list.cardWriter();
  if (writer == nullptr) return {};
  if (!list.hasNewerCardWriter()) return start(writer->program(), kPluginArgument, false);
  LaunchPlan plan = start(writer->program(), kCardWriterListName, false);
  plan.fileList = cardWriterListText(selected);
  return plan;
}

std::string cardWriterListText(std::span<const std::string> paths) {
  std::string text;
  for (const std::string& path : paths) {
    if (path.find_first_of("\r\n") != std::string::npos) continue;
    text += path;
    text += '\n';
  }
  return text;
}

std::optional<std::string> writeCardWriterList(const std::string& programFolder, const std::string& fallbackFolder,
                                               std::string_view text) {
  if (writeListIn(programFolder, text)) return std::string(kCardWriterListName);
  if (fallbackFolder.empty()) return std::nullopt;
  return writeListIn(fallbackFolder, text);
}

LaunchOutcome carryOut(const LaunchPlan& plan, RunState& state, ProcessStarter& starter,
                       const std::string& fallbackFolder, ExitHandler runEnded) {
  if (plan.kind != LaunchKind::Start) return shown(plan);
  std::string argument = plan.argument;
  if (plan.fileList) {
    const auto written = writeCardWriterList(starter.programFolder(plan.program), fallbackFolder, *plan.fileList);
    if (!written) return {kToolNotExecuted, std::nullopt, false};
    argument = *written;
  }
  if (!plan.entersRun) {
    const auto pid = starter.start(plan.program, argument, {});
    if (!pid) return {kToolNotExecuted, std::nullopt, false};
    return {std::nullopt, pid, false};
  }
  // Another run may have begun since the plan was made.
  if (state.beginPluginRun()) return shown(busy(state.snapshot()));
  const auto pid = starter.start(plan.program, argument, [&state, runEnded](const ProcessExit& exit) {
    if (state.processEnded(exit.pid) && runEnded) runEnded(exit);
  });
  if (!pid) {
    state.endRun();
    return {kToolNotExecuted, std::nullopt, false};
  }
  state.attachProcess(*pid);
  return {std::nullopt, pid, true};
}

}  // namespace lh
