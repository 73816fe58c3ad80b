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

bool extensionIn(std::string_view ext, std::initializer_list<std::string_view> list) {
  for (std::string_view e : list)
    if (equalsNoCase(ext, e)) return true;
  return false;
}

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

}  // namespace

void machinePalette(EmbDesign& design) {
  design.threads.clear();
  const std::string_view ext = extensionOf(design.path);
  if (extensionIn(ext, {"hus", "dst", "exp", "shv"})) {
    for (int n : kHusqvarnaOrder) design.threads.push_back(husqvarnaColor(n));
  } else if (extensionIn(ext, {"pcs"})) {
    for (int i = 0; i < kWindowsColors; ++i) design.threads.push_back(windowsColor(i));
  } else if (extensionIn(ext, {"pec", "pes", "phc", "phb", "phd", "emd", "art", "emb", "jan"})) {
    auto add = [&](int index) {
      ThreadColor t;
      t.chartCode = index;
      t.displayName = pecColorName(index);
      design.threads.push_back(std::move(t));
    };
    for (int index : kPecDisplayOrder) add(index);
    for (int index : {62, 63, 64, kPecNotDefined, 0}) add(index);
    applyPecColors(design);
  } else if (extensionIn(ext, {"sew", "jef", "jef+"})) {
    for (int code = 1; code <= kJanomeCodes; ++code) design.threads.push_back(janomeColor(code));
  } else if (extensionIn(ext, {"xxx"})) {
    appendRows(design, Chart::SulkyRayonXxx);
  } else if (extensionIn(ext, {"vip", "vp3"})) {
    appendRows(design, Chart::RaPolyNamed);
  }
}

void offeredCharts(EmbDesign& design, const SettingsStore& settings) {
  design.threads.clear();
  const std::string_view ext = extensionOf(design.path);
  if (extensionIn(ext, {"vip"})) {
    for (const OfferedChart& c : kVipCharts) appendWithHeader(design, c);
  } else if (extensionIn(ext, {"vp3"})) {
    for (const OfferedChart& c : kVipCharts)
      if (c.chart != Chart::AlcazarRayon && c.chart != Chart::StickmaPoly) appendWithHeader(design, c);
  } else if (extensionIn(ext, {"pes"}) && settings.getInt("Conversion", "pes5", 1) != 0) {
    for (const OfferedChart& c : kPesCharts) appendWithHeader(design, c);
  } else {
    machinePalette(design);
  }
}

}  // namespace lh
