#pragma once
// What the plug-in commands do: planPluginRun, planSequencer and planCardWriter decide from
// the installed list, the selection and the running state alone; carryOut then enters the
// run, writes the card writer's list and starts the program through a ProcessStarter (the
// programs supply one over QProcess, tests a fake).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "plugin/plugin_list.h"
#include "plugin/plugin_texts.h"
#include "plugin/run_state.h"

namespace lh {

// The argument every plug-in gets: the host's plug-in number.
inline constexpr std::string_view kPluginArgument = "1";
// The newer card writer's list of the selected files, written into its program's folder.
inline constexpr std::string_view kCardWriterListName = "filelist.tmp";

enum class LaunchKind {
  Nothing,  // nothing happens
  Refuse,   // show `refusal`; nothing changes
  Start,    // start `program` with `argument`
};

struct LaunchPlan {
  LaunchKind kind = LaunchKind::Nothing;
  Refusal refusal{};
  std::string program;   // without the leading digit
  std::string argument;  // kPluginArgument, or kCardWriterListName for the newer card writer
  // A plug-in run begins before the start; after a successful start the exchange with the
  // plug-in starts afresh (no current file, no created files, nothing sent).
  bool entersRun = false;
  // The newer card writer: the text of its list file (one selected file a line).
  std::optional<std::string> fileList;
  friend bool operator==(const LaunchPlan&, const LaunchPlan&) = default;
};

// A plug-in command for `entry` (none: the command has no entry) with `selectedCount` listed
// files selected. An entry whose path contains "Cardspan" goes to planCardWriter; an entry
// that runs on its own starts at once; any other needs a selection and an idle state, and is
// refused with "Loomhall Tool In Operation" during a plug-in run, ignored during a tool run.
LaunchPlan planPluginRun(const PluginList& list, const PluginEntry* entry, std::span<const std::string> selected,
                         RunSnapshot run);
// The sequencer command: planPluginRun for list.sequencer(); nothing when there is none.
LaunchPlan planSequencer(const PluginList& list, std::span<const std::string> selected, RunSnapshot run);
// The card writer command: the newer card writer gets the list file, the older one "1"; no
// run is entered; nothing when neither is installed.
LaunchPlan planCardWriter(const PluginList& list, std::span<const std::string> selected);

// The card writer's list: each path followed by "\n". A path holding a line break would read
// as other files, so such paths are left out.
std::string cardWriterListText(std::span<const std::string> paths);

// Writes the list file into `programFolder`, replacing an earlier list in one step; when that
// folder takes no files (a system folder, typically), into `fallbackFolder` instead. Returns
// the argument for the card writer: "filelist.tmp" (it runs in its program's folder), or the
// full path of the fallback file; nothing when neither could be written.
std::optional<std::string> writeCardWriterList(const std::string& programFolder, const std::string& fallbackFolder,
                                               std::string_view text);

// How a started plug-in process ended.
struct ProcessExit {
  std::int64_t pid = 0;
  int exitCode = 0;
  bool crashed = false;
};
using ExitHandler = std::function<void(const ProcessExit&)>;

class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // Starts `program` with the one argument `argument`, working in the program's folder. With
  // `onExit` the process is watched and onExit is called once when it ends; without, it runs
  // detached and may outlive this program. The process id; nothing when it did not start.
  virtual std::optional<std::int64_t> start(const std::string& program, const std::string& argument,
                                            ExitHandler onExit) = 0;
  // The folder of a program as start() resolves it (bare names are looked up on the PATH).
  virtual std::string programFolder(const std::string& program) const = 0;
};

struct LaunchOutcome {
  std::optional<Refusal> message;    // to show; the state is as it was before (or idle)
  std::optional<std::int64_t> pid;   // the started process
  bool beganRun = false;             // a plug-in run began: reset the exchange
  friend bool operator==(const LaunchOutcome&, const LaunchOutcome&) = default;
};

// Carries out `plan`. A run it enters belongs to the started process: when that process
// ends without the run having ended otherwise, the run ends and `runEnded` is told (the
// caller finishes the run as "Plug-in ended" would). A start that fails shows "Tool Not
// Executed" and leaves the state idle; the list file goes to `fallbackFolder` when the
// program's folder takes no files.
LaunchOutcome carryOut(const LaunchPlan& plan, RunState& state, ProcessStarter& starter,
                       const std::string& fallbackFolder, ExitHandler runEnded = {});

}  // namespace lh
