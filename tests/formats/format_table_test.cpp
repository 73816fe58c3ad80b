#include "formats/format_table.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/support/design_builder.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::colorChange;
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
  EXPECT_EQ(findFormat("doc"), nullptr);
  EXPECT_EQ(findFormat(""), nullptr);
  EXPECT_EQ(findFormat(FormatNone), nullptr);
  EXPECT_EQ(formatOfPath("Zip:/a/b.zip:dir/rose.exp"), findFormat("exp"));
  EXPECT_EQ(formatOfPath("/a.dst/rose"), nullptr);
  EXPECT_EQ(lowerExtension(*findFormat("Jef+")), "jef+");
}

// What each type is, as the load dispatcher, conversion (source codes and the types converted
// as another one), the hoop look-up, the on-the-fly opening and the colour exchange know it;
// writable types with their format-list title and "Convert to" menu text.
struct Expected {
  const char* type;
  int code, source, hoop, open;
  MachinePalette palette;
  BrandCharts charts;
  const char* title = "";
  const char* menu = "";
};

using enum MachinePalette;
constexpr BrandCharts kNone = BrandCharts::None;

const Expected kExpected[] = {
    {"Pes", 0, 0, 0, 0, Pec, BrandCharts::Pes, ".PES (Quenby/Brother/Bernina Deco)",
     ".PES (Quenby/Brother/Bernina)"},
    {"Pec", 11, 0, 11, 11, Pec, kNone},
    {"Phc", 10, 0, 10, 10, Pec, kNone},
    {"Phb", 14, 0, 10, 10, Pec, kNone},
    {"Phd", 15, 0, 10, 10, Pec, kNone},
    {"Hus", 3, 3, 3, 3, Husqvarna, kNone, ".HUS (Husqvarna Viking)", ".HUS (Husqvarna Viking)"},
    {"Pcs", 4, 4, 4, 4, Windows, kNone, ".PCS (Pfaff)", ".PCS (Pfaff)"},
    {"Txt", 17, 17, 17, 17, None, kNone},
    {"Bmp", 16, 16, 16, 16, None, kNone},
    {"Dst", 5, 5, 5, 5, Husqvarna, kNone, ".DST (Tajima)", ".DST (Tajima)"},
    {"Sew", 1, 1, 1, 1, Janome, kNone, ".SEW (Elna/Janome-New Home/Kenmore)", ".SEW (Elna/Janome/Kenmore)"},
    {"Jef", 2, 2, 2, 2, Janome, kNone, ".JEF (Janome-New Home)", ".JEF (Janome)"},
    {"Jef+", 2, 2, 2, 2, Janome, kNone},
    {"Xxx", 6, 6, 6, 6, SulkyRayonXxx, kNone, ".XXX (Singer)", ".XXX (Singer PSW/Compucon)"},
    {"Exp", 7, 7, 7, 7, Husqvarna, kNone, ".EXP (Melco Expanded)", ".EXP (Melco Expanded)"},
    {"Emd", 12, 12, 12, 12, Pec, kNone},
    {"Vip", 8, 8, 8, 8, RaPoly, BrandCharts::Vip, ".VIP (Husqvarna Viking/Pfaff)",
     ".VIP (Husqvarna Viking/Pfaff)"},
    {"Shv", 13, 8, 13, 13, Husqvarna, kNone},
    {"Art", 19, 0, 7, 19, Pec, kNone},
    {"Emb", 20, 0, 7, 20, Pec, kNone},
    {"Jan", 21, 2, 2, 21, Pec, kNone},
    {"Vp3", 9, 9, 9, 9, RaPoly, BrandCharts::Vp3, ".VP3 (Husqvarna Viking/Pfaff)",
     ".VP3 (Husqvarna Viking / Pfaff"},
};

