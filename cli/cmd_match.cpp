// loomhall-cli match #RRGGBB: the threads nearest to a colour.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "threads/format_palettes.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"

namespace lh::cli {

namespace {

// "#RRGGBB" or "RRGGBB" as a colour value.
bool parseColor(std::string_view text, std::uint32_t& rgb) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6) return false;
  std::uint32_t v = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    v = v * 16 + static_cast<std::uint32_t>(digit);
  }
  rgb = rgbOf(static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF));
  return true;
}

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
  if (!parseColor(colorText, rgb)) return usageError("match needs a colour written as #RRGGBB");

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
