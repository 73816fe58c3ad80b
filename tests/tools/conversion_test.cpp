#include "tools/conversion.h"

#include <gtest/gtest.h>

#include "tests/tools/tool_fixtures.h"
#include "formats/format_table.h"
#include "formats/hus_vip.h"
#include "formats/jef_sew.h"
#include "formats/pes_writer.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::jump;
using test::sampleDesign;
using test::st;

class Conversion : public ::testing::Test {
 protected:
  ConversionContext context() {
    ConversionContext ctx = ConversionContext::fromSettings(settings, &codec);
    return ctx;
  }
  // A loaded-looking design at dir/name.
  EmbDesign at(EmbDesign d, std::string_view name) {
    d.path = dir / name;
    d.sourcePath = d.path;
    return d;
  }
  // Loads a written file with our readers.
  EmbDesign load(const std::string& path) {
    EmbDesign d;
    codec.busyCount.fetch_add(1);
    EXPECT_EQ(codec.loadDesign(&d, path), LoadResult::Ok) << path;
    return d;
  }

  test::ScratchDir dir;
  MemorySettings settings;
  DesignCodec codec{&settings};
  ToolReport report;
  std::vector<std::string> created;
};

TEST_F(Conversion, WriteDesignBufferDispatch) {
  EmbDesign d = at(sampleDesign(100, 100), "rose.pes");
  const auto dst = writeDesignBuffer(codec, d, FormatDst);
  ASSERT_TRUE(dst.has_value());
  EXPECT_EQ(d.path, dir / "rose.dst");
  EXPECT_FALSE(writeDesignBuffer(codec, d, FormatTxt).has_value());
  for (const char* name : {"rose.bmp", "rose.txt", "rose.abc", "rose"}) {
    EmbDesign other = at(sampleDesign(100, 100), name);
    EXPECT_FALSE(writeDesignBuffer(codec, other, FormatDst).has_value()) << name;
    EXPECT_EQ(other.path, replaceExtension(dir / name, "dst"));
  }
  EmbDesign empty = at(EmbDesign{}, "rose.pes");
  EXPECT_FALSE(writeDesignBuffer(codec, empty, FormatDst).has_value());
}

TEST_F(Conversion, SameFormatWritesOnlyWhenForced) {
  EmbDesign d = at(sampleDesign(100, 100), "rose.dst");
  EXPECT_EQ(convertDesign(d, &created, FormatDst, false, context(), report), 0);
  EXPECT_TRUE(dir.files().empty());
  settings.setInt("Settings", "Tools selected", FormatDst);
  EXPECT_EQ(convertDesign(d, &created, -1, false, context(), report), 0);
  settings.setInt("Settings", "Tools keep", 1);
  EXPECT_EQ(convertDesign(d, &created, -1, false, context(), report), 0);
  EXPECT_EQ(convertDesign(d, &created, -1, true, context(), report), 1);
  EXPECT_EQ(created, std::vector<std::string>{dir / "rose.dst"});
  EXPECT_TRUE(report.empty());
}

TEST_F(Conversion, TooBigIsReportedAndNothingWritten) {
  struct Case {
    int format, w, h;
  };
  // 150 x 350 mm to PES, 220 x 290 mm to JEF, 120 x 100 mm to SEW with 10 %: refused before
  // any writer runs.
  const Case cases[] = {{FormatPes, 1500, 3500}, {FormatJef, 2200, 2900}, {FormatSew, 1200, 1000}};
  for (const Case& c : cases) {
    EmbDesign d = at(sampleDesign(c.w, c.h), "big.dst");
    ToolReport r;
    EXPECT_EQ(convertDesign(d, &created, c.format, false, context(), r), 0);
    EXPECT_EQ(r.text(), dir / "big.dst is too big for the new format.\r\n");
  }
  EXPECT_TRUE(dir.files().empty());
}

TEST_F(Conversion, ShrunkToFitTheSewHoop) {
  settings.setInt("Conversion", "sewshpct", 11);
  EmbDesign d = at(sampleDesign(1200, 1000), "wide.dst");
  EXPECT_EQ(convertDesign(d, &created, FormatSew, false, context(), report), 1);
  EXPECT_TRUE(report.empty());
  const EmbDesign back = load(dir / "wide.sew");
  EXPECT_LE(back.width(), 1260);
  EXPECT_LE(back.height(), 900);
}

