// loomhall-cli plugins [--json]: the installed plug-ins, in menu order with their commands.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "platform/plugin_launcher.h"

namespace lh::cli {

namespace {

// What the browser does with an entry besides listing it in the menu.
std::string notes(const PluginList& list, const PluginEntry& e) {
  std::string out;
  auto add = [&out](const char* note) { out += (out.empty() ? "" : ", ") + std::string(note); };
  if (e.runsOnItsOwn()) add("runs on its own");
  if (&e == list.sequencer()) add("sequencer");
  if (&e == list.cardWriter()) add("card writer");
  return out;
}

void printJson(const PluginList& list) {
  nlohmann::ordered_json j;
  j["file"] = PluginLauncher::settingsLocation();
  j["plugins"] = nlohmann::ordered_json::array();
  for (const PluginEntry& e : list.entries()) {
    nlohmann::ordered_json p;
    p["name"] = e.name;
    p["program"] = e.program();
    p["command"] = e.command ? nlohmann::ordered_json(*e.command) : nlohmann::ordered_json();
    p["runsOnItsOwn"] = e.runsOnItsOwn();
    p["sequencer"] = &e == list.sequencer();
    p["cardWriter"] = &e == list.cardWriter();
    j["plugins"].push_back(std::move(p));
  }
  std::printf("%s\n", j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

void printLines(const PluginList& list) {
  for (const PluginEntry& e : list.entries()) {
    const std::string command = e.command ? std::to_string(*e.command) : "-";
    std::printf("%s\t%s\t%s\t%s\n", command.c_str(), e.name.c_str(), e.program().c_str(), notes(list, e).c_str());
  }
  if (list.empty())
    std::fprintf(stderr, "loomhall-cli: no plug-ins installed (%s)\n", PluginLauncher::settingsLocation().c_str());
}

}  // namespace

int runPlugins(Args args) {
  bool json = false;
  CommandLine line("plugins",
                   "Lists the installed plug-ins in menu order: command, name, program and what the browser "
                   "does with it (runs on its own, sequencer, card writer).");
  line.app.add_flag("--json", json, "as JSON: {\"file\", \"plugins\": [{\"name\", \"program\", \"command\", "
                                    "\"runsOnItsOwn\", \"sequencer\", \"cardWriter\"}]}");
  if (const auto status = line.parse(args)) return *status;
  const PluginList list = PluginLauncher::installedPlugins();
  if (json)
    printJson(list);
  else
    printLines(list);
  return Ok;
}

}  // namespace lh::cli
