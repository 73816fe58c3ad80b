#include "threads/pec_palette.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "design/emb_design.h"

namespace lh {
namespace {

TEST(PecPalette, IndexesOutsideThePaletteReadAsUnknown) {
  const std::uint32_t fallback = rgbOf(225, 225, 225);
  for (int index : {95, 200, -1, 0x100}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(pecColor(index), fallback);
    EXPECT_EQ(pecColorName(index), "Unknown");
  }
  EXPECT_EQ(pecColor(65), fallback);
  EXPECT_EQ(pecColorName(65), "Not Defined");
}

TEST(PecPalette, KnownEntries) {
  struct Case {
    int index;
    const char* name;
    std::uint32_t rgb;
  } cases[] = {
      {0, "Composite", rgbOf(0, 0, 0)},          {1, "Prussian Blue", rgbOf(14, 31, 124)},
      {20, "Black", rgbOf(0, 0, 0)},             {29, "White", rgbOf(240, 240, 240)},
      {61, "Fresh Green", rgbOf(227, 243, 91)},  {62, "Applique Mat.", rgbOf(255, 200, 100)},
      {64, "Applique", rgbOf(255, 200, 200)},    {67, "Blue 2", rgbOf(0, 0, 255)},
      {94, "Flesh Pink 2", rgbOf(255, 170, 255)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pecColorName(c.index), c.name) << c.index;
    EXPECT_EQ(pecColor(c.index), c.rgb) << c.index;
  }
}

TEST(PecPalette, EmbroideryCodesOnlyForThreadColors) {
  EXPECT_EQ(embroideryCode(20), "900");
  EXPECT_EQ(embroideryCode(1), "007");
  EXPECT_EQ(embroideryCode(61), "027");
  for (int index : {0, 62, 65, 94, 95, -1, 0x200}) EXPECT_EQ(embroideryCode(index), "") << index;
}

TEST(PecPalette, DisplayOrderIsAPermutationOfTheThreadColors) {
  std::array<int, kPecThreadColors> sorted = kPecDisplayOrder;
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < kPecThreadColors; ++i) EXPECT_EQ(sorted[static_cast<std::size_t>(i)], i + 1);
  EXPECT_EQ(kPecDisplayOrder.front(), 20);
  EXPECT_EQ(kPecDisplayOrder.back(), 39);
}

TEST(PecPalette, ApplyPecColorsUsesEachBlocksChartCode) {
  EmbDesign d;
  d.threads.emplace_back("a", rgbOf(1, 1, 1), 5);
  d.threads.emplace_back("b", rgbOf(1, 1, 1), 300);
  applyPecColors(d);
  EXPECT_EQ(d.threads[0].rgb, rgbOf(237, 23, 31));
  EXPECT_EQ(d.threads[1].rgb, rgbOf(225, 225, 225));
  EXPECT_EQ(d.threads[0].displayName, "a");
}

}  // namespace
}  // namespace lh
