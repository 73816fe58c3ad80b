#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lh::cli {

// Exit statuses of every command.
enum Exit : int {
  Ok = 0,        // everything asked succeeded
  Failed = 1,    // some input failed (one line per failure on stderr)
  Usage = 2,     // the command line was wrong
};

using Args = std::span<const std::string>;

struct Command {
  std::string_view name;
  std::string_view synopsis;  // shown by --help
  int (*run)(Args args);
};

// Every subcommand, in the order --help lists them.
std::span<const Command> commands();

// Writes "loomhall-cli: <message>" to stderr and returns Usage.
int usageError(std::string_view message);

// Command entry points, one cmd_*.cpp file each.
int runCharts(Args args);
int runMatch(Args args);
int runInfo(Args args);
int runDump(Args args);
int runRender(Args args);
int runConvert(Args args);
int runSort(Args args);
int runBaste(Args args);
int runRecover(Args args);
int runNotes(Args args);
int runPreview(Args args);
int runReduce(Args args);
int runCatalog(Args args);
int runPlugins(Args args);
int runHost(Args args);
int runPrint(Args args);

}  // namespace lh::cli
