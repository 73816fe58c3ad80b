#include "formats/pcs.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "threads/format_palettes.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"

namespace lh {

namespace {

constexpr std::size_t kTableOffset = 4;
// Converted positions are kept within this many 0.1 mm of the file origin, so that the moves
// between two of them always fit a record (a corrupt coordinate cannot wrap a move around).
constexpr int kMaxPosition = 16000;
// Moves longer than this are jumps before the jump classification looks at them.
constexpr int kJumpLength = 127;

struct HoopCentre {
  std::int32_t x;
  std::int32_t y;
};
constexpr HoopCentre kSmallHoopCentre{61400, 61400};
constexpr HoopCentre kLargeHoopCentre{92100, 88262};

// File units to 0.1 mm (integer division). It rounds down on both sides of the file origin,
// so that positions left of or below it are not pulled one unit towards it.
int toTenthMm(std::int32_t v) {
  const std::int64_t scaled = static_cast<std::int64_t>(v) * 10;
  const std::int64_t t =
      scaled >= 0 ? scaled / kPcsUnitsPerTenMm : -((-scaled + kPcsUnitsPerTenMm - 1) / kPcsUnitsPerTenMm);
  return static_cast<int>(std::clamp<std::int64_t>(t, -kMaxPosition, kMaxPosition));
}

// The file value of a position p (0.1 mm from the hoop centre): the centre plus p scaled and
// truncated, moved by a file unit where that value would read back as a neighbouring position.
// An odd p scales to a half file unit, and the large hoop's centre is not a whole number of
// 0.1 mm, so the plain product reads back one off for some positions.
std::int32_t toFileUnits(std::int32_t centre, long long p) {
  const long long want = toTenthMm(centre) + p;
  auto v = static_cast<std::int32_t>(centre + p * kPcsUnitsPerTenMm / 10);
  for (int step = 0; step < 2 && toTenthMm(v) < want; ++step) ++v;
  for (int step = 0; step < 2 && toTenthMm(v) > want; ++step) --v;
  return v;
}

// Colour names: the nearest PEC palette colour's, or the standard colour's on an exact match.
void nameColors(EmbDesign& design) {
  for (ThreadColor& t : design.threads) {
    const int windows = exactWindowsIndex(t.rgb);
    std::string name;
    if (windows >= 0) {
      name = windowsColor(windows).colorName;
    } else {
      name = pecColorName(nearestPecColor(redOf(t.rgb), greenOf(t.rgb), blueOf(t.rgb), false, false));
    }
    t.colorName = name;
    t.displayName = std::move(name);
  }
}

ThreadColor tableColor(const std::vector<ThreadColor>& table, int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < table.size())
    return table[static_cast<std::size_t>(index)];
  // An index past the table still opens a colour block; it gets black.
  ThreadColor t;
  t.chartCode = index;
  return t;
}

}  // namespace

