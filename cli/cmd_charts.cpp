// loomhall-cli charts [NAME]: the built-in thread charts, or one chart's rows as CSV.
#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "threads/thread_charts.h"

namespace lh::cli {

namespace {

void printField(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos;
  if (!quote) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return;
  }
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void listCharts() {
  std::printf("%-20s %-6s %5s  %s\n", "Chart", "Style", "Rows", "Chart code");
  for (const ChartInfo& c : chartInfos())
    std::printf("%-20.*s %-6s %5d  0x%X\n", static_cast<int>(c.name.size()), c.name.data(),
                c.style == ChartStyle::Brand ? "brand" : "named", c.rowCount, static_cast<unsigned>(c.chartCode));
}

void printChart(Chart chart) {
  const bool brand = chartInfo(chart).style == ChartStyle::Brand;
  std::printf(brand ? "brand,code,colorName,red,green,blue\n" : "name,red,green,blue\n");
  for (const ThreadColor& row : chartRows(chart)) {
    if (brand) {
      printField(row.brand);
      std::putchar(',');
      printField(row.code);
      std::putchar(',');
      printField(row.colorName);
    } else {
      printField(row.displayName);
    }
    std::printf(",%d,%d,%d\n", redOf(row.rgb), greenOf(row.rgb), blueOf(row.rgb));
  }
}

}  // namespace

int runCharts(Args args) {
  std::string name;
  CommandLine line("charts", "Lists the built-in thread charts, or prints one chart's rows as CSV.");
  line.app.add_option("NAME", name, "a chart name (quote names with spaces)");
  if (const auto status = line.parse(args)) return *status;
  if (name.empty()) {
    listCharts();
    return Ok;
  }
  const auto chart = findChart(name);
  if (!chart) return usageError("no chart named '" + name + "'; 'loomhall-cli charts' lists them");
  printChart(*chart);
  return Ok;
}

}  // namespace lh::cli