TEST(FormatTable, RowsHoldTheirTypesFacts) {
  const auto table = formatTable();
  ASSERT_EQ(table.size(), std::size(kExpected));
  for (std::size_t i = 0; i < table.size(); ++i) {
    const FormatInfo& f = table[i];
    const Expected& e = kExpected[i];
    SCOPED_TRACE(e.type);
    EXPECT_EQ(f.type, e.type);
    EXPECT_EQ(f.code, e.code);
    EXPECT_EQ(f.convertsAs, e.source);
    EXPECT_EQ(f.hoopCode, e.hoop);
    EXPECT_EQ(f.openCode, e.open);
    EXPECT_EQ(f.colors.palette, e.palette);
    EXPECT_EQ(f.colors.charts, e.charts);
    EXPECT_EQ(f.title, e.title);
    EXPECT_EQ(f.menuText, e.menu);
  }
}

// What the rows must agree on among themselves and with the look-ups built on them.
TEST(FormatTable, RowsAgree) {
  std::set<std::string> names;
  std::set<int> writable;
  for (const FormatInfo& f : formatTable()) {
    const std::string ext = lowerExtension(f);
    SCOPED_TRACE(ext);
    EXPECT_TRUE(names.insert(ext).second);
    // Each extension finds its row, in any case and inside an archive.
    EXPECT_EQ(findFormat(ext), &f);
    EXPECT_EQ(formatOfPath("Zip:/a/b.zip:in/rose." + std::string(f.type)), &f);
    EXPECT_EQ(hoopFormatCode("/d/rose." + ext), f.hoopCode);
    EXPECT_EQ(openFormatCode("/d/rose." + ext), f.openCode);
    // A row sharing its code with an earlier one is another spelling of the same type.
    const FormatInfo* first = findFormat(f.code);
    EXPECT_TRUE(first == &f ||
                (first->reader == f.reader && first->viewKey == f.viewKey && f.writer == nullptr));
    // Every code the row hands on names a known type; a type converted as another one is
    // converted as a writable design type.
    EXPECT_NE(findFormat(f.hoopCode), nullptr);
    EXPECT_NE(findFormat(f.openCode), nullptr);
    EXPECT_NE(findFormat(f.convertsAs), nullptr);
    if (f.convertsAs != f.code) {
      EXPECT_NE(findFormat(f.convertsAs)->writer, nullptr);
    }

    if (f.writer != nullptr) {
      writable.insert(f.code);
      EXPECT_EQ(f.kind, FormatKind::Design);
      EXPECT_NE(f.reader, nullptr);
      EXPECT_EQ(first, &f);
      EXPECT_EQ(f.convertsAs, f.code);
      // Title and menu text name the extension; the conversion defaults are there.
      const std::string dotted = "." + formatName(f.code);
      EXPECT_EQ(f.title.substr(0, dotted.size()), dotted);
      EXPECT_EQ(f.menuText.substr(0, dotted.size()), dotted);
      EXPECT_EQ(formatMenuText(f.code), f.menuText);
      EXPECT_EQ(formatExtension(f.code), "." + ext);
      EXPECT_EQ(formatCodeOfName(ext), f.code);
      EXPECT_GT(f.defaults.w, 0);
      EXPECT_GT(f.defaults.h, 0);
    } else {
      EXPECT_TRUE(f.title.empty());
      EXPECT_TRUE(f.menuText.empty());
      EXPECT_EQ(f.defaults, ConversionDefaults{});
    }
  }
  // Ten writable formats, codes 0 to 9.
  EXPECT_EQ(writableFormats().size(), 10u);
  EXPECT_EQ(writable, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (int code = 0; code < kWritableFormats; ++code) EXPECT_TRUE(writable.contains(code)) << code;
}

TEST(FormatTable, SourceCodesRelabelThePath) {
  struct Case {
    const char* path;
    int code;
    const char* relabelled;
  };
  const Case cases[] = {
      {"/d/rose.pes", FormatPes, "/d/rose.pes"},     {"/d/ROSE.PEC", FormatPes, "/d/ROSE.PES"},
      {"/d/rose.phb", FormatPes, "/d/rose.PES"},     {"/d/rose.Art", FormatPes, "/d/rose.PES"},
      {"/d/rose.emb", FormatPes, "/d/rose.PES"},     {"/d/rose.shv", FormatVip, "/d/rose.VIP"},
      {"/d/rose.jan", FormatJef, "/d/rose.JEF"},     {"/d/rose.jef+", FormatJef, "/d/rose.jef+"},
      {"/d/rose.Vp3", FormatVp3, "/d/rose.Vp3"},     {"/d/rose.emd", FormatEmd, "/d/rose.emd"},
      {"/d/rose.txt", FormatTxt, "/d/rose.txt"},     {"/d/rose.zip", FormatNone, "/d/rose.zip"},
      {"/d.x/rose", FormatNone, "/d.x/rose"},        {"Zip:/a/b.zip:in/rose.phc", FormatPes, "Zip:/a/b.zip:in/rose.PES"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    EXPECT_EQ(sourceFormatCode(path), c.code) << c.path;
    EXPECT_EQ(path, c.relabelled) << c.path;
  }
  EXPECT_EQ(hoopFormatCode("/x/a.zip"), FormatNone);
  EXPECT_EQ(openFormatCode("/x/a"), FormatNone);
}

TEST(FormatTable, ExtensionsAndNames) {
  EXPECT_EQ(replaceExtension("/a/rose.pes", "dst"), "/a/rose.dst");
  EXPECT_EQ(replaceExtension("/a/rose", "dst"), "/a/rose.dst");
  EXPECT_EQ(replaceExtension("/a/rose.", "dst"), "/a/rose.dst");
  EXPECT_EQ(replaceExtension("/a.b/rose", "dst"), "/a.b/rose.dst");
  // The companion outputs are targets too; types that are only read are not.
  EXPECT_EQ(formatExtension(FormatTxt), ".txt");
  EXPECT_EQ(formatName(FormatBmp), "BMP");
  EXPECT_EQ(formatExtension(FormatPhc), "");
  EXPECT_EQ(formatName(-1), "");
  EXPECT_EQ(formatMenuText(FormatTxt), "");
  EXPECT_EQ(formatCodeOfName(".BMP"), FormatBmp);
  EXPECT_EQ(formatCodeOfName("Txt"), FormatTxt);
  EXPECT_EQ(formatCodeOfName("pec"), FormatNone);
  EXPECT_EQ(formatCodeOfName("jef+"), FormatNone);
  EXPECT_EQ(formatCodeOfName(""), FormatNone);
}

// The colour exchange takes palette and charts from the row of the design's extension.
TEST(FormatTable, ColorsFollowThePath) {
  struct Case {
    const char* path;
    std::size_t entries;
  } cases[] = {{"/a/b.PEC", 66}, {"b.JEF+", 79}, {"b.shv", 29}, {"b.txt", 0}, {"noext", 0}};
  for (const auto& c : cases) {
    EmbDesign d;
    d.path = c.path;
    d.threads.resize(3);
    machinePalette(d);
    EXPECT_EQ(d.threads.size(), c.entries) << c.path;
    offeredCharts(d);
    EXPECT_EQ(d.threads.size(), c.entries) << c.path;
  }
  EmbDesign d;
  d.path = "x.Vip";
  offeredCharts(d);
  EXPECT_EQ(d.threads.size(), 9u + 2145u);
  MemorySettings pes5Off;
  pes5Off.setInt("Conversion", "pes5", 0);
  d.path = "x.pes";
  offeredCharts(d, pes5Off);
  EXPECT_EQ(d.threads.size(), 66u);
}

// Every writable format: written, read back, and sewing the same stitches in the same
// colour blocks. A writer is covered from the day its row names it.
class WritableFormat : public ::testing::TestWithParam<const FormatInfo*> {};

TEST_P(WritableFormat, RoundTrips) {
  const FormatInfo& f = *GetParam();
  ASSERT_NE(f.reader, nullptr) << f.type << " is writable but has no reader";
  test::TempDir dir;
  DesignCodec codec;
  EmbDesign d = makeDesign({st(30, 0), st(0, 30), st(-30, 0), jump(60, 60), st(20, -20), colorChange(),
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
  ASSERT_NE(f.reader(codec, back, *image), ReadResult::Failed) << f.type;
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