ReadResult readPcs(DesignCodec& /*codec*/, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  ByteReader in(file);
  if (!in.seek(2)) return ReadResult::Failed;
  const int n = in.u8();
  if (n > kPcsMaxColors) return ReadResult::Failed;

  std::vector<ThreadColor> table;
  table.reserve(static_cast<std::size_t>(n));
  in.seek(kTableOffset);
  for (int k = 0; k < n; ++k) {
    ThreadColor t;
    const int r = in.u8(), g = in.u8(), b = in.u8();
    in.u8();
    t.rgb = rgbOf(r, g, b);
    t.chartCode = k;
    table.push_back(std::move(t));
  }
  const int recordCount = in.u16le();
  if (!in.good()) return ReadResult::Failed;

  // The record count states the stitch records; colour records come on top of it. A colour
  // record has no position of its own: it opens a block at the stitch that follows it, and
  // when several come in a row the last one names the block.
  design.stitches.reserve(
      std::min<std::size_t>(static_cast<std::size_t>(recordCount), in.remaining() / kPcsRecordSize));
  std::size_t pos = in.pos();
  int counted = 0;
  int prevX = 0, prevY = 0;
  bool pendingColor = false;
  while (counted < recordCount && pos + kPcsRecordSize <= file.size()) {
    const ByteSpan rec = file.subspan(pos, kPcsRecordSize);
    pos += kPcsRecordSize;
    if ((rec[8] & kPcsColorFlags) == kPcsColorFlags) {
      ThreadColor t = tableColor(table, rec[0]);
      if (pendingColor) {
        design.threads.back() = std::move(t);
      } else {
        design.threads.push_back(std::move(t));
      }
      pendingColor = true;
      continue;
    }
    ByteReader r(rec);
    const int x = toTenthMm(r.i32le());
    const int y = toTenthMm(r.i32le());
    ++counted;
    if (design.threads.empty()) design.threads.push_back(tableColor(table, 0));
    design.stitches.emplace_back(x - prevX, y - prevY, false, pendingColor && !design.stitches.empty());
    pendingColor = false;
    prevX = x;
    prevY = y;
  }
  // A colour record after the last stitch opens no block.
  if (pendingColor && !design.threads.empty()) design.threads.pop_back();
  if (design.stitches.empty()) return ReadResult::Ok;

  design.computeBlockStats();
  nameColors(design);
  for (Stitch& s : design.stitches)
    if (s.dx * s.dx + s.dy * s.dy > kJumpLength * kJumpLength) s.setJump(true);
  design.classifyJumps();
  design.computeBounds(EmbDesign::kNone);
  design.stitches.front().setJump(true);
  design.stitches.front().setColorChange(false);
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

std::optional<ByteBuffer> writePcs(DesignCodec& /*codec*/, EmbDesign& design) {
  std::vector<Stitch>& records = design.stitches;
  if (records.empty()) return std::nullopt;
  // Readers take the first record for the move to the first needle position; a design that
  // begins with a stitch gets a record at its origin first, so that the stitch is kept.
  if (!records.front().isJump()) records.insert(records.begin(), Stitch(0, 0, true));
  if (records.size() > std::numeric_limits<std::uint16_t>::max()) return std::nullopt;
  design.computeBounds(EmbDesign::kNone);
  const bool small = design.width() <= kPcsSmallHoopExtent && design.height() <= kPcsSmallHoopExtent;

  records.back().setJump(true);
  records.front().setColorChange(true);
  const std::size_t colorRecords = design.colorChangeCount();

  WindowsColorTable table = windowsPalette();
  for (std::size_t i = 0; i < design.threads.size() && i < table.size(); ++i)
    table[i] = design.threads[i].rgb;

  ByteWriter out;
  out.reserve((colorRecords + records.size() + 8) * kPcsRecordSize);
  out.u8(kPcsSignature);
  out.u8(small ? kPcsSmallHoop : kPcsLargeHoop);
  out.u16le(kPcsTableColors);
  for (std::uint32_t c : table) {
    out.u8(static_cast<unsigned>(redOf(c)));
    out.u8(static_cast<unsigned>(greenOf(c)));
    out.u8(static_cast<unsigned>(blueOf(c)));
    out.u8(0);
  }
  out.u16le(static_cast<unsigned>(records.size()));

  // Each record's file position is scaled from its whole position, so that odd moves (half a
  // file unit each) do not add up to a drift along the design, and reads back exactly.
  const HoopCentre centre = small ? kSmallHoopCentre : kLargeHoopCentre;
  long long px = 0, py = 0;
  int block = -1;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Stitch& s = records[i];
    if (s.isColorChange()) {
      ++block;
      // Colour records number the blocks while the table holds them in order; later blocks
      // take the table colour nearest to their own.
      int index = block;
      if (block >= kPcsTableColors - 1) {
        const std::uint32_t rgb =
            design.threads.empty()
                ? 0u
                : design.threads[std::min(static_cast<std::size_t>(block), design.threads.size() - 1)].rgb;
        index = nearestWindowsIndex(rgb, table);
      }
      out.u8(static_cast<unsigned>(index));
      out.fill(0, 7);
      out.u8(kPcsColorFlags);
    }
    px += s.dx;
    py += s.dy;
    out.u32le(static_cast<std::uint32_t>(toFileUnits(centre.x, px)));
    out.u32le(static_cast<std::uint32_t>(toFileUnits(centre.y, py)));
    out.u8(i == 0 || i + 1 == records.size() ? kPcsEndFlag : 0);
  }
  // The image keeps the fixed tail of zero bytes after the records.
  out.fill(0, (colorRecords + records.size() + 8) * kPcsRecordSize - out.size());
  return out.take();
}

}  // namespace lh
