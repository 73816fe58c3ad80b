// loomhall-cli sort|baste|recover|notes|preview [OPTIONS] INPUT... and
// reduce --needles N [OPTIONS] INPUT: the tools menu's commands over files, folders and
// archives, with the options of convert.
#include "cli/commands.h"
#include "cli/tool_run.h"

namespace lh::cli {

namespace {

int runTool(std::string_view name, int commandId, Args args, bool needles = false) {
  ToolOptions options;
  if (!parseToolOptions(name, args, needles, options)) return Usage;
  return runToolCommand(commandId, options);
}

}  // namespace

int runSort(Args args) { return runTool("sort", 32795, args); }
int runBaste(Args args) { return runTool("baste", 32794, args); }
int runRecover(Args args) { return runTool("recover", 32797, args); }
int runNotes(Args args) { return runTool("notes", 32796, args); }
int runPreview(Args args) { return runTool("preview", 32788, args); }
int runReduce(Args args) { return runTool("reduce", 32852, args, true); }

}  // namespace lh::cli
