#include "cli/commands.h"

#include <array>
#include <cstdio>
#include <string>

#include "cli/tool_run.h"

namespace lh::cli {

// Each command lives in its own cmd_*.cpp file and is listed here.

std::span<const Command> commands() {
  static const std::string convertSynopsis =
      "[--to TYPE] [OPTIONS] INPUT...  convert designs, fitting the hoop (TYPE: " + targetTypeNames() + ")";
  static const Command table[] = {
      {"charts", "[NAME]  list the built-in thread charts, or print one as CSV", runCharts},
      {"match", "#RRGGBB  nearest PEC, Janome and Husqvarna colours and brand threads", runMatch},
      {"info", "FILE...  size, stitch count and colour count of each design", runInfo},
      {"dump", "--json FILE  the loaded design as JSON (records, threads, bounds)", runDump},
      {"render", "[--size N] [--3d] [--jumps] [--background #RRGGBB] FILE OUT.bmp|OUT.png  draw a design", runRender},
      {"convert", convertSynopsis, runConvert},
      {"sort", "[OPTIONS] INPUT...  colour sort: fewer thread changes (\" Sorted\")", runSort},
      {"baste", "[OPTIONS] INPUT...  basting outline, alone or before the design (\"+Baste\")", runBaste},
      {"recover", "[OPTIONS] INPUT...  rebuild damaged PES 1.0 files (\" Fixed\")", runRecover},
      {"notes", "[OPTIONS] INPUT...  design notes as TXT", runNotes},
      {"preview", "[OPTIONS] INPUT...  preview picture as BMP", runPreview},
      {"reduce", "--needles N [OPTIONS] INPUT  fewer distinct colours in the first design (\" Reduced\")", runReduce},
      {"catalog", "[--file PATH] COMMAND  the catalog: show, new, rename, delete, add, remove, find, check, relink",
       runCatalog},
      {"plugins", "[--json]  the installed plug-ins: command, name, program, sequencer and card writer", runPlugins},
      {"host", "[--launch NAME] [--out DIR] [--keep | --to TYPE] INPUT...  serve designs to plug-ins on the bus", runHost},
      {"print", "[--mode thumbnails|full|contents] [OPTIONS] --pdf OUT.pdf INPUT...  a printed catalog as a PDF",
       runPrint},
  };
  return table;
}

int usageError(std::string_view message) {
  std::fprintf(stderr, "loomhall-cli: %.*s\nTry 'loomhall-cli --help'.\n", static_cast<int>(message.size()),
               message.data());
  return Usage;
}

}  // namespace lh::cli
