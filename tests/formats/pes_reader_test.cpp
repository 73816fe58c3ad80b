// The PES reader on file images built byte by byte: bare PEC files, every header generation,
// hoop turns, multi-design files, thread tables and failures.
#include "formats/pes_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/formats/pes_files.h"
#include "tests/support/design_builder.h"
#include "threads/pec_palette.h"

namespace lh {
namespace {

using test::NewPesSpec;
using test::PecSpec;
using test::ThreadRecord;

// One stitch of (10, -20) in file coordinates: X = 10, Y = -20 + 128.
const std::vector<std::uint8_t> kOneStitch = {0x0A, 0x6C};

ReadResult read(const ByteBuffer& file, EmbDesign& d) {
  DesignCodec codec;
  return readPes(codec, d, file);
}

TEST(PesReader, BarePecFile) {
  EmbDesign d;
  d.hoopWidth = 130;  // left from an earlier file
  ASSERT_EQ(read(test::pecFile({{20}, kOneStitch}), d), ReadResult::Ok);
  EXPECT_EQ(d.hoopWidth, 0);
  ASSERT_EQ(d.stitches.size(), 2u);
  EXPECT_EQ(d.stitches[0], Stitch(-10, -20, true));
  EXPECT_EQ(d.stitches[1], Stitch(10, 20));
  EXPECT_EQ(d.pesVersion, 1);
  ASSERT_EQ(d.threads.size(), 1u);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_EQ(d.threads[0].rgb, pecColor(20));
}

TEST(PesReader, StitchesColorChangesAndTheClosingJump) {
  // first record long (as every writer writes it), a jump, a colour change, stitches
  const std::vector<std::uint8_t> bytes = {0x90, 0x00, 0x90, 0x00, 0x0A, 0x00, 0xA0, 0x32, 0xA0, 0x00,
                                           0x05, 0x00, 0xFE, 0xB0, 0x02, 0x00, 0x0A};
  EmbDesign d;
  ASSERT_EQ(read(test::pecFile({{20, 5}, bytes}), d), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.colorChangeCount(), 1u);
  EXPECT_EQ(test::sewnPoints(d), (std::vector<Point>{{0, 0}, {55, 0}, {55, -10}}));
}

TEST(PesReader, Failures) {
  EmbDesign d;
  ByteBuffer small(511, 0);
  std::memcpy(small.data(), "#PEC0001", 8);
  EXPECT_EQ(read(small, d), ReadResult::Failed);

  ByteBuffer other = test::pecFile({{20}, kOneStitch});
  other[1] = 'X';
  EXPECT_EQ(read(other, d), ReadResult::Failed);

  ByteBuffer beyond = test::oldPesFile("0001", {{{20}, kOneStitch}});
  beyond[8] = 0xFF;
  beyond[9] = 0xFF;
  EXPECT_EQ(read(beyond, d), ReadResult::Failed);

  EXPECT_EQ(read(test::pecFile({{20}, {}}), d), ReadResult::Failed);  // no stitches

  ByteBuffer runsPast = test::pecFile({{20}, kOneStitch});
  runsPast[8 + 514] = 0xFF;  // stitch section longer than the file
  runsPast[8 + 515] = 0xFF;
  EXPECT_EQ(read(runsPast, d), ReadResult::Failed);
}

TEST(PesReader, DesignCountZeroIsAnEmptySuccess) {
  ByteBuffer f = test::oldPesFile("0030", {{{20}, kOneStitch}});
  f[12] = 0;
  EmbDesign d;
  EXPECT_EQ(read(f, d), ReadResult::Ok);
  EXPECT_TRUE(d.stitches.empty());
}

// A horizontal stitch of 100 seen after the hoop turn of each case.
struct HoopCase {
  std::string version;
  int w, h;
  int rotation;
  int dx, dy;  // of the sewn stitch after the turn
};

TEST(PesReader, HoopTurns) {
  const std::vector<std::uint8_t> stitch = {0x90, 0x00, 0x90, 0x00, 0x80, 0x64, 0x00};
  const HoopCase cases[] = {
      {"0040", 200, 300, 1, 0, -100},   // clockwise
      {"0050", 100, 100, 0, 100, 0},
      {"0060", 180, 130, -1, 0, 100},   // counter-clockwise
      {"0040", 300, 200, 0, 100, 0},    // large hoops keep their orientation
      {"0040", 130, 50, 0, 100, 0},
      {"0040", 60, 40, 0, 100, 0},
      {"0020", 180, 130, -1, 0, 100},
      {"0020", 130, 180, 0, 100, 0},
      {"0030", 180, 130, -1, 0, 100},
  };
  for (const HoopCase& c : cases) {
    ByteBuffer f;
    if (std::stoi(c.version) >= 40) {
      NewPesSpec s;
      s.version = c.version;
      s.hoopW = c.w;
      s.hoopH = c.h;
      s.pec.stitches = stitch;
      f = test::newPesFile(s);
    } else {
      f = test::oldPesFile(c.version, {{{20}, stitch}}, c.w, c.h);
    }
    EmbDesign d;
    ASSERT_EQ(read(f, d), ReadResult::Ok) << c.version;
    EXPECT_EQ(d.hoopRotation, c.rotation) << c.version << " " << c.w << "x" << c.h;
    EXPECT_EQ(d.hoopWidth, c.w);
    EXPECT_EQ(d.hoopHeight, c.h);
    ASSERT_FALSE(d.stitches.empty());
    EXPECT_EQ(d.stitches.back().dx, c.dx) << c.version << " " << c.w << "x" << c.h;
    EXPECT_EQ(d.stitches.back().dy, c.dy);
    EXPECT_EQ(d.pesVersion, std::stoi(c.version));
  }
}

TEST(PesReader, TextsAndVersion60Offsets) {
  for (const char* version : {"0050", "0060"}) {
    NewPesSpec s;
    s.version = version;
    s.name = "Rose";
    s.category = "Flowers";
    s.author = "Ann";
    s.keywords = "red";
    s.comments = "small";
    s.hoopW = 100;
    s.hoopH = 100;
    s.threads = {{"900", 0, 0, 0, 10, "20", "EMBROIDERY", ""}};
    s.pec.stitches = kOneStitch;
    s.colorList = {0};
    EmbDesign d;
    ASSERT_EQ(read(test::newPesFile(s), d), ReadResult::Ok);
    EXPECT_EQ(d.name, "Rose");
    EXPECT_EQ(d.category, "Flowers");
    EXPECT_EQ(d.author, "Ann");
    EXPECT_EQ(d.keywords, "red");
    EXPECT_EQ(d.comments, "small");
    EXPECT_EQ(d.hoopWidth, 100);
    ASSERT_EQ(d.fileThreads.size(), 1u) << version;
    EXPECT_EQ(d.fileThreads[0].code, "900");
  }
}

struct BrandCase {
  std::string read, kept;
  std::int32_t chartCode;
};

TEST(PesReader, BrandTranslation) {
  const BrandCase cases[] = {
      {"EMBROIDERY", "Embroidery", 0x100},      {"country", "Country", 0x200},
      {"Option Color", "PES v.4 Color", 0x100}, {"Flesh Tone(EMBROIDERY)", "Flesh Tone", 0x1200},
      {"SU RAYON", "Sulky Rayon", 0x1100},      {"MA RAYON", "Madeira Rayon", 0x400},
      {"MA Polyneon", "Madeira Poly", 0x700},   {"RA RAYON", "RA Rayon", 0x1600},
      {"RA Polyester", "RA Poly", 0x1500},      {"ISACORD", "Isacord", 0x1700},
      {"GU Dekor", "Guterman Dekor", 0x1800},   {"Robison-Anton", "", 0},
  };
  for (const BrandCase& c : cases) {
    const PesBrand b = translatePesBrand(c.read);
    EXPECT_EQ(b.kept, c.kept) << c.read;
    EXPECT_EQ(b.chartCode, c.chartCode) << c.read;
  }
}

TEST(PesReader, ThreadTableRecordsAndDisplayNames) {
  NewPesSpec s;
  s.threads = {
      {"1147", 200, 0, 0, 1, "Red", "MA RAYON", "Madeira Rayon"},
      {"900", 0, 0, 0, 10, "20", "EMBROIDERY", ""},
      {"", 1, 2, 3, 11, "5", "COUNTRY", ""},
      {"102", 9, 9, 9, 2, "", "", ""},
      {"77", 4, 4, 4, 1, "", "Someone", ""},
  };
  s.pec.colors = {5, 20, 5, 64, 1};
  s.pec.stitches = {0x0A, 0x00, 0xFE, 0xB0, 0x02, 0x0A, 0x00, 0xFE, 0xB0, 0x01, 0x0A, 0x00,
                    0xFE, 0xB0, 0x02, 0x0A, 0x00, 0xFE, 0xB0, 0x01, 0x0A, 0x00};
  s.colorList = {rgbOf(200, 0, 0), rgbOf(0, 0, 0), rgbOf(1, 2, 3), rgbOf(255, 200, 200), rgbOf(4, 4, 4)};
  EmbDesign d;
  ASSERT_EQ(read(test::newPesFile(s), d), ReadResult::Ok);
  ASSERT_EQ(d.fileThreads.size(), 5u);
  const ThreadColor& ma = d.fileThreads[0];
  EXPECT_EQ(ma.brand, "Madeira Rayon");
  EXPECT_EQ(ma.chartCode, 0x400);
  EXPECT_EQ(ma.displayName, "Madeira Rayon 1147 Red");
  EXPECT_EQ(ma.threadType, 1);
  EXPECT_EQ(ma.chartName, "Madeira Rayon");
  EXPECT_EQ(d.fileThreads[1].displayName, "Black");
  EXPECT_EQ(d.fileThreads[2].displayName, "Country Red");
  EXPECT_EQ(d.fileThreads[3].chartCode, 64);
  EXPECT_EQ(d.fileThreads[3].displayName, "Applique 102");
  EXPECT_EQ(d.fileThreads[4].displayName, "Someone 77");
  EXPECT_EQ(d.fileThreads[4].attributes.getInt("threadIndex"), 4);

  ASSERT_EQ(d.threads.size(), 5u);
  EXPECT_EQ(d.threads[0].displayName, "Madeira Rayon 1147 Red");
  EXPECT_EQ(d.threads[0].rgb, rgbOf(200, 0, 0));
  EXPECT_EQ(d.threads[1].displayName, "Black");
  EXPECT_EQ(d.threads[2].displayName, "Country Red");
  // Block 3's colour is not in the table, but its palette entry is "Applique".
  EXPECT_EQ(d.threads[3].displayName, "102");
  EXPECT_EQ(d.threads[3].brand, "EMBROIDERY");
  EXPECT_EQ(d.threads[3].chartCode, 64);
  EXPECT_EQ(d.threads[3].attributes.getInt("threadIndex"), 10);
  EXPECT_EQ(d.threads[4].displayName, "Someone 77");
}

TEST(PesReader, FirstColorMissingFromTheTableKeepsPaletteColors) {
  NewPesSpec s;
  s.threads = {{"1147", 200, 0, 0, 1, "Red", "MA RAYON", ""}};
  s.pec.colors = {5};
  s.pec.stitches = kOneStitch;
  s.colorList = {rgbOf(1, 1, 1)};
  EmbDesign d;
  ASSERT_EQ(read(test::newPesFile(s), d), ReadResult::Ok);
  EXPECT_EQ(d.threads[0].rgb, pecColor(5));
  EXPECT_EQ(d.threads[0].displayName, "Red");
}

TEST(PesReader, ThreadTableFoundBehindStrayBytes) {
  NewPesSpec s;
  s.nonZeroGap = true;
  s.threads = {{"1147", 200, 10, 0, 1, "Red", "Someone", ""}, {"8", 0, 10, 0, 1, "Blue", "Someone", ""}};
  s.pec.colors = {5, 2};
  s.pec.stitches = {0x0A, 0x00, 0xFE, 0xB0, 0x02, 0x0A, 0x00};
  s.colorList = {rgbOf(200, 10, 0), rgbOf(0, 10, 0)};
  EmbDesign d;
  ASSERT_EQ(read(test::newPesFile(s), d), ReadResult::Ok);
  ASSERT_EQ(d.fileThreads.size(), 2u);
  EXPECT_EQ(d.fileThreads[1].displayName, "Someone 8 Blue");
  EXPECT_EQ(d.threads[1].rgb, rgbOf(0, 10, 0));
}

TEST(PesReader, MultiDesignPlacement) {
  // Two designs of one stitch each; the first placed above (0), the second below (2).
  const std::vector<std::uint8_t> stitch = {0x90, 0x00, 0x90, 0x00, 0x0A, 0x00};
  ByteBuffer f = test::oldPesFile("0030", {{{20}, stitch, 0}, {{5}, stitch, 2}});
  EmbDesign d;
  ASSERT_EQ(read(f, d), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.colorChangeCount(), 1u);
  // Both designs start at their block origin; the second sits 1200 below the first.
  EXPECT_EQ(test::sewnPoints(d), (std::vector<Point>{{0, 0}, {0, -1200}}));
}

}  // namespace
}  // namespace lh
