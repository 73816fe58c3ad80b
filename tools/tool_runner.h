#pragma once
// The tool runner: applies a tool or conversion command to an ordered list of designs,
// writes the results through the conversion and builds the report.
#include <atomic>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/emb_design.h"
#include "design/settings.h"
#include "formats/design_codec.h"
#include "tools/auto_baste.h"
#include "tools/conversion.h"

namespace lh {

enum class Tool { Conversion, ColorSort, AutoBaste, Notes, Preview, ReduceNeedles, RecoverPes };

// The commands of the tools menu and its "Convert to" submenu, in menu order.
enum class ToolCommandId {
  ConvertToPes,
  ConvertToSew,
  ConvertToJef,
  ConvertToHus,
  ConvertToPcs,
  ConvertToDst,
  ConvertToXxx,
  ConvertToExp,
  ConvertToVip,
  ConvertToVp3,
  ConvertToToolFormat,  // "Convert to On-The-Fly Setting"
  ColorSort,
  AutoBaste,
  DesignNotes,
  PreviewBitmap,
  ReduceColors,
  RecoverPes,
};

// One command and what the menus need of it.
struct ToolCommand {
  ToolCommandId id;
  int menuId;                 // the menu command id
  std::string_view menuText;
  Tool tool;
  int target;                 // FormatCode, or -1 for the tool format
  std::string_view suffix;    // added to the file title
};

// Every command, in menu order.
std::span<const ToolCommand> toolCommands();
// The command named `id`; every id has one.
const ToolCommand& toolCommand(ToolCommandId id);
// The command a menu id stands for; nothing for other ids (Stop among them).
const ToolCommand* findToolCommand(int menuId);
// The "Convert to" command that writes `target`; nothing when no command writes it.
std::optional<ToolCommandId> conversionTo(int target);
inline constexpr int kStopCommand = 32809;

// Run settings from section "Settings" and "Workspace", plus everything the tools read.
struct RunSettings {
  bool toolsReport = true;  // "Tools report"
  bool workspace = false;   // put the new designs into `directory` (and write them always)
  std::string directory;
  bool force = false;       // write every design, also when its format does not change
  bool skipExisting = false;  // leave a design alone when the first name it would get exists
  int sortThreshold = 5;
  BasteSettings baste;

  // The stored values; "workspace" (default 1) and "directory" as stored.
  static RunSettings fromSettings(const SettingsStore& store);
};

// What became of one design of a run.
enum class DesignResult {
  Written,    // its files were saved
  Unchanged,  // nothing to write (its format does not change, or the tool found nothing to do)
  Skipped,    // skipExisting: its output exists
  Failed,     // not loaded, refused by the tool, too big, not convertible or not saved
};
struct DesignOutcome {
  std::string source;  // the item as given
  DesignResult result = DesignResult::Unchanged;
  LoadResult loadResult = LoadResult::Ok;  // why it did not load, when it did not
  ConversionStatus conversion = ConversionStatus::Unchanged;  // how its conversion ended
  ConversionFailure failure;             // why, when its conversion failed
  std::vector<std::string> files;        // created, in order (more than one: it was split)
  HoopFit fit;                           // what hoop fitting did to it
  std::string existing;                  // Skipped: the output that exists
};

// What the caller takes part in. `load` and `reduce` are steps of a design's processing: what
// they throw fails that design only. The other callbacks are the caller's own: what they throw
// ends the run and reaches the caller of runTool once every thread of the run has finished.
struct RunCallbacks {
  // Asked before each design; a design that has begun is always finished. Never called with
  // the runner's lock held; with several jobs it may be called from several threads at once.
  std::function<bool()> stopRequested;
  // A file was created from a source item (called in input order).
  std::function<void(const std::string& source, const std::string& created)> fileCreated;
  // Status text: the item being handled.
  std::function<void(std::string_view)> status;
  // Loads `item` into `design` in place of DesignCodec::loadDesign, returning its result (a
  // caller that holds the design already). Runs on the thread preparing the design: with
  // several jobs, on several threads at once.
  std::function<LoadResult(DesignCodec& codec, EmbDesign& design, const std::string& item)> load;
  // Needle reduction: asked with the first design; true when it was reduced (the design is
  // then written), false to end the run at once (Cancel, or OK without a change).
  std::function<bool(EmbDesign&)> reduce;
  // A design could not be loaded (the loadDesign result), in input order.
  std::function<void(const std::string& item, LoadResult result)> loadFailed;
  // Per-design codec messages (writers' message boxes), in input order.
  std::function<void(std::string_view text, std::string_view caption)> message;
  // A loaded design whose conversion failed: the status of its report line and why, in
  // input order.
  std::function<void(const std::string& item, ConversionStatus status, const ConversionFailure& why)> conversionFailed;
  // What the report does not say about a design (it was read as another format than its
  // name says; recovery found nothing to mend and wrote nothing), in input order.
  std::function<void(const std::string& item, std::string_view note)> note;
  // Every design handled, in input order, after its files were created and its messages
  // passed on.
  std::function<void(const DesignOutcome&)> designDone;
};

struct RunResult {
  std::string report;              // as the "Report" dialog shows it (CR LF lines)
  std::vector<std::string> created;
  std::vector<std::string> origins;  // the source item of each created file
  int processed = 0;
  int failed = 0;  // designs that failed to load, were refused, could not be converted or saved
  bool halted = false;
  std::size_t haltedAt = 0;    // after a halt: the first design in input order not handled
  std::size_t notHandled = 0;  // after a halt: how many designs were not handled
  bool flushed = true;         // false when the new files could not all be flushed to disk
  bool nothingToDo = false;    // no design among the items ("Please select a design to work on.")
};

// Runs `command` over `items` (plain paths or "Zip:" member paths, in order). Designs are
// prepared by up to `jobs` threads and saved one after the other in input order, so the
// files, their names and the report are the same for any number of jobs. With one job
// everything runs on the caller's thread and loads write to `settings` (the crash guard);
// with more, the threads only read `settings` (which must allow concurrent reads, as
// MemorySettings does), take the largest designs first, and ask stopRequested before each
// design they start; after a stop every design already prepared is saved, in input order.
// The new plain files are flushed to disk once at the end of the run (one flush per file
// system), not one by one.
// A design whose processing throws is reported as not converted ("<item> could not be
// converted.") and the run goes on.
RunResult runTool(ToolCommandId command, std::span<const std::string> items, SettingsStore& settings,
                  const RunSettings& run, const RunCallbacks& callbacks, int jobs = 1);

// The report's heading: "Preferred file type: XXX\r\n" (the tool format for target -1),
// "Keeping same file types.\r\n" when "Tools keep" is set and the target is -1.
std::string reportHeading(int target, const ToolFormat& tools);
// The heading of the report of files a plug-in run created.
inline constexpr std::string_view kPluginReportHeading = "Loomhall Tools keep same file types.\r\n";
// "1 file was created.\r\n", "n files were created.\r\n".
std::string createdFilesLine(std::size_t n);

// A text document or bitmap listed beside the designs (by its extension): no tool works on it.
bool isCompanionFile(std::string_view path);

}  // namespace lh
