// Conversions keep every needle penetration: a design converted into any writable format
// and read back by our readers sews at the same places as the source, and nowhere else but
// where the format says so (the table of exceptions below).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>
#include <utility>

#include "formats/format_table.h"
#include "tests/support/design_builder.h"
#include "formats/dst.h"
#include "formats/exp.h"
#include "formats/jef_sew.h"
#include "formats/xxx.h"
#include "tools/conversion.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
// A needle position packed into one sortable number (x major), so that a design's points
// are a sorted vector and a shift is one addition.
using Key = std::int64_t;
constexpr int kBias = 1 << 24;
constexpr Key key(long long x, long long y) { return ((x + kBias) << 26) | (y + kBias); }
constexpr Key offset(int dx, int dy) { return (static_cast<Key>(dx) << 26) + dy; }
using PointSet = std::vector<Key>;

// Absolute needle penetrations, sorted and without repeats: the end points of records that
// are neither jump, colour change nor trim.
PointSet penetrations(const EmbDesign& d) {
  PointSet out;
  long long x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !s.isColorChange() && !s.isTrim()) out.push_back(key(x, y));
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

struct Difference {
  std::size_t extra = 0;    // read back, never sewn by the source
  std::size_t missing = 0;  // sewn by the source, not read back
  std::size_t total() const { return extra + missing; }
};

// Points of `a` (moved by `shift`) without a point of `b` within `tolerance` on each axis,
// as moved. Plain loops over the sorted arrays: this runs over the whole corpus in every
// format.
PointSet unmatchedPoints(const PointSet& a, Key shift, const PointSet& b, int tolerance) {
  const Key* const first = b.data();
  const std::size_t size = b.size();
  auto contains = [&](Key lo, Key hi) {  // any point of b in [lo, hi]
    std::size_t l = 0, h = size;
    while (l < h) {
      const std::size_t m = (l + h) / 2;
      if (first[m] < lo) l = m + 1;
      else h = m;
    }
    return l < size && first[l] <= hi;
  };
  PointSet out;
  std::size_t j = 0;
  for (Key p : a) {
    p += shift;
    bool found;
    if (tolerance == 0) {
      while (j < size && first[j] < p) ++j;
      found = j < size && first[j] == p;
    } else {
      found = false;
      for (int tx = -tolerance; tx <= tolerance && !found; ++tx) {
        const Key row = p + offset(tx, 0);
        found = contains(row - tolerance, row + tolerance);
      }
    }
    if (!found) out.push_back(p);
  }
  return out;
}

std::size_t unmatched(const PointSet& a, Key shift, const PointSet& b, int tolerance) {
  return unmatchedPoints(a, shift, b, tolerance).size();
}

// Both readings are centred on their own bounds, which may differ by a unit of rounding:
// the output is compared at the offset (within a few units) that lines up the first points
// or the last points of the two sets best.
Difference compare(const PointSet& source, const PointSet& output, int tolerance) {
  Difference best{output.size(), source.size()};
  if (source.empty() || output.empty()) return best;
  for (const Key shift : {source.front() - output.front(), source.back() - output.back(), Key{0}}) {
    const Difference d{unmatched(output, shift, source, tolerance), unmatched(source, -shift, output, tolerance)};
    if (d.total() < best.total()) best = d;
    if (best.total() == 0) break;
  }
  return best;
}

// ---- Small designs: one fault each ----------------------------------------------------------

using test::jump;
using test::st;

// Stitches, a travel of eight short jumps, stitches.
EmbDesign shortJumpTravel() {
  EmbDesign d = test::makeDesign({jump(-40, -30), st(10, 0), st(10, 0), st(0, 10), jump(15, 5), jump(15, 5),
                                  jump(15, 5), jump(15, 5), jump(15, 5), jump(15, 5), jump(15, 5), jump(15, 5),
                                  st(7, -3), st(10, 0), st(0, -10)});
  d.centreDesign();
  return d;
}

// Penetrations of a DST read back, without the file's start record (a zero stitch at the
// design centre that every DST written begins with).
PointSet dstPenetrations(EmbDesign back) {
  auto& s = back.stitches;
  for (std::size_t i = 0; i < s.size() && i < 2; ++i)
    if (!s[i].isJump() && !s[i].isColorChange() && s[i].isZeroMove()) {
      s[i].setJump(true);
      break;
    }
  return penetrations(back);
}

