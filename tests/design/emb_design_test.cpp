#include "design/emb_design.h"

#include <gtest/gtest.h>

#include "design/measurements.h"
#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::st;
using test::trim;

std::vector<Stitch> recs(std::initializer_list<Stitch> l) { return l; }

TEST(EmbDesign, StitchSettersTouchOneBit) {
  Stitch s(3, 4, true, true);
  EXPECT_EQ(s.flags, ColorChange | Jump);
  s.setTrim(true);
  s.setJump(false);
  EXPECT_EQ(s.flags, ColorChange | Trim);
  s.clear();
  EXPECT_EQ(s, Stitch());
}

TEST(EmbDesign, ComputeBoundsExcludesTheOrigin) {
  EmbDesign d = makeDesign({st(10, 5), st(10, -2)});
  EXPECT_EQ(d.computeBounds(), (Point{20, 3}));
  EXPECT_EQ(d.minX, 10);
  EXPECT_EQ(d.maxX, 20);
  EXPECT_EQ(d.minY, 3);
  EXPECT_EQ(d.maxY, 5);
  EmbDesign empty;
  EXPECT_EQ(empty.computeBounds(), (Point{0, 0}));
  EXPECT_EQ(empty.maxX, -10000);
  EXPECT_EQ(empty.minY, 10000);
  // With `after` the walk starts at the next record.
  EXPECT_EQ(d.computeBounds(0), (Point{10, -2}));
}

TEST(EmbDesign, CentreSingleStitch) {
  EmbDesign d = makeDesign({st(10, 0)});
  EXPECT_EQ(d.centreDesign(), (Point{0, 0}));
  EXPECT_EQ(d.stitches, recs({jump(-10, 0), st(10, 0)}));
  EXPECT_EQ(d.maxX, 0);
  EXPECT_EQ(d.minX, 0);
  EXPECT_EQ(d.maxY, 0);
  EXPECT_EQ(d.minY, 0);
  EmbDesign empty;
  EXPECT_EQ(empty.centreDesign(), (Point{0, 0}));
  EXPECT_TRUE(empty.stitches.empty());
}

TEST(EmbDesign, CentreLeansToPositiveXAndNegativeY) {
  // Odd extents: after centring maxX >= |minX| and |minY| >= maxY, each within one unit.
  for (int w : {1, 2, 7, 10}) {
    for (int h : {1, 3, 8}) {
      EmbDesign d = makeDesign({jump(5, 5), st(w, h)});
      d.centreDesign();
      EXPECT_GE(d.maxX, std::abs(d.minX));
      EXPECT_LE(d.maxX - std::abs(d.minX), 1);
      EXPECT_GE(std::abs(d.minY), d.maxY);
      EXPECT_LE(std::abs(d.minY) - d.maxY, 1);
      EXPECT_EQ(d.stitches.size(), 2u) << "a leading jump absorbs the shift";
      // The bounds it reports are those of the records.
      const int maxX = d.maxX, minY = d.minY;
      d.computeBounds();
      EXPECT_EQ(d.maxX, maxX);
      EXPECT_EQ(d.minY, minY);
    }
  }
}

TEST(EmbDesign, MergeJumps) {
  struct Case {
    const char* what;
    bool jumpsOnly;
    std::vector<Stitch> in, out;
  };
  const Case cases[] = {
      {"jumps fold", true, {jump(1, 2), jump(3, 4), st(5, 5)}, {jump(4, 6), st(5, 5)}},
      {"a jump swallows one stitch", false, {jump(1, 2), st(3, 4), st(5, 5)}, {jump(4, 6), st(5, 5)}},
      {"after a swallowed stitch the walk moves on", false, {jump(1, 0), st(1, 0), jump(1, 0), jump(1, 0)},
       {jump(2, 0), jump(2, 0)}},
      {"never across a colour change", true, {jump(1, 0), colorChange(), jump(1, 0), st(1, 1)},
       {jump(1, 0), colorChange(), jump(1, 0), st(1, 1)}},
      {"a last colour change is cleared", true, {st(1, 1), colorChange()}, {st(1, 1), st(0, 0)}},
  };
  for (const auto& c : cases) {
    EmbDesign d;
    d.stitches = c.in;
    d.mergeJumps(c.jumpsOnly);
    EXPECT_EQ(d.stitches, c.out) << c.what;
  }
}