TEST_F(Conversion, TurnedToFitTheXxxHoop) {
  EmbDesign d = at(sampleDesign(2300, 1300), "wide.dst");
  EXPECT_EQ(convertDesign(d, &created, FormatXxx, false, context(), report), 1);
  EXPECT_EQ(d.fitRotation, 1);
  const EmbDesign back = load(dir / "wide.xxx");
  EXPECT_LE(back.width(), 1400);
  EXPECT_LE(back.height(), 2400);
  EXPECT_GT(back.height(), back.width());
}

TEST_F(Conversion, SplitPartsAreNamedInSewingOrder) {
  // 100 colour blocks, at most 78 per file: Name.dst (78) and Name(2).dst (22); the same
  // with JEF's own limit.
  settings.setInt("Conversion", "dstsc", 1);
  settings.setInt("Conversion", "dstnc", 78);
  EmbDesign d = at(sampleDesign(500, 500, 100), "Name.pes");
  EXPECT_EQ(convertDesign(d, &created, FormatDst, false, context(), report), 2);
  EXPECT_EQ(created, (std::vector<std::string>{dir / "Name.dst", dir / "Name(2).dst"}));
  EXPECT_EQ(load(dir / "Name.dst").colorChangeCount(), 77u);
  EXPECT_EQ(load(dir / "Name(2).dst").colorChangeCount(), 21u);
  // Converting again does not touch them: the parts go on from Name(3).
  created.clear();
  EmbDesign again = at(sampleDesign(500, 500, 100), "Name.pes");
  EXPECT_EQ(convertDesign(again, &created, FormatDst, false, context(), report), 2);
  EXPECT_EQ(created, (std::vector<std::string>{dir / "Name(3).dst", dir / "Name(4).dst"}));
  created.clear();
  EmbDesign jef = at(sampleDesign(500, 500, 100), "Name.pes");
  EXPECT_EQ(convertDesign(jef, &created, FormatJef, false, context(), report), 2);
  EXPECT_EQ(created, (std::vector<std::string>{dir / "Name.jef", dir / "Name(2).jef"}));
  EXPECT_EQ(load(dir / "Name.jef").threads.size(), 78u);
  EXPECT_EQ(load(dir / "Name(2).jef").threads.size(), 22u);
  EXPECT_TRUE(report.empty());
}

TEST_F(Conversion, JumpRunsOfDstSourcesAreMerged) {
  const std::initializer_list<Stitch> records{jump(10, 0), jump(10, 0), jump(10, 0), st(5, 5), st(5, 5), st(5, 5)};
  for (int target : {FormatPes, FormatDst}) {
    EmbDesign d = at(test::makeDesign(records), "run.dst");
    ToolReport r;
    prepareConversion(d, target, true, context(), r);
    std::size_t jumps = 0;
    for (const Stitch& s : d.stitches) jumps += s.isJump();
    // Centring adds its move to the first jump; merging folds the run (and one stitch).
    EXPECT_EQ(jumps, target == FormatDst ? 3u : 1u) << target;
  }
}

TEST_F(Conversion, ChartCodesAreClearedOnAFormatChange) {
  EmbDesign d = at(sampleDesign(100, 100), "rose.dst");
  d.threads[0].chartCode = 0x400;
  prepareConversion(d, FormatDst, true, context(), report);
  EXPECT_EQ(d.threads[0].chartCode, 0x400);
  prepareConversion(d, FormatExp, false, context(), report);
  EXPECT_EQ(d.threads[0].chartCode, 0);
}

TEST_F(Conversion, NotesAndPreviewNeverOverwrite) {
  for (int i = 0; i < 2; ++i) {
    EmbDesign d = at(sampleDesign(300, 200, 2), "rose.pes");
    EXPECT_EQ(convertDesign(d, &created, FormatTxt, false, context(), report), 1);
  }
  EmbDesign p = at(sampleDesign(300, 200, 2), "rose.pes");
  EXPECT_EQ(convertDesign(p, &created, FormatBmp, false, context(), report), 1);
  EXPECT_EQ(created, (std::vector<std::string>{dir / "rose.txt", dir / "rose(2).txt", dir / "rose.bmp"}));
  const auto text = test::readAll(dir / "rose.txt");
  EXPECT_EQ(std::string(text.begin(), text.end()).substr(0, dir.path().size() + 11), dir / "rose.pes\r\n");
  EXPECT_EQ(test::readAll(dir / "rose.bmp")[0], 'B');
}