TEST(ConversionPenetrations, DstRunOfShortJumpsGainsNoPenetration) {
  DesignCodec codec;
  const EmbDesign source = shortJumpTravel();
  EmbDesign work(source);
  const auto file = writeDst(codec, work);
  ASSERT_TRUE(file);
  EmbDesign back;
  ASSERT_EQ(readDst(codec, back, *file), ReadResult::Ok);
  const Difference d = compare(penetrations(source), dstPenetrations(back), 0);
  EXPECT_EQ(d.extra, 0u) << "a jump's end came out sewn";
  EXPECT_EQ(d.missing, 0u);
}

// Zero-move stitches in a stream of 2-byte pairs, not counting the pairs of commands:
// `commandLength` gives the bytes a command starting with a byte takes (0: not a command).
template <typename CommandLength>
int zeroPairs(ByteSpan bytes, std::size_t from, std::size_t to, CommandLength commandLength) {
  int n = 0;
  for (std::size_t at = from; at + 1 < to;) {
    if (const std::size_t skip = commandLength(bytes, at)) {
      at += skip;
      continue;
    }
    n += bytes[at] == 0 && bytes[at + 1] == 0;
    at += 2;
  }
  return n;
}

// Writers whose readers fold the record after a run of jumps into the jumps put one zero
// stitch (the landing) after the run, not one after every jump: a machine reading the file
// as it stands must not sew along the travel.
TEST(ConversionPenetrations, FoldingFormatsLandOncePerRunOfJumps) {
  DesignCodec codec;
  // Escape pairs take their move pair along (EXP 80 xx, Janome 80 01/02, XXX 7F 01 x y).
  auto escape = [](ByteSpan b, std::size_t at) -> std::size_t { return b[at] == 0x80 ? 4 : 0; };
  auto xxxCommand = [](ByteSpan b, std::size_t at) -> std::size_t {
    if (b[at] == 0x7D || b[at] == 0x7E) return 5;
    return b[at] == 0x7F ? 4 : 0;
  };
  // Two runs of jumps: the one to the first stitch and the travel of eight.
  const EmbDesign source = shortJumpTravel();
  {
    EmbDesign w(source);
    const auto f = writeExp(codec, w);
    ASSERT_TRUE(f);
    EXPECT_EQ(zeroPairs(*f, 0, f->size(), escape), 2) << "EXP";
  }
  {
    EmbDesign w(source);
    const auto f = writeJef(codec, w);
    ASSERT_TRUE(f);
    const std::size_t streamAt = (*f)[0] | (*f)[1] << 8;
    EXPECT_EQ(zeroPairs(*f, streamAt, f->size(), escape), 2) << "JEF";
  }
  {
    EmbDesign w(source);
    const auto f = writeSew(codec, w);
    ASSERT_TRUE(f);
    EXPECT_EQ(zeroPairs(*f, 7544, f->size(), escape), 2) << "SEW";
  }
  {
    EmbDesign w(source);
    const auto f = writeXxx(codec, w);
    ASSERT_TRUE(f);
    const std::size_t blockAt = (*f)[252] | (*f)[253] << 8;
    EXPECT_EQ(zeroPairs(*f, 256, blockAt, xxxCommand), 2) << "XXX";
  }
}

// A DST source: a travel of jumps and the stitch after it, converted into every other
// format, keeps that stitch (runs of jumps are merged, the stitch is not swallowed), and
// gains no penetration along the travel.
TEST(ConversionPenetrations, DstSourceKeepsTheStitchAfterARunOfJumps) {
  MemorySettings settings;
  DesignCodec codec(&settings);
  const ConversionContext ctx = ConversionContext::fromSettings(settings, &codec);
  EmbDesign source = shortJumpTravel();
  source.path = source.sourcePath = "travel.dst";
  for (const FormatInfo* format : writableFormats()) {
    if (format->code == FormatDst) continue;
    SCOPED_TRACE(std::string(format->type));
    EmbDesign work(source);
    work.sourcePath = source.sourcePath;
    ToolReport report;
    PreparedConversion p = prepareConversion(work, format->code, false, ctx, report);
    ASSERT_TRUE(p.image);
    EmbDesign back;
    back.path = p.path;
    ASSERT_NE(format->reader(codec, back, *p.image), ReadResult::Failed);
    const Difference d = compare(penetrations(source), penetrations(back), format->code == FormatPcs ? 1 : 0);
    EXPECT_EQ(d.missing, 0u) << "a stitch was lost";
    // PCS marks no jumps: there every jump lands as a penetration.
    if (format->code != FormatPcs) {
      EXPECT_EQ(d.extra, 0u) << "a jump's end came out sewn";
    }
  }
}

