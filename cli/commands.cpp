#include "cli/commands.h"

#include <array>
#include <cstdio>

namespace lh::cli {

// Each command lives in its own cmd_*.cpp file and is listed here.

std::span<const Command> commands() {
  static const Command table[] = {
      {"charts", "[NAME]  list the built-in thread charts, or print one as CSV", runCharts},
      {"match", "#RRGGBB  nearest PEC, Janome and Husqvarna colours and brand threads", runMatch},
      {"info", "FILE...  size, stitch count and colour count of each design", runInfo},
      {"dump", "--json FILE  the loaded design as JSON (records, threads, bounds)", runDump},
      {"render", "[--size N] [--3d] [--jumps] [--background #RRGGBB] FILE OUT.bmp|OUT.png  draw a design", runRender},
      {"convert", "--to TYPE [--out DIR] FILE...  write designs in another format, never overwriting", runConvert},
  };
  return table;
}

int usageError(std::string_view message) {
  std::fprintf(stderr, "loomhall-cli: %.*s\nTry 'loomhall-cli --help'.\n", static_cast<int>(message.size()),
               message.data());
  return Usage;
}

}  // namespace lh::cli
