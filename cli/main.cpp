#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

void printHelp() {
  std::printf(
      "Usage: loomhall-cli COMMAND [OPTIONS] [ARGS...]\n"
      "       loomhall-cli COMMAND --help\n"
      "       loomhall-cli --help | --version\n\n"
      "Works with machine-embroidery designs from scripts and batch jobs.\n\n"
      "Commands:\n");
  for (const auto& c : lh::cli::commands())
    std::printf("  %-10.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(), static_cast<int>(c.synopsis.size()),
                c.synopsis.data());
  std::printf(
      "\nOPTIONS of convert and the tool commands:\n"
      "  --to TYPE        target format (tools: the format they write; default \"Tools selected\")\n"
      "  --keep           tools keep each design's own format\n"
      "  --force          write also designs whose format does not change\n"
      "  --out DIR        write into DIR (archive members become plain files there)\n"
      "  -j N             designs handled in parallel (default: one per core)\n"
      "  -r               look into sub-folders of folder inputs\n"
      "  -L               with -r, follow symbolic links to folders too (each folder once)\n"
      "  --set S/key=V    override one stored setting for this run (repeatable)\n"
      "  --defaults       ignore the stored preferences\n"
      "  --no-shrink      refuse designs that would have to be shrunk to fit\n"
      "  --no-turn        refuse designs that would have to be turned to fit\n"
      "  --skip-existing  leave a design alone when its output name exists\n"
      "  --json           one JSON record per input on stdout (the report goes to stderr)\n"
      "  --catalog        list each new file after its source in the stored catalog\n"
      "  --catalog-file P the same in the catalog file P\n"
      "  --               every later argument is an INPUT\n"
      "An INPUT is a design file, a \"Zip:archive:member\" path, a zip archive or a folder.\n"
      "A design that was turned, shrunk or split is named on stderr with what was done.\n"
      "\nExit status: 0 when everything asked succeeded, 1 when some input failed,\n"
      "2 for a usage error.\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printHelp();
    return lh::cli::Usage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help") {
    printHelp();
    return lh::cli::Ok;
  }
  if (first == "--version" || first == "-V") {
    std::printf("loomhall-cli %s\n", LH_VERSION);
    return lh::cli::Ok;
  }
  for (const auto& c : lh::cli::commands()) {
    if (c.name == first) return c.run(lh::cli::Args(args).subspan(1));
  }
  return lh::cli::usageError("unknown command '" + first + "'");
}