// ---- The corpus ---------------------------------------------------------------------------

// What a format cannot express, so that its reading differs from the source in these ways
// only. Everything else must match exactly.
struct FormatException {
  FormatCode code;
  int tolerance;              // units of 0.1 mm a read-back position may be off
  bool changePoints;          // may sew where a colour change happens
  bool jumpEnds;              // may sew where a jump lands
  bool startTieIn;            // may lose a penetration in place at the very start
  bool endTieOff;             // may lose penetrations in place at the very end
  bool longStitchEnds;        // may lose the end of a stitch longer than 12.7 mm
  const char* reason;
};

const FormatException kExceptions[] = {
    {FormatPcs, 1, false, true, false, false, true,
     "positions are stored in 1/1535 of a file unit per 0.1 mm and round to the nearest unit; PCS marks no "
     "jumps: a jump lands as a penetration unless the reader takes it for one, and the reader takes every "
     "move longer than 12.7 mm for a jump"},
    {FormatExp, 0, true, true, false, true, false,
     "a colour change is a command with a zero move that reads back as a stitch in place; the reader decides "
     "itself which long moves are jumps and may take a long jump for a stitch; it drops trailing jumps and "
     "zero moves, a tie-off in place at the end too"},
    {FormatXxx, 0, true, true, false, false, false,
     "a colour change is written 7F 08 00 00, whose zero pair reads back as a stitch in place; the reader "
     "decides itself which long moves are jumps"},
    {FormatHus, 0, false, true, false, false, false, "the reader decides itself which long moves are jumps"},
    {FormatVip, 0, false, true, false, false, false, "the reader decides itself which long moves are jumps"},
    {FormatPes, 0, true, false, false, false, false,
     "a colour change follows a stitch: a jump before one ends in a stitch"},
    {FormatVp3, 0, true, false, false, false, false,
     "a block's data ends with the colour change's own record, which reads back as a stitch in place"},
    {FormatJef, 0, false, false, true, false, false,
     "the reader drops leading jumps and zero moves, a tie-in at the start too"},
    {FormatSew, 0, false, false, true, false, false,
     "the reader drops leading jumps and zero moves, a tie-in at the start too"},
    // DST: the file's start record (a zero stitch at the design centre) is left out of the
    // comparison; nothing else differs.
};

// Single designs whose reading differs in a way not yet explained by a rule of the format:
// at most `extra` positions sewn where the source never sewed, all others as above.
struct DesignException {
  const char* design;
  FormatCode code;
  std::size_t extra;
  const char* reason;
};

const DesignException kDesignExceptions[] = {
    {"vp3/220306.vp3", FormatPes, 1, "open: one penetration near the start of the design"},
    {"emd/Cake 3.emd", FormatHus, 2, "open: two penetrations one unit off the source's in a satin column"},
    {"exp/Cake 3.exp", FormatHus, 2, "open: as emd/Cake 3.emd"},
    {"xxx/Cake 3.xxx", FormatHus, 2, "open: as emd/Cake 3.emd"},
    {"pcs/Cake 3.pcs", FormatHus, 1, "open: as emd/Cake 3.emd"},
    {"xxx/PEmbroider_bitmap_image_2.xxx", FormatHus, 1, "open: one penetration after a 10 mm stitch"},
};

std::size_t extraAllowed(const std::string& design, FormatCode code) {
  for (const DesignException& e : kDesignExceptions)
    if (e.code == code && design == e.design) return e.extra;
  return 0;
}

const FormatException* exceptionOf(FormatCode code) {
  for (const FormatException& e : kExceptions)
    if (e.code == code) return &e;
  return nullptr;
}

