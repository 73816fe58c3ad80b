#include "threads/offered_charts.h"

#include <array>
#include <initializer_list>
#include <string_view>

#include "design/emb_design.h"
#include "threads/format_palettes.h"
#include "threads/pec_palette.h"
#include "threads/thread_charts.h"

namespace lh {

namespace {

constexpr std::array<int, 29> kHusqvarnaOrder{0,  21, 6,  22, 12, 17, 4, 18, 25, 10, 26, 15, 3, 16, 23,
                                              9,  24, 27, 11, 28, 19, 5, 20, 14, 8,  2,  13, 1, 7};

struct OfferedChart {
  Chart chart;
  std::string_view header;
};

constexpr std::array<OfferedChart, 9> kVipCharts{{
    {Chart::AlcazarRayon, "Alcazar Rayon"},
    {Chart::IsacordPoly, "Isacord Poly"},
    {Chart::IsafilRayon, "Isafil rayon"},
    {Chart::MadeiraPoly, "Madeira Poly"},
    {Chart::MadeiraRayon, "Madeira Rayon"},
    {Chart::RaPolyNamed, "R-A Poly"},
    {Chart::RaRayonNamed, "R-A Rayon"},
    {Chart::StickmaPoly, "Stickma Poly"},
    {Chart::SulkyRayonNamed, "Sulky Rayon"},
}};

constexpr std::array<OfferedChart, 9> kPesCharts{{
    {Chart::Embroidery, "Embroidery"},
    {Chart::FleshTone, "Flesh Tone"},
    {Chart::SulkyRayon, "Sulky Rayon"},
    {Chart::MaRayon, "MA Rayon"},
    {Chart::MaPolyneon, "MA Polyneon"},
    {Chart::RaRayon, "RA Rayon"},
    {Chart::RaPoly, "RA Poly"},
    {Chart::Isacord, "Isacord"},
    {Chart::GuDekor, "GU Dekor"},
}};

void appendRows(EmbDesign& design, Chart chart) {
  const auto rows = chartRows(chart);
  design.threads.insert(design.threads.end(), rows.begin(), rows.end());
}

void appendWithHeader(EmbDesign& design, const OfferedChart& offered) {
  const auto rows = chartRows(offered.chart);
  ThreadColor header;
  header.displayName = offered.header;
  header.rgb = kChartHeaderFlag + static_cast<std::uint32_t>(rows.size());
  design.threads.push_back(std::move(header));
  appendRows(design, offered.chart);
}

// One entry per PEC index in display order, then the special colours; each named and
// coloured from the PEC palette.
void appendPecPalette(EmbDesign& design) {
  auto add = [&](int index) {
    ThreadColor t;
    t.chartCode = index;
    t.displayName = pecColorName(index);
    design.threads.push_back(std::move(t));
  };
  for (int index : kPecDisplayOrder) add(index);
  for (int index : {62, 63, 64, kPecNotDefined, 0}) add(index);
  applyPecColors(design);
}

}  // namespace

void machinePalette(EmbDesign& design, MachinePalette palette) {
  design.threads.clear();
  switch (palette) {
    case MachinePalette::None:
      break;
    case MachinePalette::Husqvarna:
      for (int n : kHusqvarnaOrder) design.threads.push_back(husqvarnaColor(n));
      break;
    case MachinePalette::Windows:
      for (int i = 0; i < kWindowsColors; ++i) design.threads.push_back(windowsColor(i));
      break;
    case MachinePalette::Pec:
      appendPecPalette(design);
      break;
    case MachinePalette::Janome:
      for (int code = 1; code <= kJanomeCodes; ++code) design.threads.push_back(janomeColor(code));
      break;
    case MachinePalette::SulkyRayonXxx:
      appendRows(design, Chart::SulkyRayonXxx);
      break;
    case MachinePalette::RaPoly:
      appendRows(design, Chart::RaPolyNamed);
      break;
  }
}

void offeredCharts(EmbDesign& design, FormatColors colors, const SettingsStore& settings) {
  design.threads.clear();
  switch (colors.charts) {
    case BrandCharts::Vip:
      for (const OfferedChart& c : kVipCharts) appendWithHeader(design, c);
      return;
    case BrandCharts::Vp3:
      for (const OfferedChart& c : kVipCharts)
        if (c.chart != Chart::AlcazarRayon && c.chart != Chart::StickmaPoly) appendWithHeader(design, c);
      return;
    case BrandCharts::Pes:
      if (settings.getInt("Conversion", "pes5", 1) == 0) break;
      for (const OfferedChart& c : kPesCharts) appendWithHeader(design, c);
      return;
    case BrandCharts::None:
      break;
  }
  machinePalette(design, colors.palette);
}

}  // namespace lh