TEST_F(Conversion, UnwritableSourcesCouldNotBeConverted) {
  EmbDesign unknown = at(sampleDesign(100, 100), "rose.abc");
  EXPECT_EQ(convertDesign(unknown, &created, FormatDst, false, context(), report), 0);
  EmbDesign empty = at(EmbDesign{}, "none.pes");
  EXPECT_EQ(convertDesign(empty, &created, FormatDst, false, context(), report), 0);
  // Keeping the format of a type without a writer.
  settings.setInt("Settings", "Tools keep", 1);
  EmbDesign emd = at(sampleDesign(100, 100), "old.emd");
  EXPECT_EQ(convertDesign(emd, &created, -1, true, context(), report), 0);
  // Each line names the design's own file, not the one that would have been written.
  EXPECT_EQ(report.text(), dir / "rose.abc could not be converted.\r\n" + dir / "none.pes could not be converted.\r\n" +
                               dir / "old.emd could not be converted.\r\n");
  EXPECT_TRUE(dir.files().empty());
}

TEST_F(Conversion, FailuresNameTheSourceAndTheirCause) {
  settings.setInt("Conversion", "jefr", 0);
  const struct {
    const char* name;
    EmbDesign design;
    int target;
    ConversionStatus status;
    FailureCause cause;
  } cases[] = {
      {"rose.abc", sampleDesign(100, 100), FormatDst, ConversionStatus::NotConvertible, FailureCause::NotADesign},
      {"none.pes", EmbDesign{}, FormatDst, ConversionStatus::NotConvertible, FailureCause::NoRecords},
      {"bare.dst", sampleDesign(100, 100), FormatHus, ConversionStatus::NotConvertible, FailureCause::NoColors},
      {"c1_Star.EMB", sampleDesign(3100, 200), FormatJef, ConversionStatus::TooBig, FailureCause::TooBig},
  };
  for (auto& c : cases) {
    EmbDesign d = at(EmbDesign(c.design), c.name);
    if (std::string_view(c.name) == "bare.dst") d.threads.clear();
    ToolReport r;
    PreparedConversion p = prepareConversion(d, c.target, false, context(), r);
    EXPECT_EQ(saveConversion(p, &created, context(), r), c.status) << c.name;
    EXPECT_EQ(p.failure.cause, c.cause) << c.name;
    EXPECT_EQ(p.failure.target, c.target) << c.name;
    const std::string line = c.status == ConversionStatus::TooBig ? " is too big for the new format.\r\n"
                                                                 : " could not be converted.\r\n";
    EXPECT_EQ(r.text(), dir / c.name + line);
  }
  // The hoop and the design's size come with a design too big.
  EmbDesign wide = at(sampleDesign(3100, 200), "wide.dst");
  PreparedConversion p = prepareConversion(wide, FormatJef, false, context(), report);
  EXPECT_EQ(p.failure.hoopWidth, 200);
  EXPECT_EQ(p.failure.hoopHeight, 200);
  EXPECT_EQ(p.failure.width, 3100);
  EXPECT_EQ(p.failure.height, 200);
  EXPECT_TRUE(dir.files().empty());
}

// A design with more colours than a format holds is split into files each within the limit,
// with colour splitting switched off as well; no colour is lost.
TEST_F(Conversion, ColorsBeyondTheFormatsLimitAreSplit) {
  const struct {
    FormatCode format;
    std::size_t limit;
  } cases[] = {{FormatHus, kMaxHusColors}, {FormatVip, kMaxVipColors}, {FormatSew, kSewMaxColors},
               {FormatJef, kJanomeMaxColors}, {FormatPes, kPesMaxBlocksV5}};
  for (const auto& c : cases) {
    const std::string ext = lowerExtension(*findFormat(c.format));
    EXPECT_EQ(findFormat(c.format)->maxColors, c.limit) << ext;
    settings.setInt("Conversion", ext + "sc", 0);
    const int colors = static_cast<int>(c.limit) + 20;
    EmbDesign d = at(sampleDesign(200, 200, colors), "many" + ext + ".dst");
    std::vector<std::string> parts;
    ToolReport r;
    const int pieces = (colors + static_cast<int>(c.limit) - 1) / static_cast<int>(c.limit);
    EXPECT_EQ(convertDesign(d, &parts, c.format, false, context(), r), pieces) << ext;
    EXPECT_TRUE(r.empty()) << r.text();
    std::size_t blocks = 0;
    for (const std::string& part : parts) {
      const EmbDesign back = load(part);
      EXPECT_LE(back.threads.size(), c.limit) << part;
      EXPECT_EQ(back.colorChangeCount() + 1, back.threads.size()) << part;
      blocks += back.threads.size();
    }
    EXPECT_EQ(blocks, static_cast<std::size_t>(colors)) << ext;
  }
}