TEST(EmbDesign, RotateQuarter) {
  EmbDesign d = makeDesign({st(10, 0)});
  d.rotateQuarter(1);
  EXPECT_EQ(d.stitches[0], st(0, -10));
  d = makeDesign({st(10, 0)});
  d.rotateQuarter(-1);
  EXPECT_EQ(d.stitches[0], st(0, 10));
  d.rotateQuarter(0);  // zero turns counter-clockwise too
  EXPECT_EQ(d.stitches[0], st(-10, 0));
}

TEST(EmbDesign, SplitLongStitches) {
  struct Case {
    const char* what;
    int maxLength;
    bool trims, replace;
    std::vector<Stitch> in, out;
  };
  const Case cases[] = {
      {"stitch cut into jumps plus a penetration", 121, false, false, {st(300, 0)},
       {jump(100, 0), jump(100, 0), jump(100, 0), st(0, 0)}},
      {"replace keeps only the jumps", 121, false, true, {st(300, 0)},
       {jump(100, 0), jump(100, 0), jump(100, 0)}},
      {"a colour change carrying a move is separated, the move a jump", 121, false, false,
       {Stitch(5, 5, false, true)}, {colorChange(), jump(5, 5)}},
      {"a run of short jumps gains no penetration", 121, false, false, {jump(5, 5), jump(-7, 3), st(2, 2)},
       {jump(5, 5), jump(-7, 3), st(2, 2)}},
      {"a long jump is cut into jumps only, with a trim in front", 121, true, false, {jump(0, -250), st(1, 1)},
       {trim(), jump(0, -83), jump(0, -83), jump(0, -84), st(1, 1)}},
      {"pieces end exactly on the end point", 100, false, false, {st(250, 77)},
       {jump(83, 25), jump(83, 25), jump(84, 27), st(0, 0)}},
      {"replace passes the colour change to the first piece", 121, false, true, {Stitch(0, 300, true, true)},
       {Stitch(0, 100, true, true), jump(0, 100), jump(0, 100)}},
  };
  for (const auto& c : cases) {
    EmbDesign d;
    d.stitches = c.in;
    d.splitLongStitches(c.maxLength, c.trims, c.replace);
    EXPECT_EQ(d.stitches, c.out) << c.what;
  }
}

TEST(EmbDesign, SplitLongStitchesRecutsAnOverlongLastJumpPiece) {
  // 362 / 3 pieces of 120 leaves a last piece of 122, which is cut again: the jump comes out
  // as jumps only, in either mode.
  for (const bool replace : {true, false}) {
    EmbDesign d;
    d.stitches = {jump(362, 0)};
    d.splitLongStitches(121, false, replace);
    int sum = 0;
    for (const Stitch& s : d.stitches) {
      EXPECT_LE(std::abs(s.dx), 121);
      EXPECT_TRUE(s.isJump());
      sum += s.dx;
    }
    EXPECT_EQ(sum, 362);
  }
}

TEST(EmbDesign, DropLeadingJumps) {
  EmbDesign d = makeDesign({jump(50, 50), st(0, 0), st(10, 0), st(10, 0)});
  d.dropLeadingJumps();
  EXPECT_EQ(d.stitches, recs({jump(-15, 0), st(10, 0), st(10, 0)}));
}

TEST(EmbDesign, ClassifyJumps) {
  struct Case {
    const char* what;
    std::string path;
    std::vector<Stitch> in;
    std::vector<bool> jumps;
  };
  const Case cases[] = {
      {"long move straight on stays a stitch", "a.exp", {st(100, 0), jump(100, 0), st(100, 0)}, {false, false, false}},
      {"short straight jump stays a jump", "a.exp", {st(50, 0), jump(50, 0), st(50, 0)}, {false, true, false}},
      {"sideways long jump stays a jump", "a.exp", {st(100, 0), jump(0, 100), st(100, 0)}, {false, true, false}},
      {"going back along the last stitch", "a.exp", {st(100, 0), jump(-100, 0), st(0, 100)}, {false, false, false}},
      {"pcs marks long moves first", "a.PCS", {st(10, 0), st(0, 130), st(10, 0)}, {false, true, false}},
  };
  for (const auto& c : cases) {
    EmbDesign d;
    d.path = c.path;
    d.stitches = c.in;
    d.classifyJumps();
    for (std::size_t i = 0; i < c.jumps.size(); ++i) EXPECT_EQ(d.stitches[i].isJump(), c.jumps[i]) << c.what << " #" << i;
  }
}

