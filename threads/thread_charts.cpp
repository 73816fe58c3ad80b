#include "threads/thread_charts.h"

#include <array>
#include <string>
#include <vector>

#include "design/emb_design.h"

namespace lh {

namespace {

struct ChartRowData {
  const char* first;   // brand, or the row name of a named chart
  const char* code;    // brand-style only
  const char* colorName;
  unsigned char red, green, blue;
};

struct ChartData {
  std::span<const ChartRowData> rows;
  bool named;
};

#include "threads/thread_chart_data.inc"

constexpr std::array<ChartInfo, kChartCount> kCharts{{
    {Chart::Embroidery, "Embroidery", ChartStyle::Brand, 64, 1, 10, ""},
    {Chart::Country, "Country", ChartStyle::Brand, 61, ChartCountry, 11, "Country"},
    {Chart::FleshTone, "Flesh Tone", ChartStyle::Brand, 10, ChartFleshTone, 1, "Flesh Tone"},
    {Chart::SulkyRayon, "Sulky Rayon", ChartStyle::Brand, 283, ChartSulkyRayon, 1, "Sulky"},
    {Chart::MaRayon, "MA Rayon", ChartStyle::Brand, 286, ChartMadeiraRayon, 1, "MA Rayon"},
    {Chart::MaPolyneon, "MA Polyneon", ChartStyle::Brand, 211, ChartMadeiraPoly, 1, "MA Polyneon"},
    {Chart::RaPoly, "RA Poly", ChartStyle::Brand, 452, ChartRaPoly, 1, "RA Poly"},
    {Chart::RaRayon, "RA Rayon", ChartStyle::Brand, 419, ChartRaRayon, 1, "RA Rayon"},
    {Chart::Isacord, "Isacord", ChartStyle::Brand, 312, ChartIsacord, 1, "Isacord"},
    {Chart::GuDekor, "GU Dekor", ChartStyle::Brand, 101, ChartGutermannDekor, 1, "GU Dekor"},
    {Chart::AlcazarRayon, "Alcazar Rayon", ChartStyle::Named, 117, 9, 0, ""},
    {Chart::IsacordPoly, "Isacord Poly", ChartStyle::Named, 210, 8, 0, ""},
    {Chart::IsafilRayon, "Isafil Rayon", ChartStyle::Named, 288, 3, 0, ""},
    {Chart::MadeiraPoly, "Madeira Poly", ChartStyle::Named, 204, 7, 0, ""},
    {Chart::MadeiraRayon, "Madeira Rayon", ChartStyle::Named, 288, 1, 0, ""},
    {Chart::RaPolyNamed, "R-A Poly", ChartStyle::Named, 232, 5, 0, ""},
    {Chart::RaRayonNamed, "R-A Rayon", ChartStyle::Named, 374, 4, 0, ""},
    {Chart::StickmaPoly, "Stickma Poly", ChartStyle::Named, 127, 6, 0, ""},
    {Chart::SulkyRayonNamed, "Sulky Rayon (named)", ChartStyle::Named, 305, 2, 0, ""},
    {Chart::SulkyRayonXxx, "Sulky Rayon (XXX)", ChartStyle::Named, 196, 1, 0, ""},
}};

// The data files must match the chart definitions exactly: order, style, row count and the
// brand text of every brand-style row.
constexpr bool sameText(const char* a, std::string_view b) { return std::string_view(a) == b; }

constexpr bool dataMatchesCharts() {
  if (std::size(kChartData) != kCharts.size()) return false;
  for (std::size_t i = 0; i < kCharts.size(); ++i) {
    const ChartInfo& info = kCharts[i];
    if (static_cast<std::size_t>(info.chart) != i) return false;
    if (kChartData[i].named != (info.style == ChartStyle::Named)) return false;
    if (kChartData[i].rows.size() != static_cast<std::size_t>(info.rowCount)) return false;
    if (info.style == ChartStyle::Brand)
      for (const ChartRowData& r : kChartData[i].rows)
        if (!sameText(r.first, info.brand)) return false;
  }
  return true;
}
static_assert(dataMatchesCharts(), "thread chart data does not match the chart definitions");

using BuiltCharts = std::array<std::vector<ThreadColor>, kChartCount>;

BuiltCharts buildCharts() {
  BuiltCharts charts;
  for (std::size_t i = 0; i < kCharts.size(); ++i) {
    const ChartInfo& info = kCharts[i];
    std::vector<ThreadColor>& rows = charts[i];
    rows.reserve(static_cast<std::size_t>(info.rowCount));
    for (const ChartRowData& r : kChartData[i].rows) {
      const std::uint32_t rgb = rgbOf(r.red, r.green, r.blue);
      if (info.style == ChartStyle::Named)
        rows.emplace_back(r.first, rgb, info.chartCode);
      else
        rows.emplace_back(r.first, r.colorName, r.code, rgb, info.chartCode, info.threadType);
      rows.back().updateHsb();  // matching reads the derived fields of every row
    }
  }
  return charts;
}

const BuiltCharts& builtCharts() {
  static const BuiltCharts charts = buildCharts();
  return charts;
}

std::string toUpperAscii(std::string_view text) {
  // Only ASCII letters change, so UTF-8 sequences pass through untouched.
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

}  // namespace

std::span<const ChartInfo> chartInfos() { return kCharts; }

const ChartInfo& chartInfo(Chart chart) { return kCharts[static_cast<std::size_t>(chart)]; }

std::optional<Chart> findChart(std::string_view name) {
  for (const ChartInfo& info : kCharts)
    if (equalsNoCase(info.name, name)) return info.chart;
  return std::nullopt;
}

std::span<const ThreadColor> chartRows(Chart chart) { return builtCharts()[static_cast<std::size_t>(chart)]; }

void guessChartFromName(ThreadColor& thread) {
  thread.chartCode = -1;
  thread.brand.clear();
  const std::string name = toUpperAscii(thread.displayName);
  auto has = [&](std::string_view key, std::size_t from = 0) { return name.find(key, from) != std::string::npos; };
  // Each hit overrides the earlier ones, so the order of these tests matters.
  if (has("MA")) thread.chartCode = has("POLY", 1) ? ChartMadeiraPoly : ChartMadeiraRayon;
  if (has("RA")) thread.chartCode = has("POLY") ? ChartRaPoly : ChartRaRayon;
  if (has("ISACORD")) thread.chartCode = ChartIsacord;
  if (has("GU")) thread.chartCode = ChartGutermannDekor;
  if (has("SU")) thread.chartCode = ChartSulkyRayon;
  if (has("FLESH")) thread.chartCode = ChartFleshTone;
  if (has("COUNTRY")) thread.chartCode = ChartCountry;
}

void guessChartsFromNames(EmbDesign& design) {
  for (ThreadColor& t : design.threads) guessChartFromName(t);
}

}  // namespace lh