// Places of the source where an exception lets the output sew, and the start tie-in.
struct Allowed {
  PointSet changePoints, jumpEnds, longStitchEnds, endTieOffs;
  std::optional<Key> startTieIn;
};

Allowed allowedPlaces(const EmbDesign& d) {
  Allowed a;
  long long x = 0, y = 0;
  bool started = false;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (s.isColorChange()) {
      // A colour change carrying a move happens at either end of it.
      a.changePoints.push_back(key(x - s.dx, y - s.dy));
      a.changePoints.push_back(key(x, y));
    }
    else if (s.isJump()) a.jumpEnds.push_back(key(x, y));
    else if (!started && !s.isTrim()) {
      started = true;
      if (s.isZeroMove()) a.startTieIn = key(x, y);
    }
    if (!s.isJump() && !s.isColorChange() && !s.isZeroMove()) started = true;
    if (!s.isJump() && !s.isColorChange() && s.dx * s.dx + s.dy * s.dy > 127 * 127)
      a.longStitchEnds.push_back(key(x, y));
  }
  // Trailing records without a move end where the last move does.
  for (std::size_t i = d.stitches.size(); i-- > 0;) {
    const Stitch& s = d.stitches[i];
    if (!s.isZeroMove() && !s.isJump()) break;
    if (!s.isZeroMove()) {
      x -= s.dx;
      y -= s.dy;
    } else if (!s.isJump() && !s.isColorChange() && !s.isTrim()) {
      a.endTieOffs.push_back(key(x, y));
    }
  }
  for (PointSet* p : {&a.changePoints, &a.jumpEnds, &a.longStitchEnds, &a.endTieOffs}) {
    std::sort(p->begin(), p->end());
    p->erase(std::unique(p->begin(), p->end()), p->end());
  }
  return a;
}

// Where the first of `points` (moved back by `shift`) lies in the source: the record that
// reaches it (or the nearest one) and its neighbours, for a failure message.
std::string places(const EmbDesign& d, const PointSet& points, Key shift) {
  if (points.empty()) return "";
  const Key want = points.front() - shift;
  long long x = 0, y = 0;
  std::size_t at = 0;
  Key best = std::numeric_limits<Key>::max();
  for (std::size_t i = 0; i < d.stitches.size(); ++i) {
    x += d.stitches[i].dx;
    y += d.stitches[i].dy;
    const Key distance = std::abs(key(x, y) - want);
    if (distance < best) best = distance, at = i;
  }
  std::string out = "record " + std::to_string(at) + ":";
  for (std::size_t i = at >= 3 ? at - 3 : 0; i < std::min(d.stitches.size(), at + 3); ++i) {
    const Stitch& s = d.stitches[i];
    out += " [" + std::to_string(s.dx) + "," + std::to_string(s.dy) + (s.isJump() ? " J" : "") +
           (s.isColorChange() ? " C" : "") + (s.isTrim() ? " T" : "") + "]";
  }
  return out;
}

struct CorpusDesign {
  std::string name;  // relative to the corpus
  EmbDesign design;
};

const std::vector<CorpusDesign>& corpus() {
  static const std::vector<CorpusDesign> designs = [] {
    std::vector<CorpusDesign> out;
    DesignCodec codec;
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(fs::path(LH_CORPUS_DIR), ec)) {
      if (!e.is_regular_file()) continue;
      const std::string rel = fs::relative(e.path(), LH_CORPUS_DIR).generic_string();
      if (rel.rfind("peer/", 0) == 0 || rel.find('/') == std::string::npos) continue;
      const FormatInfo* f = findFormat(extensionOf(rel));
      if (f && f->kind == FormatKind::Design) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      CorpusDesign c{fs::relative(file, LH_CORPUS_DIR).generic_string(), EmbDesign()};
      codec.busyCount.fetch_add(1);
      if (codec.loadDesign(&c.design, file.string()) == LoadResult::Ok && !c.design.stitches.empty())
        out.push_back(std::move(c));
    }
    return out;
  }();
  return designs;
}

class CorpusPenetrations : public testing::TestWithParam<FormatCode> {};

