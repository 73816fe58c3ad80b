// loomhall-cli dump --json FILE: the loaded design in the team's dump schema.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/design_io.h"

namespace lh::cli {

namespace {

std::string rgbText(std::uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", redOf(rgb), greenOf(rgb), blueOf(rgb));
  return text;
}

}  // namespace

// {"path", "result", "pesVersion", "bounds", "threads", "stitches"}: records as [flags, dx, dy]
// (1 colour change, 2 jump, 8 trim; 0.1 mm, Y up), as the design holds them after loading.
nlohmann::ordered_json designJson(const EmbDesign& design, const std::string& path, LoadResult result) {
  nlohmann::ordered_json j;
  j["path"] = path;
  j["result"] = loadCode(result);
  j["pesVersion"] = design.pesVersion;
  j["bounds"] = {{"minX", design.minX}, {"minY", design.minY}, {"maxX", design.maxX}, {"maxY", design.maxY}};
  nlohmann::ordered_json threads = nlohmann::ordered_json::array();
  for (const ThreadColor& t : design.threads) {
    threads.push_back({{"rgb", rgbText(t.rgb)},
                       {"displayName", t.displayName},
                       {"code", t.code},
                       {"brand", t.brand},
                       {"chartCode", t.chartCode},
                       {"stitchCount", t.stitchCount},
                       {"threadLength", t.threadLength}});
  }
  j["threads"] = std::move(threads);
  nlohmann::ordered_json stitches = nlohmann::ordered_json::array();
  for (const Stitch& s : design.stitches) stitches.push_back({s.flags, s.dx, s.dy});
  j["stitches"] = std::move(stitches);
  return j;
}

int runDump(Args args) {
  std::string path;
  bool json = false;
  CommandLine line("dump", "Prints the loaded design as JSON: records [flags, dx, dy], threads, bounds.");
  line.app.add_flag("--json", json, "JSON output (required)");
  line.app.add_option("FILE", path, "a design file or \"Zip:ARCHIVE:MEMBER\" path")->required();
  if (const auto status = line.parse(args)) return *status;
  if (!json) return usageError("dump needs --json");
  CliCodec cli;
  EmbDesign design;
  const LoadResult result = loadOrComplain(cli.codec, design, path);
  // Names from files are not always UTF-8: bad bytes become U+FFFD rather than failing.
  const std::string text =
      designJson(design, path, result).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  // The result says what was read: 0 with no records only for a file holding an empty design.
  return result == LoadResult::Ok && holdsStitches(design) ? Ok : Failed;
}

}  // namespace lh::cli
