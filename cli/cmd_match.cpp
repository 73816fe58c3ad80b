// loomhall-cli match #RRGGBB: the threads nearest to a colour.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/design_io.h"
#include "threads/format_palettes.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"

namespace lh::cli {

namespace {

void printName(std::string_view s) { std::fwrite(s.data(), 1, s.size(), stdout); }

}  // namespace

int runMatch(Args args) {
  bool applique = false, extended = false;
  std::string colorText;
  CommandLine line("match", "Prints the PEC, Janome and Husqvarna colours and brand threads nearest to a colour.");
  line.app.add_flag("--applique", applique, "offer the PEC applique colours too");
  line.app.add_flag("--extended", extended, "offer the extended PEC colours too");
  line.app.add_option("COLOUR", colorText, "the colour as #RRGGBB")->required();
  if (const auto status = line.parse(args)) return *status;
  std::uint32_t rgb = 0;
  if (!parseRgb(colorText, rgb)) return usageError("match needs a colour written as #RRGGBB");

  const int r = redOf(rgb), g = greenOf(rgb), b = blueOf(rgb);
  std::printf("Colour #%02X%02X%02X (%d, %d, %d)\n", r, g, b, r, g, b);

  const int pec = nearestPecColor(r, g, b, applique, extended);
  std::printf("PEC: %d ", pec);
  printName(pecColorName(pec));
  std::printf(" (distance %d)\n", channelDistance(rgb, pecColor(pec)));

  const int janome = nearestJanomeCode(rgb);
  std::printf("Janome: %d %s\n", janome, janomeColor(janome).displayName.c_str());
  const int husqvarna = nearestHusqvarnaIndex(rgb);
  std::printf("Husqvarna: %d %s\n", husqvarna, husqvarnaColor(husqvarna).displayName.c_str());

  const ThreadColor thread("", rgb, 0);
  std::vector<ThreadColor> matches;
  for (Chart chart : matchReportCharts()) {
    matches.clear();
    topThreeMatches(thread, chart, matches);
    printName(chartInfo(chart).name);
    std::printf(":");
    for (std::size_t i = 0; i < matches.size(); ++i)
      std::printf("%s %s (%d%%)", i ? " -" : "", matches[i].displayName.c_str(), matches[i].needle);
    std::printf("\n");
  }
  return Ok;
}

}  // namespace lh::cli
