// loomhall-cli sort|baste|recover|notes|preview [OPTIONS] INPUT... and
// reduce --needles N [OPTIONS] INPUT: the tools menu's commands over files, folders and
// archives, with the options of convert.
#include "cli/commands.h"
#include "cli/tool_run.h"

namespace lh::cli {

namespace {

int parseAndRun(std::string_view name, ToolCommandId command, Args args, bool needles = false) {
  ToolOptions options;
  if (const auto status = parseToolOptions(name, toolCommand(command).menuText, args, needles, options))
    return *status;
  return runOverInputs(command, options);
}

}  // namespace

int runSort(Args args) { return parseAndRun("sort", ToolCommandId::ColorSort, args); }
int runBaste(Args args) { return parseAndRun("baste", ToolCommandId::AutoBaste, args); }
int runRecover(Args args) { return parseAndRun("recover", ToolCommandId::RecoverPes, args); }
int runNotes(Args args) { return parseAndRun("notes", ToolCommandId::DesignNotes, args); }
int runPreview(Args args) { return parseAndRun("preview", ToolCommandId::PreviewBitmap, args); }
int runReduce(Args args) { return parseAndRun("reduce", ToolCommandId::ReduceColors, args, true); }

}  // namespace lh::cli