TEST_F(Conversion, SavingTellsHowItEnded) {
  // Each failure comes with its report line, and only a failure does.
  struct Case {
    const char* name;
    EmbDesign design;
    int target;
    ConversionStatus status;
  };
  const Case cases[] = {
      {"same format", at(sampleDesign(100, 100), "rose.dst"), FormatDst, ConversionStatus::Unchanged},
      {"converted", at(sampleDesign(100, 100), "rose.dst"), FormatExp, ConversionStatus::Saved},
      {"split into parts", at(sampleDesign(500, 500, 100), "many.pes"), FormatJef, ConversionStatus::Saved},
      {"too big", at(sampleDesign(4000, 100), "huge.dst"), FormatExp, ConversionStatus::TooBig},
      {"no writer for the source", at(sampleDesign(100, 100), "rose.abc"), FormatDst, ConversionStatus::NotConvertible},
      {"no folder to save in", at(sampleDesign(100, 100), "gone/rose.dst"), FormatExp, ConversionStatus::NotSaved},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmbDesign d = c.design;
    ToolReport r;
    PreparedConversion p = prepareConversion(d, c.target, false, context(), r);
    const ConversionStatus status = saveConversion(p, nullptr, context(), r);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(isFailure(status), !r.empty()) << r.text();
  }
}

TEST_F(Conversion, ZipMembersAreSavedIntoTheirArchive) {
  const std::string archive = dir / "designs.zip";
  ASSERT_TRUE(ZipArchive::writeMember(archive, "in/rose.exp", std::vector<std::uint8_t>{1, 2, 3}));
  for (int i = 0; i < 2; ++i) {
    EmbDesign d = at(sampleDesign(100, 100), "x");
    d.path = makeZipPath(archive, "in/rose.exp");
    EXPECT_EQ(convertDesign(d, &created, FormatDst, false, context(), report), 1);
  }
  EXPECT_EQ(created, (std::vector<std::string>{makeZipPath(archive, "in/rose.dst"), makeZipPath(archive, "in/rose(2).dst")}));
  EXPECT_EQ(ZipArchive::listMembers(archive).size(), 3u);
  EXPECT_EQ(load(created[1]).stitches.empty(), false);
}

TEST(ConversionPaths, TitlesAndFolders) {
  EXPECT_EQ(appendToTitle("/a/rose.pes", " Sorted"), "/a/rose Sorted.pes");
  EXPECT_EQ(appendToTitle("/a/rose", "+Baste"), "/a/rose+Baste");
  EXPECT_EQ(appendToTitle("Zip:/a/b.zip:dir/rose.pes", " Fixed"), "Zip:/a/b.zip:dir/rose Fixed.pes");
  EXPECT_EQ(appendToTitle("Zip:/a/b.zip:rose", " Fixed"), "Zip:/a/b.zip:rose Fixed");
  EXPECT_EQ(fileNameOf("Zip:/a/b.zip:dir/rose.pes"), "rose.pes");
  EXPECT_EQ(pathInFolder("/tmp/w", "/a/rose.pes"), "/tmp/w/rose.pes");
  EXPECT_EQ(pathInFolder("/tmp/w/", "Zip:/a/b.zip:dir/rose.pes"), "/tmp/w/rose.pes");
  EXPECT_EQ(pathInFolder("/tmp/w", "Zip:/a/b.zip:dir/.."), "/tmp/w/design");
}

TEST_F(Conversion, OpeningConvertsIntoTheTemporaryFolder) {
  test::ScratchDir temp;
  const std::string source = dir / "rose.exp";
  {
    EmbDesign d = sampleDesign(100, 100);
    d.path = source;
    const auto image = writeAs(codec, d, FormatExp);
    ASSERT_TRUE(image.has_value());
    test::writeAll(source, std::string(image->begin(), image->end()));
  }
  settings.setInt("Settings", "Tools selected", FormatDst);
  OnTheFly r = convertForOpening(source, temp.path(), context(), report);
  EXPECT_EQ(r.openPath, temp / "rose.dst");
  EXPECT_EQ(r.temporaries, std::vector<std::string>{temp / "rose.dst"});
  // Already the tool format, or "Tools keep": opened as it is.
  settings.setInt("Settings", "Tools selected", FormatExp);
  EXPECT_EQ(convertForOpening(source, temp.path(), context(), report).openPath, source);
  settings.setInt("Settings", "Tools selected", FormatDst);
  settings.setInt("Settings", "Tools keep", 1);
  EXPECT_TRUE(convertForOpening(source, temp.path(), context(), report).temporaries.empty());
}

}  // namespace
}  // namespace lh
