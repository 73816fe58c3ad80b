// loomhall-cli convert [--to TYPE] [OPTIONS] INPUT...: converts designs through the tool
// runner: hoop fitting, splitting, never-overwriting names, files saved in input order
// whatever the number of jobs.
#include "cli/commands.h"
#include "cli/tool_run.h"

namespace lh::cli {

int runConvert(Args args) {
  ToolOptions options;
  if (!parseToolOptions("convert", args, false, options)) return Usage;
  return runOverInputs(convertCommandFor(options.to), options);
}

}  // namespace lh::cli
