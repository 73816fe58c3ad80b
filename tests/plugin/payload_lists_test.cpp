// The payloads around the design payload: several designs, a whole file, the file-type list,
// the colour lists with their chart headers, and the chart groups a plug-in reads from them.
#include <gtest/gtest.h>

#include "design/settings.h"
#include "plugin/payload.h"
#include "tests/plugin/payload_bytes.h"
#include "tests/support/design_builder.h"
#include "threads/offered_charts.h"

namespace lh {
namespace {

using test::PayloadBytes;

std::vector<EmbDesign> threeDesigns() {
  std::vector<EmbDesign> designs;
  designs.push_back(test::makeDesign({test::jump(1, 2), test::st(3, 4)}));
  designs.back().path = "/d/one.pes";
  designs.push_back(EmbDesign());  // nothing to send: left out
  designs.push_back(test::makeDesign({test::st(5, 6), test::colorChange(), test::st(-7, 8)}));
  designs.back().path = "/d/two.jef";
  return designs;
}

TEST(MultiPayload, CountsSizesAndDesignsByteExact) {
  const std::vector<EmbDesign> designs = threeDesigns();
  const MultiPayloadBlock block = writeMultiPayload(designs);
  EXPECT_EQ(block.count, 2);
  const ByteBuffer one = *writeDesignPayload(designs[0], PayloadSide::Host);
  const ByteBuffer two = *writeDesignPayload(designs[2], PayloadSide::Host);
  EXPECT_EQ(block.bytes, PayloadBytes().i32(2).i32(one.size()).bytes(one).i32(two.size()).bytes(two).take());

  const MultiPayload back = readMultiPayload(block.bytes);
  EXPECT_EQ(back.status, PayloadRead::Whole);
  ASSERT_EQ(back.designs.size(), 2u);
  EXPECT_EQ(back.designs[0].path, "/d/one.pes");
  EXPECT_EQ(back.designs[1].stitches, designs[2].stitches);
  EXPECT_EQ(back.designs[1].threads.size(), 2u);
}

TEST(MultiPayload, DamagedBlocks) {
  const ByteBuffer good = *writeDesignPayload(threeDesigns()[0], PayloadSide::Host);
  const struct {
    const char* what;
    ByteBuffer block;
    PayloadRead read;
    std::size_t designs;
  } cases[] = {
      {"empty", {}, PayloadRead::Refused, 0},
      {"count cut short", PayloadBytes().u8(1).u8(0).take(), PayloadRead::Refused, 0},
      {"negative count", PayloadBytes().i32(-1).take(), PayloadRead::Refused, 0},
      {"no designs", PayloadBytes().i32(0).take(), PayloadRead::Whole, 0},
      {"count above the entries", PayloadBytes().i32(3).i32(good.size()).bytes(good).take(), PayloadRead::Partial, 1},
      {"largest count", PayloadBytes().i32(0x7FFFFFFF).i32(good.size()).bytes(good).take(), PayloadRead::Partial, 1},
      {"size past the end", PayloadBytes().i32(1).i32(good.size() + 1).bytes(good).take(), PayloadRead::Partial, 0},
      {"negative size", PayloadBytes().i32(2).i32(-4).bytes(good).take(), PayloadRead::Partial, 0},
      {"refused entry skipped", PayloadBytes().i32(2).i32(3).raw("abc").i32(good.size()).bytes(good).take(),
       PayloadRead::Partial, 1},
      {"short entry read as far as whole", PayloadBytes().i32(1).i32(good.size() - 3).bytes(ByteSpan(good).first(good.size() - 3)).take(),
       PayloadRead::Partial, 1},
  };
  for (const auto& c : cases) {
    const MultiPayload read = readMultiPayload(c.block);
    EXPECT_EQ(read.status, c.read) << c.what;
    EXPECT_EQ(read.designs.size(), c.designs) << c.what;
  }
}

TEST(WholeFilePayload, FileBytesAndOneZero) {
  const ByteBuffer file{'#', 'P', 'E', 'S', 0, 7};
  const ByteBuffer block = writeWholeFilePayload(file);
  EXPECT_EQ(block, (ByteBuffer{'#', 'P', 'E', 'S', 0, 7, 0}));
  const WholeFilePayload back = readWholeFilePayload(block);
  EXPECT_EQ(back.status, PayloadRead::Whole);
  EXPECT_EQ(ByteBuffer(back.file.begin(), back.file.end()), file);

  const WholeFilePayload unterminated = readWholeFilePayload(file);
  EXPECT_EQ(unterminated.status, PayloadRead::Partial);
  EXPECT_EQ(unterminated.file.size(), file.size());
  EXPECT_EQ(readWholeFilePayload({}).status, PayloadRead::Refused);
  EXPECT_EQ(writeWholeFilePayload({}), ByteBuffer{0});
}

TEST(FileTypeListPayload, TenNamesInOrder) {
  const ByteBuffer want = PayloadBytes().cstr("PES").cstr("HUS").cstr("SEW").cstr("PCS").cstr("JEF").cstr("XXX")
                              .cstr("EXP").cstr("VIP").cstr("VP3").cstr("DST").take();
  EXPECT_EQ(writeFileTypeListPayload(), want);
  const struct {
    ByteBuffer block;
    std::vector<std::string> names;
    PayloadRead read;
  } cases[] = {
      {want, {"PES", "HUS", "SEW", "PCS", "JEF", "XXX", "EXP", "VIP", "VP3", "DST"}, PayloadRead::Whole},
      {PayloadBytes().cstr("PES").raw("DS").take(), {"PES"}, PayloadRead::Partial},
      {PayloadBytes().cstr("").cstr("PES").cstr("").take(), {"PES"}, PayloadRead::Whole},
      {{}, {}, PayloadRead::Whole},
  };
  for (const auto& c : cases) {
    const FileTypeList list = readFileTypeListPayload(c.block);
    EXPECT_EQ(list.names, c.names);
    EXPECT_EQ(list.status, c.read);
  }
}

TEST(ColorPayloads, MachinePaletteOfThePathsFormat) {
  const auto pes = writeColorArrayPayload("/d/rose.PES");
  ASSERT_TRUE(pes);
  EmbDesign d;
  ASSERT_EQ(readDesignPayload(*pes, d, PayloadSide::Plugin), PayloadRead::Whole);
  EXPECT_EQ(d.path, "/d/rose.PES");
  EXPECT_TRUE(d.stitches.empty());
  ASSERT_EQ(d.threads.size(), 66u);
  EXPECT_EQ(d.threads.front().displayName, "Black");
  EXPECT_EQ(d.threads.back().displayName, "Composite");

  ASSERT_TRUE(writeColorArrayPayload("x.dst"));
  ASSERT_EQ(readDesignPayload(*writeColorArrayPayload("x.dst"), d, PayloadSide::Plugin), PayloadRead::Whole);
  EXPECT_EQ(d.threads.size(), 29u);
  EXPECT_FALSE(writeColorArrayPayload("notes.txt"));
}

TEST(ColorPayloads, ChartHeadersAsTheyTravel) {
  const auto block = writeThreadColorArrayPayload("/d/rose.pes");  // "pes5" defaults to on
  ASSERT_TRUE(block);
  // The first thread entry, right after the fixed head: the Embroidery chart's header.
  const std::size_t first = 8 + std::string("/d/rose.pes").size() + 1 + 16 + 4;
  const ByteBuffer header = PayloadBytes().thread(0, 0, 0xFF000040, 0, "Embroidery").take();
  ASSERT_GE(block->size(), first + header.size());
  EXPECT_EQ(ByteBuffer(block->begin() + static_cast<std::ptrdiff_t>(first),
                       block->begin() + static_cast<std::ptrdiff_t>(first + header.size())),
            header);

  EmbDesign d;
  ASSERT_EQ(readDesignPayload(*block, d, PayloadSide::Plugin), PayloadRead::Whole);
  EXPECT_EQ(d.threads.size(), 9u + 2138u);
  const auto groups = chartGroups(d.threads);
  ASSERT_EQ(groups.size(), 9u);
  EXPECT_EQ(groups[0].name, "Embroidery");
  EXPECT_EQ(groups[0].rows.size(), 0x40u);
  EXPECT_EQ(groups[8].name, "GU Dekor");
  EXPECT_FALSE(groups[3].rows.front().brand.empty());  // the texts travel in the thread text

  MemorySettings off;
  off.setInt("Conversion", "pes5", 0);
  ASSERT_EQ(readDesignPayload(*writeThreadColorArrayPayload("/d/rose.pes", off), d, PayloadSide::Plugin),
            PayloadRead::Whole);
  EXPECT_EQ(d.threads.size(), 66u);
  EXPECT_EQ(chartGroups(d.threads).size(), 1u);
  EXPECT_FALSE(chartGroups(d.threads)[0].hasHeader);

  ASSERT_EQ(readDesignPayload(*writeThreadColorArrayPayload("a.vip"), d, PayloadSide::Plugin), PayloadRead::Whole);
  EXPECT_EQ(chartGroups(d.threads).size(), 9u);
  EXPECT_EQ(d.threads.size(), 9u + 2145u);
}

TEST(ChartGroups, HeadersThatDoNotMatchTheirRows) {
  auto header = [](std::string name, std::uint32_t rows) {
    ThreadColor t;
    t.displayName = std::move(name);
    t.rgb = kChartHeaderFlag + rows;
    return t;
  };
  const ThreadColor row = test::thread(0x102030);
  const std::vector<ThreadColor> threads{row, header("A", 2), row, row, row, header("B", 5), row, header("C", 0)};
  const auto groups = chartGroups(threads);
  const struct {
    std::string name;
    bool hasHeader;
    std::size_t rows;
  } want[] = {{"", false, 1}, {"A", true, 2}, {"", false, 1}, {"B", true, 1}, {"C", true, 0}};
  ASSERT_EQ(groups.size(), std::size(want));
  for (std::size_t i = 0; i < groups.size(); ++i) {
    EXPECT_EQ(groups[i].name, want[i].name) << i;
    EXPECT_EQ(groups[i].hasHeader, want[i].hasHeader) << i;
    EXPECT_EQ(groups[i].rows.size(), want[i].rows) << i;
  }
}

}  // namespace
}  // namespace lh
