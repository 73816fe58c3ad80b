// loomhall-cli info FILE...: one summary line per design.
#include <cstdio>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/design_io.h"
#include "design/measurements.h"

namespace lh::cli {

int runInfo(Args args) {
  std::vector<std::string> files;
  CommandLine line("info", "Prints one line per design: path, size and stitch count, colour count.");
  line.app.add_option("FILE", files, "design files or \"Zip:ARCHIVE:MEMBER\" paths")->required();
  if (const auto status = line.parse(args)) return *status;
  CliCodec cli;
  int status = Ok;
  for (const std::string& path : files) {
    EmbDesign design;
    if (loadOrComplain(cli.codec, design, path) != LoadResult::Ok || !holdsStitches(design)) {
      status = Failed;
      continue;
    }
    std::printf("%s\t%s\t%zu\n", path.c_str(), sizeText(design, false, true).c_str(), design.threads.size());
  }
  return status;
}

}  // namespace lh::cli