TEST(EmbDesign, ComputeBlockStats) {
  EmbDesign d = makeDesign({st(10, 0)});
  d.computeBlockStats();
  EXPECT_EQ(d.threads[0].threadLength, 7515);
  EXPECT_EQ(d.threads[0].stitchCount, 1);

  d = makeDesign({jump(5, 5), st(3, 4), st(0, 0), colorChange(), jump(10, 0), st(0, 2)});
  d.computeBlockStats();
  const ThreadColor& a = d.threads[0];
  const ThreadColor& b = d.threads[1];
  EXPECT_EQ(a.stitchCount, 3);
  EXPECT_EQ(b.stitchCount, 2);
  EXPECT_EQ(a.minX, 8);  // bounds start at the first real stitch, not the jump
  EXPECT_EQ(a.maxY, 9);
  EXPECT_EQ(b.startX, 8);
  EXPECT_EQ(b.startY, 9);
  EXPECT_EQ(b.minX, 18);
  EXPECT_EQ(b.minY, 11);
  EXPECT_EQ(a.threadLength, 7500 + static_cast<int>(1.5 * (7 + 5)));
  EXPECT_EQ(a.attributes.getPoint("NeedleEnds"), (std::pair<std::int32_t, std::int32_t>{8, 9}));
  EXPECT_EQ(b.attributes.getPoint("NeedleEnds"), (std::pair<std::int32_t, std::int32_t>{18, 11}));
}

TEST(EmbDesign, SurplusColorChangesCountIntoTheLastBlock) {
  EmbDesign d = makeDesign({st(1, 0), colorChange(), st(1, 0)});
  d.stitches.push_back(colorChange());
  d.stitches.push_back(st(1, 0));
  d.computeBlockStats();  // two threads, two colour changes
  ASSERT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.threads[0].stitchCount, 1);
  EXPECT_EQ(d.threads[1].stitchCount, 3);
}

// Long moves in their hundred thousands: the running sums, the widths and the thread length
// pass the int32 range and must not wrap.
TEST(EmbDesign, SumsOfManyLongMovesDoNotWrap) {
  constexpr int kMove = 32767;
  constexpr std::int64_t kOut = 37000, kBack = 2 * kOut;
  constexpr std::int64_t kReach = kOut * kMove;  // 1.2e9: each bound fits int32, the width does not
  EmbDesign d;
  d.stitches.assign(kOut, st(-kMove, kMove));
  d.stitches.insert(d.stitches.end(), kBack, st(kMove, -kMove));
  d.threads.assign(1, test::thread(0x0000FF));

  d.computeBounds();
  EXPECT_EQ(d.minX, -kReach);
  EXPECT_EQ(d.maxY, kReach);
  EXPECT_EQ(d.width(), 2 * kReach);
  EXPECT_EQ(d.height(), 2 * kReach);
  EXPECT_EQ(sizeText(d, false, false), "24247580.00 cm x 24247580.00 cm");

  d.computeBlockStats();
  const ThreadColor& t = d.threads[0];
  EXPECT_EQ(t.minX, -kReach);
  EXPECT_EQ(t.maxX, kReach);
  // Each move is 46339.4 long, truncated to 46339: 7500 + 1.5 x 111000 x 46339.
  EXPECT_EQ(t.threadLength, 7500 + 3 * (kOut + kBack) * 46339 / 2);
  EXPECT_EQ(t.attributes.getPoint("NeedleEnds"), std::make_pair(std::int32_t{kReach}, std::int32_t{-kReach}));

  // Positions beyond int32 itself (the bounds start at 10000): centred, they come out exact.
  EmbDesign far;
  far.stitches.assign(70000, st(kMove, kMove));
  far.centreDesign();
  EXPECT_EQ(far.width(), 70000 * std::int64_t{kMove} - 10000);
  EXPECT_EQ(far.height(), 70000 * std::int64_t{kMove} - 10000);
  EXPECT_GT(far.maxX, 0);
  EXPECT_LT(far.minY, 0);
}

