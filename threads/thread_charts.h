#pragma once
// The twenty built-in brand thread charts: fixed, ordered rows built once and never changed.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "design/thread_color.h"

namespace lh {

class EmbDesign;

enum class Chart : int {
  // Brand-style charts: brand, catalogue code and colour name per row.
  Embroidery,
  Country,
  FleshTone,
  SulkyRayon,
  MaRayon,
  MaPolyneon,
  RaPoly,
  RaRayon,
  Isacord,
  GuDekor,
  // Named charts: one "line catalogue-number" name per row.
  AlcazarRayon,
  IsacordPoly,
  IsafilRayon,
  MadeiraPoly,
  MadeiraRayon,
  RaPolyNamed,
  RaRayonNamed,
  StickmaPoly,
  SulkyRayonNamed,  // the chart offered to the colour chooser
  SulkyRayonXxx,    // the machine palette of XXX designs
};
inline constexpr int kChartCount = 20;

enum class ChartStyle { Brand, Named };

struct ChartInfo {
  Chart chart;
  std::string_view name;   // "Sulky Rayon (named)"
  ChartStyle style;
  int rowCount;
  std::int32_t chartCode;  // carried by every row
  std::int32_t threadType;
  std::string_view brand;  // brand text of brand-style rows
};

// All charts in the order above.
std::span<const ChartInfo> chartInfos();
const ChartInfo& chartInfo(Chart chart);
// The chart whose name equals `name` without regard to case.
std::optional<Chart> findChart(std::string_view name);

// The rows of a chart, row count included; their derived hue, saturation and brightness fields
// are already filled by updateHsb().
std::span<const ThreadColor> chartRows(Chart chart);

// Sets thread.chartCode from the brand keys in its displayName (-1 when none) and clears brand.
void guessChartFromName(ThreadColor& thread);
// guessChartFromName on every colour block.
void guessChartsFromNames(EmbDesign& design);

}  // namespace lh
