#include "formats/pes_threads.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "threads/format_palettes.h"
#include "threads/pec_palette.h"
#include "threads/thread_charts.h"
#include "threads/thread_matching.h"

namespace lh {

namespace {

// ---------------------------------------------------------------------------------------------
// Thread identities

constexpr std::string_view kAppliqueNames[] = {"Applique Mat.", "Applique Pos.", "Applique"};
constexpr std::string_view kAppliqueCodes[] = {"100", "101", "102"};

// Chart name and colour-name suffix given to the blocks of designs from other formats, by
// format code or by file extension; every matching row applies, in order.
struct ForeignChart {
  int formatCode;
  std::string_view extension;
  std::string_view chartName;
  std::string_view suffix;
};
constexpr ForeignChart kForeignCharts[] = {
    {12, "EMD", "EMD", ""},       {2, "JEF", "JEF", ""},        {18, "JEF+", "JEF", ""},
    {1, "SEW", "SEW", ""},        {13, "SHV", "SHV", "(VIP)"},  {8, "VIP", "VIP", "(VIP)"},
    {9, "VP3", "VP3", "(VP3)"},   {6, "XXX", "XXX", "(XXX)"},   {19, "ART", "ART", ""},
    {20, "EMB", "EMB", ""},       {21, "JAN", "JAN", ""},
};

// The chart a brand chartCode takes its nearest row from when the block has no brand, and
// the brand text and thread type the block then carries.
struct BrandChart {
  std::int32_t chartCode;
  Chart chart;
  std::string_view brand;
  std::int32_t threadType;
};
constexpr BrandChart kBrandCharts[] = {
    {ChartCountry, Chart::Country, "COUNTRY", kThreadTypeCountry},
    {ChartMadeiraRayon, Chart::MaRayon, "MA Rayon", kThreadTypeChart},
    {ChartMadeiraPoly, Chart::MaPolyneon, "MA Polyneon", kThreadTypeChart},
    {ChartSulkyRayon, Chart::SulkyRayon, "SU Rayon", kThreadTypeChart},
    {ChartFleshTone, Chart::FleshTone, "Flesh Tone(EMBROIDERY)", kThreadTypeEmbroidery},
    {ChartRaPoly, Chart::RaPoly, "RA Polyester", kThreadTypeChart},
    {ChartRaRayon, Chart::RaRayon, "RA Rayon", kThreadTypeChart},
    {ChartIsacord, Chart::Isacord, "ISACORD", kThreadTypeChart},
    {ChartGutermannDekor, Chart::GuDekor, "GU Dekor", kThreadTypeChart},
};

void makeEmbroideryThread(ThreadColor& b, int index) {
  b.chartCode = index;
  b.colorName = std::to_string(index);
  b.chartName.clear();
  b.brand = "EMBROIDERY";
  b.threadType = kThreadTypeEmbroidery;
  b.code = std::string(embroideryCode(index));
}

void takeNearestRow(ThreadColor& b, Chart chart) {
  const ChartMatch m = nearestChartRow(b.rgb, chart);
  if (m.row != nullptr) b = *m.row;
}

void identifyByChart(ThreadColor& b, bool applique) {
  if (b.chartCode == ChartEmbroidery) {
    makeEmbroideryThread(b, nearestPecColor(redOf(b.rgb), greenOf(b.rgb), blueOf(b.rgb), applique, false));
    return;
  }
  for (const BrandChart& bc : kBrandCharts) {
    if (b.chartCode != bc.chartCode) continue;
    if (b.brand.empty()) takeNearestRow(b, bc.chart);
    if (bc.chartCode == ChartCountry) {
      b.colorName = b.code;
      b.code = std::string(embroideryCode(b.chartCode));
    } else if (bc.chartCode == ChartMadeiraPoly) {
      b.code = b.displayName.size() > 4 ? b.displayName.substr(b.displayName.size() - 4) : b.displayName;
      b.colorName.clear();
    }
    b.brand = std::string(bc.brand);
    b.threadType = bc.threadType;
    return;
  }
  if (!b.chartName.empty()) return;
  const int i = nearestPecColor(redOf(b.rgb), greenOf(b.rgb), blueOf(b.rgb), false, true);
  const int dP = channelDistance(b.rgb, pecColor(i));
  const std::uint32_t rgb = b.rgb;
  makeEmbroideryThread(b, i);
  const ChartMatch s = nearestChartRow(rgb, Chart::SulkyRayon);
  if (s.row != nullptr && s.distance < dP) {
    b = *s.row;
    b.brand = "SU Rayon";
    b.threadType = kThreadTypeChart;
  }
}

// ---------------------------------------------------------------------------------------------
// Label pictures

using Label = std::array<std::uint8_t, kThreadLabelSize>;

// Rows 0 and 1 of every label: a thin rule over a dotted one.
constexpr std::uint8_t kTopPicture[12] = {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// Digit glyphs, 9 rows of 7 pixels ('#' drawn), one per digit.
constexpr std::string_view kDigitArt[10][9] = {
    {" ##### ", "##   ##", "##  ###", "## # ##", "### ###", "##   ##", "##   ##", "##   ##", " ##### "},
    {"  ##   ", " ###   ", "####   ", "  ##   ", "  ##   ", "  ##   ", "  ##   ", "  ##   ", "###### "},
    {" ##### ", "##   ##", "     ##", "    ## ", "   ##  ", "  ##   ", " ##    ", "##     ", "#######"},
    {" ##### ", "##   ##", "     ##", "     ##", "  #### ", "     ##", "     ##", "##   ##", " ##### "},
    {"    ## ", "   ### ", "  #### ", " ## ## ", "##  ## ", "#######", "    ## ", "    ## ", "    ## "},
    {"#######", "##     ", "##     ", "###### ", "     ##", "     ##", "     ##", "##   ##", " ##### "},
    {"  #### ", " ##    ", "##     ", "###### ", "##   ##", "##   ##", "##   ##", "##   ##", " ##### "},
    {"#######", "     ##", "    ## ", "    ## ", "   ##  ", "   ##  ", "  ##   ", "  ##   ", "  ##   "},
    {" ##### ", "##   ##", "##   ##", "##   ##", " ##### ", "##   ##", "##   ##", "##   ##", " ##### "},
    {" ##### ", "##   ##", "##   ##", "##   ##", " ######", "     ##", "     ##", "    ## ", " ####  "},
};

// A 5 x 7 capital font for the emblems and applique pictures.
struct Letter {
  char c;
  std::string_view rows[7];
};
constexpr Letter kFont[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
};

void setLabelPixel(std::uint8_t* pic, int x, int y) {
  if (x < 0 || x >= 48 || y < 0 || y >= kThreadLabelRows) return;
  pic[y * kThreadLabelStride + x / 8] = static_cast<std::uint8_t>(pic[y * kThreadLabelStride + x / 8] | (1 << (x % 8)));
}

// Draws `text` centred across the 48 pixels with its top row at `top`.
void drawText(std::uint8_t* pic, int top, std::string_view text) {
  const int width = static_cast<int>(text.size()) * 6 - 1;
  int x = (48 - width) / 2;
  for (char c : text) {
    for (const Letter& l : kFont) {
      if (l.c != c) continue;
      for (int r = 0; r < 7; ++r)
        for (int k = 0; k < 5; ++k)
          if (l.rows[r][static_cast<std::size_t>(k)] == '#') setLabelPixel(pic, x + k, top + r);
    }
    x += 6;
  }
}

// A rounded frame from row `top` to row `bottom`.
void drawFrame(std::uint8_t* pic, int top, int bottom) {
  for (int x = 2; x <= 45; ++x) {
    setLabelPixel(pic, x, top);
    setLabelPixel(pic, x, bottom);
  }
  for (int y = top + 2; y <= bottom - 2; ++y) {
    setLabelPixel(pic, 0, y);
    setLabelPixel(pic, 47, y);
  }
  setLabelPixel(pic, 1, top + 1);
  setLabelPixel(pic, 46, top + 1);
  setLabelPixel(pic, 1, bottom - 1);
  setLabelPixel(pic, 46, bottom - 1);
}

// The brands that have an emblem and the text it shows.
struct Emblem {
  std::string_view brand;
  std::string_view text;
};
constexpr Emblem kEmblems[] = {
    {"EMBROIDERY", "EMB"},    {"Option Color", "EMB"},   {"SU Rayon", "SULKY"},     {"MA Rayon", "MA RAY"},
    {"MA Polyneon", "MA POLY"}, {"RA Rayon", "RA RAY"}, {"RA Polyester", "RA POLY"}, {"ISACORD", "ISACORD"},
    {"GU DEKOR", "DEKOR"}, {"COUNTRY", "COUNTRY"},
};
constexpr int kEmblemTop = 11;  // rows 11..23, bytes 66..143

Label appliquePicture(int k) {
  static constexpr std::string_view words[] = {"MAT", "POS", "APPL"};
  Label pic{};
  std::memcpy(pic.data(), kTopPicture, sizeof kTopPicture);
  drawFrame(pic.data(), 2, 23);
  drawText(pic.data(), 4, "APPLIQ");
  drawText(pic.data(), 13, words[k]);
  // a diagonal hatch under the word marks the fabric piece
  for (int x = 4; x < 44; x += 4) setLabelPixel(pic.data(), x + 1, 21);
  return pic;
}

const std::array<Label, 3>& appliquePictures() {
  static const std::array<Label, 3> pictures = {appliquePicture(0), appliquePicture(1), appliquePicture(2)};
  return pictures;
}

const std::array<std::array<std::uint8_t, 78>, std::size(kEmblems)>& emblemPictures() {
  static const auto pictures = [] {
    std::array<std::array<std::uint8_t, 78>, std::size(kEmblems)> out{};
    for (std::size_t i = 0; i < std::size(kEmblems); ++i) {
      Label pic{};
      drawFrame(pic.data(), kEmblemTop, kEmblemTop + 12);
      drawText(pic.data(), kEmblemTop + 3, kEmblems[i].text);
      std::memcpy(out[i].data(), pic.data() + kEmblemTop * kThreadLabelStride, 78);
    }
    return out;
  }();
  return pictures;
}

}  // namespace

void buildFileThreads(EmbDesign& design) {
  design.fileThreads.clear();
  const int formatCode = design.payloadKind % 100;
  const std::string_view ext = extensionOf(design.path);
  for (ThreadColor& b : design.threads) {
    bool applique = false;
    for (int k = 0; k < 3; ++k) {
      if (!equalsNoCase(b.displayName, kAppliqueNames[k])) continue;
      b.code = std::string(kAppliqueCodes[k]);
      b.displayName.clear();
      b.chartName.clear();
      b.brand.clear();
      b.colorName.clear();
      b.chartCode = 0;
      b.threadType = kThreadTypeApplique;
      applique = true;
      break;
    }
    if (design.pesVersion == 0) {
      b.chartCode = -1;
      b.brand.clear();
      b.colorName = b.displayName;
      if (formatCode == 0) guessChartFromName(b);
      for (const ForeignChart& row : kForeignCharts) {
        if (row.formatCode != formatCode && !equalsNoCase(row.extension, ext)) continue;
        b.chartName = std::string(row.chartName);
        b.colorName += row.suffix;
      }
    } else if (b.brand.empty() && b.chartName.empty() && b.chartCode < ChartEmbroidery) {
      b.chartCode = ChartEmbroidery;
    }
    identifyByChart(b, applique);

    std::size_t index = design.fileThreads.size();
    for (std::size_t i = 0; i < design.fileThreads.size(); ++i) {
      if (design.fileThreads[i].rgb == b.rgb) {
        index = i;
        break;
      }
    }
    b.fileThreadIndex = static_cast<std::int32_t>(index);
    if (index == design.fileThreads.size()) design.fileThreads.push_back(b);
  }
}

void threadLabelPictures(const EmbDesign& design, std::uint8_t* out) {
  for (const ThreadColor& b : design.threads) {
    std::uint8_t* pic = out;
    out += kThreadLabelSize;
    if (b.brand.empty()) {
      bool done = false;
      for (int k = 0; k < 3 && !done; ++k) {
        if (b.code != kAppliqueCodes[k]) continue;
        std::memcpy(pic, appliquePictures()[static_cast<std::size_t>(k)].data(), kThreadLabelSize);
        done = true;
      }
      if (done) continue;
    }
    std::memcpy(pic, kTopPicture, sizeof kTopPicture);
    for (std::size_t i = 0; i < b.code.size() && i < kLabelCodeDigits; ++i) {
      const char c = b.code[i];
      if (c < '0' || c > '9') continue;
      const auto& glyph = kDigitArt[c - '0'];
      for (int j = 0; j < 9; ++j)
        for (int k = 0; k < 7; ++k)
          if (glyph[j][static_cast<std::size_t>(k)] == '#')
            setLabelPixel(pic, 1 + 7 * static_cast<int>(i) + k, 2 + j);
    }
    for (std::size_t e = 0; e < std::size(kEmblems); ++e) {
      if (!equalsNoCase(b.brand, kEmblems[e].brand)) continue;
      std::memcpy(pic + kEmblemTop * kThreadLabelStride, emblemPictures()[e].data(), 78);
      break;
    }
  }
}

}  // namespace lh
