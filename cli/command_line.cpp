#include "cli/command_line.h"

#include <cstdio>
#include <vector>

namespace lh::cli {

CommandLine::CommandLine(std::string_view command, std::string_view description)
    : app(std::string(description), "loomhall-cli " + std::string(command)), command_(command) {
  app.footer(
      "Exit status: 0 when everything asked succeeded, 1 when some input failed, 2 for a usage error.\n"
      "Arguments after \"--\" are never options.");
  app.get_formatter()->column_width(28);
}

std::optional<int> CommandLine::parse(Args args) {
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    const std::string help = app.help();
    std::fwrite(help.data(), 1, help.size(), stdout);
    return Ok;
  } catch (const CLI::ParseError& e) {
    return error(e.what());
  }
  return std::nullopt;
}

int CommandLine::error(std::string_view message) const {
  std::fprintf(stderr, "loomhall-cli: %s: %.*s\nTry 'loomhall-cli %s --help'.\n", command_.c_str(),
               static_cast<int>(message.size()), message.data(), command_.c_str());
  return Usage;
}

}  // namespace lh::cli