// For every corpus design that converts into one file without being shrunk, the output read
// back sews exactly where the source does (after undoing a quarter turn), but for the
// format's exceptions. Designs the conversion shrinks or splits, or refuses (too big, too many
// colours for the format), are counted and left out: their needle positions change on
// purpose.
TEST_P(CorpusPenetrations, OutputSewsWhereTheSourceSews) {
  const auto& designs = corpus();
  if (designs.empty()) GTEST_SKIP() << "no corpus";
  const FormatCode code = GetParam();
  const FormatInfo* format = findFormat(code);
  ASSERT_TRUE(format && format->writer);
  const FormatException none{code, 0, false, false, false, false, false, ""};
  const FormatException& rule = exceptionOf(code) ? *exceptionOf(code) : none;
  MemorySettings settings;
  DesignCodec codec(&settings);
  const ConversionContext ctx = ConversionContext::fromSettings(settings, &codec);
  int compared = 0, refused = 0, split = 0, shrunk = 0;
  for (const CorpusDesign& c : designs) {
    EmbDesign work(c.design);
    work.sourcePath = c.design.sourcePath;
    ToolReport report;
    PreparedConversion p = prepareConversion(work, code, true, ctx, report);
    if (p.status != ConversionStatus::Ready || !p.image) {
      ++refused;
      continue;
    }
    if (!p.remainder.stitches.empty()) {
      ++split;
      continue;
    }
    EmbDesign source(c.design);
    if (work.fitRotation != 0) source.rotateQuarter(work.fitRotation);
    source.computeBounds();
    if (std::abs(source.width() - work.width()) > 1 || std::abs(source.height() - work.height()) > 1) {
      ++shrunk;
      continue;
    }
    EmbDesign back;
    back.path = p.path;
    ASSERT_NE(format->reader(codec, back, *p.image), ReadResult::Failed) << c.name;
    ++compared;

    const PointSet want = penetrations(source);
    const PointSet got = code == FormatDst ? dstPenetrations(back) : penetrations(back);
    // Line the two readings up (each is centred on its own bounds) on whichever end matches.
    Key shift = 0;
    std::size_t best = SIZE_MAX;
    for (const Key s : {want.front() - got.front(), want.back() - got.back(), Key{0}}) {
      const std::size_t t = unmatched(got, s, want, rule.tolerance) + unmatched(want, -s, got, rule.tolerance);
      if (t < best) best = t, shift = s;
    }
    const Allowed allowed = allowedPlaces(source);
    PointSet extra = unmatchedPoints(got, shift, want, rule.tolerance);
    std::erase_if(extra, [&](Key at) {
      return (rule.changePoints && unmatched({at}, 0, allowed.changePoints, rule.tolerance) == 0) ||
             (rule.jumpEnds && unmatched({at}, 0, allowed.jumpEnds, rule.tolerance) == 0);
    });
    PointSet missing = unmatchedPoints(want, -shift, got, rule.tolerance);
    std::erase_if(missing, [&](Key at) {
      const Key w = at + shift;
      auto in = [w](const PointSet& set) { return std::binary_search(set.begin(), set.end(), w); };
      return (rule.startTieIn && allowed.startTieIn == w) || (rule.endTieOff && in(allowed.endTieOffs)) ||
             (rule.longStitchEnds && in(allowed.longStitchEnds));
    });
    EXPECT_LE(extra.size(), extraAllowed(c.name, code)) << c.name << ": sewn where the source never sewed, first at "
                                << places(source, extra, 0);
    EXPECT_EQ(missing.size(), 0u) << c.name << ": a penetration of the source was lost, first at "
                                  << places(source, missing, -shift);
  }
  EXPECT_GT(compared, 0);
  std::printf("[ %s ] %d compared, %d refused, %d split, %d shrunk; %s\n", std::string(format->type).c_str(),
              compared, refused, split, shrunk, rule.reason);
}

INSTANTIATE_TEST_SUITE_P(Writable, CorpusPenetrations,
                         testing::Values(FormatPes, FormatSew, FormatJef, FormatHus, FormatPcs, FormatDst,
                                         FormatXxx, FormatExp, FormatVip, FormatVp3),
                         [](const testing::TestParamInfo<FormatCode>& i) {
                           return std::string(findFormat(i.param)->type);
                         });

}  // namespace
}  // namespace lh