TEST(EmbDesign, AssignNeedles) {
  EmbDesign d = makeDesign({st(1, 0), colorChange(), st(1, 0), colorChange(), st(1, 0)}, {0xFF, 0xFF0000, 0xFF});
  d.threads[2].brand = "EMBROIDERY";
  d.assignNeedles();
  EXPECT_EQ(d.threads[0].needle, 0);
  EXPECT_EQ(d.threads[1].needle, 1);
  EXPECT_EQ(d.threads[2].needle, 0);
}

// A design with every content field away from its default, showing a picture.
EmbDesign everyFieldSet() {
  EmbDesign d = makeDesign({jump(-3, 0), st(1, 2), colorChange(), st(4, -5)});
  d.attributes.setText("vp3keywords", "rose");
  d.pesVersion = 60;
  d.name = "Rose";
  d.category = "Flowers";
  d.author = "Ann";
  d.keywords = "red";
  d.comments = "for the quilt";
  d.path = "Zip:/a/b.zip:rose.pes";
  d.sourcePath = "/a/b.zip";
  d.showJumps = true;
  d.fitRotation = 1;
  d.hoopRotation = -1;
  d.hoopWidth = 130;
  d.hoopHeight = 180;
  d.fileThreads = {test::thread(0x123456)};
  d.payloadKind = 6000;
  d.modifiedFlag = 1;
  d.loadFailed = true;
  d.isText = true;
  d.text = "notes";
  d.scale = 1.5f;
  d.computeBlockStats();
  d.picture = {'B', 'M'};
  d.holdsPicture = true;
  return d;
}

const DesignContent& content(const EmbDesign& d) { return d; }

TEST(EmbDesign, CopyFromTakesTheWholeContentButTheTargetsSourcePathAndJumpDisplay) {
  const EmbDesign d = everyFieldSet();
  EmbDesign copy;
  copy.sourcePath = "/mine.pes";
  copy.DesignBitmap::width = 40;
  copy.pixels = {1, 2, 3};
  copy.copyFrom(d);

  DesignContent expected = content(d);
  expected.sourcePath = "/mine.pes";
  expected.showJumps = false;
  EXPECT_TRUE(content(copy) == expected);
  // Of the bitmap only the picture state comes along; the target keeps its own buffer.
  EXPECT_EQ(copy.picture, d.picture);
  EXPECT_TRUE(copy.holdsPicture);
  EXPECT_EQ(copy.DesignBitmap::width, 40);
  EXPECT_EQ(copy.pixels, (std::vector<std::uint8_t>{1, 2, 3}));

  copy.copyFrom(copy);  // copying onto itself changes nothing
  EXPECT_TRUE(content(copy) == expected);
}

TEST(EmbDesign, WorkingCopyResetsVersionAndHoop) {
  EmbDesign d = everyFieldSet();
  d.DesignBitmap::width = 40;
  d.pixels = {1, 2, 3};
  const EmbDesign work(d);

  DesignContent expected = content(d);
  expected.sourcePath.clear();
  expected.showJumps = false;
  expected.pesVersion = 0;
  expected.hoopWidth = 0;
  expected.hoopHeight = 0;
  EXPECT_TRUE(content(work) == expected);
  EXPECT_TRUE(work.holdsPicture);
  EXPECT_EQ(work.DesignBitmap::width, 0);
  EXPECT_TRUE(work.pixels.empty());
}

TEST(EmbDesign, ClearKeepsVersionHoopAndBounds) {
  EmbDesign d = everyFieldSet();
  d.clear();
  EXPECT_TRUE(d.stitches.empty());
  EXPECT_TRUE(d.threads.empty());
  EXPECT_TRUE(d.name.empty());
  EXPECT_TRUE(d.text.empty());
  EXPECT_FALSE(d.holdsPicture);
  EXPECT_EQ(d.pesVersion, 60);  // clear leaves version, hoop and bounds
  EXPECT_EQ(d.hoopWidth, 130);
  EXPECT_EQ(d.fileThreads.size(), 1u);
}

TEST(EmbDesign, ExtensionOf) {
  EXPECT_EQ(extensionOf("/a/b/rose.PES"), "PES");
  EXPECT_EQ(extensionOf("Zip:/a/b.zip:x/rose.jef"), "jef");
  EXPECT_EQ(extensionOf("/a.dir/rose"), "");
}

}  // namespace
}  // namespace lh
