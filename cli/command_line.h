#pragma once
// One command's own command line, parsed by CLI11: "--" ends the options, "--to=exp" and
// "--to exp" are the same, every command has --help. Errors become our usage message.
#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"

namespace lh::cli {

class CommandLine {
 public:
  // `synopsis` follows "loomhall-cli COMMAND" in the usage line; `description` heads --help.
  CommandLine(std::string_view command, std::string_view description);

  // Parses `args`: nothing when the command should run; otherwise the exit status (Ok after
  // printing --help, Usage after a usage message).
  std::optional<int> parse(Args args);

  CLI::App app;

 private:
  // "loomhall-cli: COMMAND: message" on stderr with the hint to --help; returns Usage.
  int error(std::string_view message) const;

  std::string command_;
};

}  // namespace lh::cli
