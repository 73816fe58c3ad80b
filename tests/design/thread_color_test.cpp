#include "design/thread_color.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lh {
namespace {

struct HsbCase {
  int r, g, b;
  int hue, saturation, brightness, hueGroup;
};

TEST(ThreadColor, UpdateHsb) {
  const HsbCase cases[] = {
      {0, 0, 255, 240, 255, 255, 9},    // pure blue
      {255, 0, 0, 0, 255, 255, 1},      // pure red
      {255, 0, 255, 300, 255, 255, 11}, // magenta
      {0, 0, 0, 0, -1, 0, -1},          // black is achromatic
      {254, 255, 255, 0, -1, 255, -1},  // sum 764: near white counts as achromatic
      {9, 9, 0, 0, -1, 9, -1},          // sum 18: near black too
      {10, 10, 0, 60, 255, 10, 3},      // sum 20: chromatic
  };
  for (const auto& c : cases) {
    ThreadColor t("x", rgbOf(c.r, c.g, c.b), 0);
    t.updateHsb();
    SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
    EXPECT_EQ(t.hue, c.hue);
    EXPECT_EQ(t.saturation, c.saturation);
    EXPECT_EQ(t.brightness, c.brightness);
    EXPECT_EQ(t.hueGroup, c.hueGroup);
    EXPECT_EQ(t.rgbSum, c.r + c.g + c.b);
  }
}

TEST(ThreadColor, AchromaticKeepsEarlierHue) {
  ThreadColor t("x", rgbOf(0, 0, 255), 0);
  t.updateHsb();
  t.rgb = 0;
  t.updateHsb();
  EXPECT_EQ(t.hue, 240);
}

TEST(ThreadColor, DisplayNameOfBrandRows) {
  EXPECT_EQ(ThreadColor("MA Rayon", "", "1000", 0, 0x400, 1).displayName, "MA Rayon 1000");
  EXPECT_EQ(ThreadColor("Sulky Rayon", "Red", "1147", 0, 0x1100, 1).displayName, "Sulky Rayon 1147 Red");
  EXPECT_EQ(ThreadColor("", "Red", "", 0, 0, 1).displayName, "Red");
  ThreadColor named("Light Blue", 0xFF8000, 5);
  EXPECT_EQ(named.displayName, "Light Blue");
  EXPECT_EQ(named.needle, -1);
  EXPECT_EQ(ThreadColor().needle, -1);
}

TEST(ThreadColor, SameThreadIgnoresBrandCase) {
  ThreadColor a("Sulky", "", "1", 0x112233, 0, 1), b("SULKY", "", "2", 0x112233, 0, 1);
  EXPECT_TRUE(sameThread(a, b));
  b.rgb = 0x112234;
  EXPECT_FALSE(sameThread(a, b));
}

TEST(ThreadColor, Distances) {
  ThreadColor black("k", 0, 0), white("w", 0xFFFFFF, 0), grey("g", 0x808080, 0), red("r", 0x0000FF, 0);
  black.updateHsb();
  white.updateHsb();
  EXPECT_FLOAT_EQ(rgbDistance(black, black), 0.0f);
  EXPECT_NEAR(rgbDistance(black, white), 98.08f, 0.01f);
  EXPECT_FLOAT_EQ(rgbDistance(black, white), 765 * 0.12820512f);
  // A grey weighs hue 0 and saturation and brightness 1.5 each; its saturation clamps to 0.
  grey.updateHsb();
  red.updateHsb();
  const float d = hsbDistance(grey, red);
  EXPECT_EQ(grey.saturation, 0);
  // The saturation term is taken before the clamp: |-1 - 255|.
  const float s = (256.0f * 0.003921569f) * 1.5f, b = (127.0f / 255.0f) * 1.5f;
  EXPECT_NEAR(d, std::sqrt(s * s + b * b) * 100.0f / 3.0f, 0.01f);
  EXPECT_FLOAT_EQ(colorDistance(red, red), 0.0f);
  EXPECT_LE(colorDistance(white, black), 100.0f);
}

}  // namespace
}  // namespace lh
