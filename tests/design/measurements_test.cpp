#include "design/measurements.h"

#include <gtest/gtest.h>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::st;

EmbDesign sized(int w, int h) {
  EmbDesign d;
  d.minX = -w / 2;
  d.maxX = d.minX + w;
  d.minY = -h / 2;
  d.maxY = d.minY + h;
  return d;
}

TEST(Measurements, InchText) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "(0)"}, {254 / 256.0, "(15/16)"}, {2.0, "2 "}, {2.5, "2 (1/2)"}, {12.0625, "12(1/16)"}, {0.125, "(1/8)"},
      {-0.5, "-(1/2)"}, {-2.5, "-2(1/2)"},
  };
  for (const auto& [v, text] : cases) EXPECT_EQ(inchText(v), text) << v;
}

TEST(Measurements, SizeTextBothUnits) {
  EmbDesign d = sized(254, 512);
  EXPECT_EQ(sizeText(d, false, false), "2.54 cm x 5.12 cm");
  EXPECT_EQ(sizeText(d, true, false), "(15/16)\" x 2 \"");
  d = sized(640, 100);
  EXPECT_EQ(sizeText(d, true, false), "2 (1/2)\" x (3/8)\"");
}

TEST(Measurements, StitchCountLeavesOutColorChanges) {
  EmbDesign d;
  d.stitches.assign(100, st(10, 0));
  d.stitches[30] = colorChange();
  d.stitches[60] = colorChange();
  d.threads.resize(3);
  EXPECT_EQ(displayStitchCount(d).count, 98);
  d.maxX = 100;
  EXPECT_EQ(sizeText(d, false, true), "1.00 cm x 0.00 cm : 98 Stitches");
}

EmbDesign tieOffDesign(int pesVersion, const char* path) {
  EmbDesign d;
  d.stitches = {st(50, 0), st(1, 0), st(1, 0), st(1, 0), st(1, 0), jump(100, 0), st(1, 1), st(1, 0), st(50, 0)};
  d.threads.resize(1);
  d.pesVersion = pesVersion;
  d.path = path;
  return d;
}

TEST(Measurements, PesTrimsAndTieOffs) {
  // Four tiny stitches, a jump and two tiny stitches: one trim, six records not shown.
  StitchCount c = displayStitchCount(tieOffDesign(56, "/d/rose.pes"));
  EXPECT_EQ(c.trims, 1);
  EXPECT_EQ(c.count, 9 - 6);
  EXPECT_EQ(sizeText(tieOffDesign(56, "/d/rose.PES"), false, false), "0.00 cm x 0.00 cm + 1 Trim");
  // Only PES version 50 and later, and only files with the PES extension.
  for (auto [version, path] : {std::pair{40, "/d/rose.pes"}, std::pair{56, "/d/rose.dst"}}) {
    c = displayStitchCount(tieOffDesign(version, path));
    EXPECT_EQ(c.trims, 0);
    EXPECT_EQ(c.count, 9);
  }
}

}  // namespace
}  // namespace lh
