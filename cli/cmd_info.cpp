// loomhall-cli info FILE...: one summary line per design.
#include <cstdio>

#include "cli/commands.h"
#include "cli/design_io.h"
#include "design/measurements.h"

namespace lh::cli {

int runInfo(Args args) {
  if (args.empty()) return usageError("info needs at least one FILE");
  CliCodec cli;
  int status = Ok;
  for (const std::string& path : args) {
    EmbDesign design;
    if (loadOrComplain(cli.codec, design, path) != kLoadOk || !holdsStitches(design)) {
      status = Failed;
      continue;
    }
    std::printf("%s\t%s\t%zu\n", path.c_str(), sizeText(design, false, true).c_str(), design.threads.size());
  }
  return status;
}

}  // namespace lh::cli
