// loomhall-cli convert [--to TYPE] [OPTIONS] INPUT...: converts designs through the tool
// runner: hoop fitting, splitting, never-overwriting names, files saved in input order
// whatever the number of jobs.
#include "cli/commands.h"
#include "cli/tool_run.h"

namespace lh::cli {

int runConvert(Args args) {
  ToolOptions options;
  if (const auto status = parseToolOptions(
          "convert", "Converts designs, turned, shrunk or split to fit the format's largest hoop and limits.", args,
          false, options))
    return *status;
  return runOverInputs(convertCommandFor(options.to), options);
}

}  // namespace lh::cli
