#include "formats/format_table.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/support/design_builder.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::colourChange;
using test::jump;
using test::makeDesign;
using test::st;

TEST(FormatTable, ViewedTypesFollowTheFlags) {
  MemorySettings settings;
  const std::vector<std::string> all = {"PES", "PEC", "PHC", "PHB", "PHD",  "HUS", "PCS", "TXT",
                                        "BMP", "DST", "SEW", "JEF", "JEF+", "XXX", "EXP", "EMD",
                                        "VIP", "SHV", "ART", "EMB", "JAN",  "VP3"};
  EXPECT_EQ(viewedTypes(settings), all);
  // One flag covers PEC, PHC, PHB and PHD, another JEF and JEF+; the VIP key is spelt "View vip".
  settings.setInt("Settings", "View Pec", 0);
  settings.setInt("Settings", "View Jef", 0);
  settings.setInt("Settings", "View vip", 0);
  settings.setInt("Settings", "View Bmp", 0);
  EXPECT_EQ(viewedTypes(settings),
            (std::vector<std::string>{"PES", "HUS", "PCS", "TXT", "DST", "SEW", "XXX", "EXP", "EMD", "SHV",
                                      "ART", "EMB", "JAN", "VP3"}));
}

TEST(FormatTable, LookUps) {
  ASSERT_NE(findFormat("DST"), nullptr);
  EXPECT_EQ(findFormat("dst"), findFormat("Dst"));
  EXPECT_EQ(findFormat("JEF+")->code, FormatJef);
  EXPECT_EQ(findFormat(FormatJef)->type, "Jef");
  EXPECT_EQ(findFormat("jef")->code, FormatJef);
  EXPECT_EQ(findFormat("doc"), nullptr);
  EXPECT_EQ(findFormat(""), nullptr);
  EXPECT_EQ(formatOfPath("Zip:/a/b.zip:dir/rose.exp"), findFormat("exp"));
  EXPECT_EQ(formatOfPath("/a.dst/rose"), nullptr);
  EXPECT_EQ(findFormat("txt")->kind, FormatKind::Text);
  EXPECT_EQ(findFormat("bmp")->kind, FormatKind::Picture);
  EXPECT_EQ(lowerExtension(*findFormat("Jef+")), "jef+");

  // Every type name and every code appears once; a writable type is a design type with a title.
  std::set<std::string> names;
  for (const FormatInfo& f : formatTable()) {
    EXPECT_TRUE(names.insert(lowerExtension(f)).second) << f.type;
    if (f.writer != nullptr) {
      EXPECT_EQ(f.kind, FormatKind::Design) << f.type;
      EXPECT_FALSE(f.title.empty()) << f.type;
      EXPECT_EQ(findFormat(f.code), &f) << f.type;
    }
  }
  EXPECT_GE(writableFormats().size(), 2u);
}

// Every writable format: written, read back, and sewing the same stitches in the same
// colour blocks. A writer is covered from the day its row names it.
class WritableFormat : public ::testing::TestWithParam<const FormatInfo*> {};

TEST_P(WritableFormat, RoundTrips) {
  const FormatInfo& f = *GetParam();
  ASSERT_NE(f.reader, nullptr) << f.type << " is writable but has no reader";
  test::TempDir dir;
  DesignCodec codec;
  EmbDesign d = makeDesign({st(30, 0), st(0, 30), st(-30, 0), jump(60, 60), st(20, -20), colourChange(),
                            st(10, 10), st(-25, 5), st(5, 40)},
                           {0x0000FF, 0x00FF00});
  d.path = dir.file("round." + lowerExtension(f));
  // The first stitch after a jump or a colour change may fold into the jump a format writes
  // there (the readers merge a jump with the record after it).
  std::vector<std::pair<Point, bool>> want;
  {
    int x = 0, y = 0;
    bool optional = false;
    for (const Stitch& s : d.stitches) {
      x += s.dx;
      y += s.dy;
      if (s.isJump() || s.isColorChange()) {
        optional = true;
        continue;
      }
      want.push_back({{x, y}, optional});
      optional = false;
    }
    const Point origin = want.front().first;
    for (auto& [p, optional] : want) p = {p.x - origin.x, p.y - origin.y};
  }
  EmbDesign copy(d);
  const auto image = writeAs(codec, copy, f.code);
  ASSERT_TRUE(image) << f.type;
  EmbDesign back;
  back.path = d.path;
  ASSERT_NE(f.reader(codec, back, *image), kReadFailed) << f.type;
  EXPECT_EQ(back.colorChangeCount(), 1u) << f.type;
  // Writers may add needle penetrations (at the start, at jump ends), and a format that
  // starts with a move to the first needle position may take the first stitch for it: every
  // other original point comes back in order.
  const auto got = test::sewnPoints(back);
  bool found = false;
  for (std::size_t first = 0; first < std::min<std::size_t>(want.size(), 2) && !found; ++first) {
    for (std::size_t anchor = 0; anchor < std::min<std::size_t>(got.size(), 4) && !found; ++anchor) {
      const int tx = got[anchor].x - want[first].first.x, ty = got[anchor].y - want[first].first.y;
      // Each wanted point at its earliest place after the previous one; an optional point
      // that never comes is passed over.
      std::size_t j = anchor;
      found = true;
      for (std::size_t w = first; w < want.size(); ++w) {
        const auto& [p, optional] = want[w];
        std::size_t k = j;
        while (k < got.size() && !(got[k].x - tx == p.x && got[k].y - ty == p.y)) ++k;
        if (k < got.size()) {
          j = k + 1;
        } else if (!optional) {
          found = false;
          break;
        }
      }
    }
  }
  EXPECT_TRUE(found) << f.type << ": the points read back differ from those written";

  EmbDesign empty;
  EXPECT_FALSE(writeAs(codec, empty, f.code)) << f.type;
}

INSTANTIATE_TEST_SUITE_P(Formats, WritableFormat, ::testing::ValuesIn(writableFormats()),
                         [](const auto& info) {
                           std::string name(info.param->type);
                           for (char& c : name)
                             if (c == '+') c = 'P';
                           return name;
                         });

}  // namespace
}  // namespace lh
