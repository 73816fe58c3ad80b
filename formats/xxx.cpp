#include "formats/xxx.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "threads/format_palettes.h"
#include "threads/thread_charts.h"

namespace lh {
namespace {

constexpr std::size_t kHeaderSize = 256;
constexpr std::size_t kRecordCountAt = 23;
constexpr std::size_t kColorCountAt = 39;
constexpr std::size_t kWidthAt = 45;
constexpr std::size_t kHeightAt = 47;
constexpr std::size_t kColorBlockAt = 252;

// Reading: the colours start 7 bytes into the colour block (past its 6-byte lead and the zero
// of the first entry); a file without a block offset keeps them 62 bytes before its end.
constexpr std::int64_t kFirstColorOffset = 7;
constexpr std::int64_t kColorsFromEnd = 62;
// The stitch data ends 4 bytes before the colour block.
constexpr std::int64_t kDataStopBeforeColors = 11;
constexpr std::size_t kSideColors = 15;
constexpr std::size_t kFileColorChanges = 14;  // changes that take the file's colours in order

// Stitch data.
constexpr std::uint8_t kLongStitch = 0x7D;
constexpr std::uint8_t kLongJump = 0x7E;
constexpr std::uint8_t kCommand = 0x7F;
constexpr std::uint8_t kShortJump = 0x01;
constexpr std::uint8_t kColorChangeWritten = 0x08;
constexpr std::uint8_t kEndOfDesign = 0x18;
constexpr std::uint8_t kJumpBits = 0x57;  // a command with any of these carries a move
constexpr int kShortLimit = 123;          // longest move of a 2-byte record

constexpr bool isColorChangeCommand(std::uint8_t y) { return (y >= 8 && y <= 22) || (y >= 25 && y <= 27); }

// The colour block as written: lead, 22 entries (0, R, G, B), tail.
constexpr std::array<std::uint8_t, 6> kBlockLead{0x7F, 0x7F, 0x03, 0x14, 0x00, 0x00};
constexpr std::array<std::uint8_t, 2> kBlockTail{0x00, 0x01};
constexpr std::array<std::uint32_t, 22> kDefaultColors{
    rgbOf(218, 93, 126),  rgbOf(0, 128, 0),     rgbOf(0, 128, 128),   rgbOf(128, 0, 0),
    rgbOf(200, 0, 200),   rgbOf(232, 228, 0),   rgbOf(64, 196, 80),   rgbOf(255, 255, 0),
    rgbOf(0, 0, 255),     rgbOf(0, 255, 0),     rgbOf(255, 0, 128),   rgbOf(0, 255, 255),
    rgbOf(64, 108, 216),  rgbOf(56, 188, 64),   rgbOf(64, 164, 176),  rgbOf(232, 116, 80),
    rgbOf(184, 40, 184),  rgbOf(208, 188, 112), rgbOf(184, 216, 40),  rgbOf(112, 68, 208),
    rgbOf(131, 131, 131), rgbOf(255, 255, 255)};
constexpr std::size_t kWrittenColors = 15;

// The chart row nearest to rgb by the sum of channel differences (first row wins a tie, an
// exact match ends the search), copied whole.
ThreadColor nearestXxxThread(std::uint32_t rgb) {
  const auto rows = chartRows(Chart::SulkyRayonXxx);
  if (rows.empty()) {
    ThreadColor t;
    t.rgb = rgb;
    return t;
  }
  const ThreadColor* best = &rows.front();
  int bestDistance = std::numeric_limits<int>::max();
  for (const ThreadColor& row : rows) {
    const int d = channelDistance(rgb, row.rgb);
    if (d < bestDistance) {
      best = &row;
      bestDistance = d;
      if (d == 0) break;
    }
  }
  return *best;
}

// The 15 colours of the file's colour block; one that lies outside the file repeats the
// previous colour.
std::vector<ThreadColor> readSideColors(ByteSpan file, std::int64_t colorAt) {
  std::vector<ThreadColor> side;
  side.reserve(kSideColors);
  const auto length = static_cast<std::int64_t>(file.size());
  std::uint32_t rgb = 0;
  for (std::size_t k = 0; k < kSideColors; ++k) {
    const std::int64_t at = colorAt + 4 * static_cast<std::int64_t>(k);
    if (at >= 0 && at + 3 <= length) {
      const auto p = static_cast<std::size_t>(at);
      rgb = rgbOf(file[p], file[p + 1], file[p + 2]);
    }
    side.push_back(nearestXxxThread(rgb));
  }
  return side;
}

// Colour of the k-th colour change (k from 1): the file's colours up to the 14th, then the
// one the command byte names.
const ThreadColor& colorForChange(const std::vector<ThreadColor>& side, std::size_t k, std::uint8_t y) {
  if (k <= kFileColorChanges) return side[k];
  if (y >= 9 && y <= 19) return side[y - 9u];
  if (y >= 25 && y <= 27) return side[y - 14u];
  return side[(k + 1) % 8];
}

std::int16_t peek16(const ByteReader& r, std::size_t at) {
  return static_cast<std::int16_t>(r.peek(at) | (r.peek(at + 1) << 8));
}

}  // namespace

ReadResult readXxx(DesignCodec&, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  ByteReader r(file);
  r.seek(kColorBlockAt);
  const std::int32_t blockAt = r.i32le();
  const auto length = static_cast<std::int64_t>(file.size());
  const std::int64_t colorAt = blockAt == 0 ? length - kColorsFromEnd : std::int64_t{blockAt} + kFirstColorOffset;
  const std::vector<ThreadColor> side = readSideColors(file, colorAt);
  design.threads.push_back(side.front());

  const std::int64_t stop = std::min(colorAt - kDataStopBeforeColors, length);
  auto pos = static_cast<std::int64_t>(kHeaderSize);
  std::size_t changes = 0;
  design.stitches.reserve(static_cast<std::size_t>(std::max<std::int64_t>(stop - pos, 0) / 2));
  while (pos < stop) {
    const auto p = static_cast<std::size_t>(pos);
    const std::uint8_t b0 = r.peek(p);
    const std::uint8_t b1 = r.peek(p + 1);
    Stitch s;
    if (b0 == kLongStitch || b0 == kLongJump) {
      // A long record cut off by the end of the file reads as a zero move.
      if (pos + 5 <= length) s.setMove(peek16(r, p + 1), peek16(r, p + 3));
      s.setJump(b0 == kLongJump);
      pos += 5;
    } else if (b0 == kCommand) {
      pos += 2;
      if (b1 == kEndOfDesign) break;
      if (b1 & kJumpBits) {
        s.setJump(true);
        if (pos + 2 <= length) {
          const auto q = static_cast<std::size_t>(pos);
          s.setMove(static_cast<std::int8_t>(r.peek(q)), static_cast<std::int8_t>(r.peek(q + 1)));
        }
        pos += 2;
      }
      if (isColorChangeCommand(b1)) {
        s.setColorChange(true);
        ++changes;
        design.threads.push_back(colorForChange(side, changes, b1));
      }
    } else {
      s.setMove(static_cast<std::int8_t>(b0), static_cast<std::int8_t>(b1));
      pos += 2;
    }
    design.stitches.push_back(s);
  }

  design.mergeJumps(false);
  // A colour change that ends the data opens no block: its colour goes too.
  design.threads.resize(std::min(design.threads.size(), design.colorChangeCount() + 1));
  design.classifyJumps();
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

namespace {

void putShort(ByteWriter& w, const Stitch& s) {
  w.u8(static_cast<std::uint8_t>(s.dx));
  w.u8(static_cast<std::uint8_t>(s.dy));
}

void putLong(ByteWriter& w, std::uint8_t code, const Stitch& s) {
  w.u8(code);
  w.u16le(static_cast<std::uint16_t>(s.dx));
  w.u16le(static_cast<std::uint16_t>(s.dy));
}

// A move as a jump (7F 01 or 7E) or a stitch (plain pair, or 7D which makes it a jump).
void putMove(ByteWriter& w, Stitch& s) {
  const bool isLong = std::abs(s.dx) > kShortLimit || std::abs(s.dy) > kShortLimit;
  if (s.isJump()) {
    if (isLong) {
      putLong(w, kLongJump, s);
    } else {
      w.u8(kCommand);
      w.u8(kShortJump);
      putShort(w, s);
    }
  } else if (isLong) {
    putLong(w, kLongStitch, s);
    s.setJump(true);
  } else {
    putShort(w, s);
  }
}

}  // namespace

std::optional<ByteBuffer> writeXxx(DesignCodec&, EmbDesign& design) {
  ByteWriter data;
  data.reserve(design.stitches.size() * 2 + 16);
  // Readers fold the record after a run of jumps into the jumps: the run ends in one zero
  // stitch (the landing) before the stitch after it.
  bool inRun = false;
  auto put = [&](Stitch& s) {
    const bool jump = s.isJump();
    if (inRun && !jump) data.u16le(0);
    putMove(data, s);
    inRun = jump;
  };
  for (Stitch& s : design.stitches) {
    if (!s.isColorChange()) {
      put(s);
      continue;
    }
    inRun = false;
    data.u8(kCommand);
    data.u8(kColorChangeWritten);
    data.u16le(0);
    // The command carries no move: one the colour change has follows as a record of its own,
    // so that everything after it stays in place.
    if (!s.isZeroMove()) {
      Stitch move = s;
      move.setColorChange(false);
      move.setJump(true);  // a colour change sews nothing
      put(move);
      s.setJump(move.isJump());
    }
  }
  // Readers stop 4 bytes before the colour block, where XXX files carry the end mark.
  data.u8(kCommand);
  data.u8(kEndOfDesign);
  data.u16le(0);

  int width = 0, height = 0;
  if (!design.stitches.empty()) {
    design.computeBounds(EmbDesign::kNone);
    width = std::abs(design.minX) + design.maxX;
    height = std::abs(design.minY) + design.maxY;
  }
  ByteWriter w;
  w.reserve(kHeaderSize + data.size() + 96);
  w.fill(0, kHeaderSize);
  w.u16leAt(kRecordCountAt, static_cast<unsigned>(std::min<std::size_t>(design.stitches.size(), 0xFFFF)));
  w.u16leAt(kColorCountAt, static_cast<unsigned>(std::min<std::size_t>(design.threads.size(), 0xFFFF)));
  w.u16leAt(kWidthAt, static_cast<unsigned>(width));
  w.u16leAt(kHeightAt, static_cast<unsigned>(height));
  w.u32leAt(kColorBlockAt, static_cast<std::uint32_t>(kHeaderSize + data.size()));
  w.bytes(data.buffer());

  w.bytes(kBlockLead);
  for (std::size_t k = 0; k < kDefaultColors.size(); ++k) {
    const std::uint32_t rgb = k < kWrittenColors && k < design.threads.size() ? design.threads[k].rgb : kDefaultColors[k];
    w.u8(0);
    w.u8(static_cast<unsigned>(redOf(rgb)));
    w.u8(static_cast<unsigned>(greenOf(rgb)));
    w.u8(static_cast<unsigned>(blueOf(rgb)));
  }
  w.bytes(kBlockTail);
  return w.take();
}

}  // namespace lh
