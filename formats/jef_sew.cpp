#include "formats/jef_sew.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/jump_landing.h"
#include "render/palette_manager.h"
#include "render/renderer.h"
#include "threads/format_palettes.h"

namespace lh {
namespace {

// Both readers reject files that name more colours than this.

// Longest move per axis each writer puts in one record.
constexpr int kJefMaxMove = 126;
constexpr int kSewMaxMove = 127;

// JEF header: fixed 116 bytes, then the Janome codes and a constant per colour block.
constexpr std::size_t kJefColorCountAt = 24;
constexpr std::size_t kJefHeaderSize = 116;
constexpr std::uint32_t kJefBlockConstant = 13;
constexpr std::size_t kJefDateBytes = 14;
constexpr int kJefSmallHoop = 550;          // half of the 110 x 110 mm hoop
constexpr int kJefTinyHoop = 250;           // half of 50 x 50 mm
constexpr int kJefLargeHoop = 700;          // beyond this on every side: hoop code 4
constexpr int kJefFieldHalfWidth = 700;     // the 140 x 200 mm field
constexpr int kJefFieldHalfHeight = 1000;

// SEW header layout (byte offsets).
constexpr std::size_t kSewCodesAt = 2;
constexpr std::size_t kSewCountsAt = 50;
constexpr std::size_t kSewSharedIconAt = 74;     // 48 x 32, ends with the last block's icon
constexpr std::size_t kSewSmallIconsAt = 268;    // 24 x 22 per block
constexpr std::size_t kSewSmallIconStride = 68;
constexpr std::size_t kSewLargeIconsAt = 1084;   // 64 x 48 per block
constexpr std::size_t kSewLargeIconStride = 386;
constexpr std::size_t kSewOutlineAt = 6102;      // 120 x 80 outline of the whole design
constexpr std::size_t kSewOutlineBytes = 1200;
constexpr std::size_t kSewStreamAt = 7544;
// The SEW origin lies 17.5 mm left of and 10 mm above the design centre.
constexpr int kSewOriginDx = 175;
constexpr int kSewOriginDy = -100;

// Brings every record within +-limit per axis, walking the records it inserts too:
// - a colour change with a move becomes a zero-move colour change followed by the move as a
//   jump (a colour change sews nothing);
// - a longer move is cut to the limit and made a jump, the excess following as the record was
//   (a stitch or a jump);
// - a run of jumps ends in one landing stitch before the stitch after it (readers fold that
//   record into the jumps).
// A JEF colour change is written with a zero jump of its own (80 01 00 00 80 02 00 00), so
// there every colour change is followed by a zero stitch as well: readers fold the record
// after a jump into it, which must not cost the first stitch of the new colour.
void fitRecords(std::vector<Stitch>& records, int limit, bool jefColorChange) {
  std::vector<Stitch> out;
  out.reserve(records.size() + records.size() / 4 + 8);
  for (Stitch r : records) {
    for (;;) {
      // A jump escape before a colour change's would make the colour change escape its move.
      if (r.isColorChange() && r.isZeroMove()) r.setJump(false);
      if (r.isColorChange() && (jefColorChange || !r.isZeroMove())) {
        out.push_back(Stitch::withFlags(ColorChange));
        if (jefColorChange) out.push_back(Stitch());
        if (r.isZeroMove()) break;
        r.setColorChange(false);
        r.setJump(true);
        continue;
      }
      if (std::abs(r.dx) > limit || std::abs(r.dy) > limit) {
        const int cx = std::clamp<int>(r.dx, -limit, limit);
        const int cy = std::clamp<int>(r.dy, -limit, limit);
        Stitch head = r;
        head.setMove(cx, cy);
        head.setJump(true);
        out.push_back(head);
        r = Stitch(r.dx - cx, r.dy - cy, r.isJump());
        continue;
      }
      out.push_back(r);
      break;
    }
  }
  addJumpLandings(out);
  records = std::move(out);
}

struct StreamCounts {
  std::size_t jumps = 0;
  std::size_t colorChanges = 0;
};

StreamCounts countFlags(const std::vector<Stitch>& records) {
  StreamCounts c;
  for (const Stitch& s : records) {
    c.jumps += s.isJump();
    c.colorChanges += s.isColorChange();
  }
  return c;
}

void putMove(ByteWriter& w, const Stitch& s) {
  w.u8(static_cast<std::uint8_t>(s.dx));
  w.u8(static_cast<std::uint8_t>(s.dy));
}

void putEscape(ByteWriter& w, std::uint8_t code) {
  w.u8(kJanomeEscape);
  w.u8(code);
}

void putInt(ByteWriter& w, std::int64_t v) { w.u32le(static_cast<std::uint32_t>(static_cast<std::int32_t>(v))); }

// Reads the colour list of either header: `count` codes, `stride` bytes apart, low 16 bits.
void readJanomeCodes(EmbDesign& design, ByteSpan file, std::size_t at, std::size_t count, std::size_t stride) {
  ByteReader r(file);
  design.threads.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    r.seek(at + k * stride);
    design.threads.push_back(janomeColor(static_cast<int>(r.u16le())));
  }
}

// mergeJumps and dropLeadingJumps, keeping one colour per remaining block: a colour change
// that ends the stream (a stop before the end mark) and colour changes among the leading
// jumps leave no block behind, so their colours go too.
void normaliseWithColors(EmbDesign& design) {
  const bool trailingChange = !design.stitches.empty() && design.stitches.back().isColorChange();
  design.mergeJumps(false);
  std::size_t leadingChanges = 0;
  for (const Stitch& s : design.stitches) {
    if (!s.isJump() && !s.isZeroMove()) break;
    leadingChanges += s.isColorChange();
  }
  design.dropLeadingJumps();
  auto& threads = design.threads;
  if (trailingChange && threads.size() > 1) threads.pop_back();
  const std::size_t dropFront = std::min(leadingChanges, threads.empty() ? 0 : threads.size() - 1);
  threads.erase(threads.begin(), threads.begin() + static_cast<std::ptrdiff_t>(dropFront));
}

}  // namespace

std::size_t decodeJanomeStream(ByteSpan file, std::size_t start, std::vector<Stitch>& out) {
  std::size_t changes = 0;
  if (start >= file.size()) return 0;
  ByteReader r(file, start);
  out.reserve(out.size() + r.remaining() / 2);
  while (r.has(2)) {
    const std::uint8_t x = r.u8();
    const std::uint8_t y = r.u8();
    Stitch s;
    if (x == kJanomeEscape) {
      if (y == kJanomeEnd) break;
      if (y == kJanomeColorChange) {
        s.flags = ColorChange;
        ++changes;
      } else if (y == kJanomeJump) {
        s.flags = Jump;
      }
      // The move follows the escape; a missing move reads as zero.
      if (r.has(2)) {
        const std::int8_t mx = r.i8();
        s.setMove(mx, r.i8());
      }
    } else {
      s.setMove(static_cast<std::int8_t>(x), static_cast<std::int8_t>(y));
    }
    out.push_back(s);
  }
  return changes;
}

JefDate currentJefDate() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto days = floor<std::chrono::days>(now);
  const year_month_day ymd{days};
  const hh_mm_ss hms{floor<seconds>(now - days)};
  return {static_cast<int>(ymd.year()),          static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(hms.hours().count()),
          static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count())};
}

int jefHoopCode(const EmbDesign& d) {
  int code = 2;
  if (d.maxX < kJefSmallHoop && d.maxY < kJefSmallHoop && d.minX > -kJefSmallHoop && d.minY > -kJefSmallHoop) code = 0;
  if (d.maxX < kJefTinyHoop && d.maxY < kJefTinyHoop && d.minX > -kJefTinyHoop && d.minY > -kJefTinyHoop) code = 1;
  if (d.maxX > kJefLargeHoop && d.maxY > kJefLargeHoop && d.minX < -kJefLargeHoop && d.minY < -kJefLargeHoop) code = 4;
  return code;
}

ReadResult readJef(DesignCodec&, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  ByteReader r(file);
  const std::uint32_t streamAt = r.u32le();
  r.seek(kJefColorCountAt);
  const std::size_t colors = r.u32le() & 0xFFFF;
  if (colors > kJanomeMaxColors) return ReadResult::Failed;
  readJanomeCodes(design, file, kJefHeaderSize, colors, 4);

  const std::size_t changes = decodeJanomeStream(file, streamAt, design.stitches);
  // The colour list follows the stream: surplus colours go, missing ones are "Unknown".
  if (design.threads.size() > changes + 1) design.threads.resize(changes + 1);
  while (design.threads.size() < changes + 1) {
    ThreadColor unknown;
    unknown.displayName = "Unknown";
    design.threads.push_back(std::move(unknown));
  }

  normaliseWithColors(design);
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

ReadResult readSew(DesignCodec&, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  ByteReader r(file);
  const std::size_t colors = r.u16le();
  if (colors > kJanomeMaxColors) return ReadResult::Failed;
  readJanomeCodes(design, file, kSewCodesAt, colors, 2);
  decodeJanomeStream(file, kSewStreamAt, design.stitches);
  design.mergeJumps(false);
  design.dropLeadingJumps();
  return ReadResult::Ok;
}

std::optional<ByteBuffer> writeJef(DesignCodec&, EmbDesign& design) {
  return writeJef(design, currentJefDate());
}

std::optional<ByteBuffer> writeJef(EmbDesign& d, const JefDate& date) {
  if (d.stitches.empty() || d.threads.empty()) return std::nullopt;
  d.centreDesign(EmbDesign::kNone);
  for (ThreadColor& t : d.threads) nearestJanomeCode(t);
  fitRecords(d.stitches, kJefMaxMove, true);

  const StreamCounts counts = countFlags(d.stitches);
  const int hoop = jefHoopCode(d);
  const std::size_t colors = d.threads.size();
  // Leading zero jump (4 bytes), 2 per record, 2 more per jump prefix, 6 more per colour
  // change prefix, end mark (2).
  const std::size_t streamBytes = 4 + 2 * d.stitches.size() + 2 * counts.jumps + 6 * counts.colorChanges + 2;
  const std::size_t streamAt = kJefHeaderSize + 8 * colors;
  std::size_t length = streamAt + streamBytes;
  if (hoop == 4) length = length / 4 * 4 + 4;

  ByteWriter w;
  w.reserve(length);
  putInt(w, static_cast<std::int64_t>(streamAt));
  putInt(w, hoop == 4 ? 20 : 10);
  char stamp[32] = {};
  std::snprintf(stamp, sizeof stamp, "%04i%02i%02i%02i%02i%i", date.year, date.month, date.day, date.hour,
                date.minute, date.second);
  std::array<std::uint8_t, kJefDateBytes> dateBytes{};
  std::memcpy(dateBytes.data(), stamp, std::min(std::strlen(stamp), kJefDateBytes));
  w.bytes(dateBytes);
  w.fill(0, 2);
  putInt(w, static_cast<std::int64_t>(colors));
  putInt(w, static_cast<std::int64_t>(streamBytes / 2));
  putInt(w, hoop);

  const int left = std::abs(d.minX), top = d.maxY, right = d.maxX, bottom = std::abs(d.minY);
  for (int v : {left, top, right, bottom}) putInt(w, v);
  const bool fitsSmallHoop =
      d.maxX < kJefSmallHoop && d.maxY < kJefSmallHoop && d.minX > -kJefSmallHoop && d.minY > -kJefSmallHoop;
  for (int v : {left, top, right, bottom}) putInt(w, fitsSmallHoop ? kJefSmallHoop - v : -1);
  for (int i = 0; i < 4; ++i) putInt(w, -1);
  for (int twice = 0; twice < 2; ++twice) {
    if (hoop <= 3) {
      putInt(w, kJefFieldHalfWidth - left);
      putInt(w, kJefFieldHalfHeight - top);
      putInt(w, kJefFieldHalfWidth - right);
      putInt(w, kJefFieldHalfHeight - bottom);
    } else {
      for (int i = 0; i < 4; ++i) putInt(w, -1);
    }
  }
  for (const ThreadColor& t : d.threads) putInt(w, t.chartCode);
  for (std::size_t k = 0; k < colors; ++k) putInt(w, kJefBlockConstant);

  putEscape(w, kJanomeJump);
  w.u16le(0);
  for (const Stitch& s : d.stitches) {
    if (s.isJump()) putEscape(w, kJanomeJump);
    if (s.isColorChange()) {
      putEscape(w, kJanomeColorChange);
      w.u16le(0);
      putEscape(w, kJanomeJump);
    }
    putMove(w, s);
  }
  putEscape(w, kJanomeEnd);
  w.fill(0, length - w.size());
  return w.take();
}

namespace {

// Renders the SEW block icons of a centred design: the 24 x 22 and 64 x 48 icons per block,
// the shared 48 x 32 slot (left holding the last block's icon) and the 120 x 80 outline.
// The icons are drawn before the SEW origin jump is added, so they show each block where
// it lies on the centred design.
struct SewIcons {
  std::vector<std::vector<std::uint8_t>> small, large;
  std::vector<std::uint8_t> shared;
  std::vector<std::uint8_t> outline;
};

// Keeps the bitmap state the icon renders change and restores it afterwards.
class IconRenderScope {
 public:
  explicit IconRenderScope(EmbDesign& d)
      : d_(d), palette_(d.palette), width_(d.DesignBitmap::width), height_(d.DesignBitmap::height), shaded_(d.shaded) {
    usePalette(d_, &local_);
    d_.shaded = false;  // only the set / clear state of each pixel is kept
  }
  ~IconRenderScope() {
    d_.pixels.clear();
    d_.DesignBitmap::width = width_;
    d_.DesignBitmap::height = height_;
    d_.shaded = shaded_;
    usePalette(d_, palette_);
  }
  IconRenderScope(const IconRenderScope&) = delete;
  IconRenderScope& operator=(const IconRenderScope&) = delete;

 private:
  EmbDesign& d_;
  PaletteManager local_;
  PaletteManager* palette_;
  std::int32_t width_, height_;
  bool shaded_;
};

constexpr int kOutlineWidth = 120;
constexpr int kOutlineHeight = 80;
constexpr std::size_t kOutlineRowBytes = kOutlineWidth / 8;

bool outlineBit(const std::vector<std::uint8_t>& bits, int x, int y) {
  return bits[static_cast<std::size_t>(y) * kOutlineRowBytes + static_cast<std::size_t>(x / 8)] & (0x80 >> (x % 8));
}

// The outline area holds the union of every block's 120 x 80 icon with each pixel whose
// 3 x 3 neighbourhood is fully set cleared, in the icon bit order (most significant bit
// first); like the other slots it starts with the 2-byte icon header, so the last 16 pixels
// of the bottom row (always margin) do not fit.
std::vector<std::uint8_t> outlineArea(EmbDesign& d, std::size_t blocks) {
  std::vector<std::uint8_t> all(kOutlineRowBytes * kOutlineHeight, 0);
  std::vector<std::uint8_t> icon;
  for (std::size_t k = 0; k < blocks; ++k) {
    if (renderBlockIcon(d, static_cast<int>(k), icon, kOutlineWidth, kOutlineHeight) <= 0) continue;
    for (std::size_t i = 0; i < all.size() && i + 2 < icon.size(); ++i) all[i] |= icon[i + 2];
  }
  std::vector<std::uint8_t> edge = all;
  for (int y = 1; y < kOutlineHeight - 1; ++y) {
    for (int x = 1; x < kOutlineWidth - 1; ++x) {
      bool full = true;
      for (int dy = -1; dy <= 1 && full; ++dy)
        for (int dx = -1; dx <= 1 && full; ++dx) full = outlineBit(all, x + dx, y + dy);
      if (full)
        edge[static_cast<std::size_t>(y) * kOutlineRowBytes + static_cast<std::size_t>(x / 8)] &=
            static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
    }
  }
  std::vector<std::uint8_t> area(kSewOutlineBytes, 0);
  area[0] = kOutlineWidth / 8;
  area[1] = kOutlineHeight;
  std::copy(edge.begin(), edge.begin() + static_cast<std::ptrdiff_t>(kSewOutlineBytes - 2), area.begin() + 2);
  return area;
}

SewIcons renderSewIcons(EmbDesign& d, std::size_t blocks) {
  SewIcons icons;
  IconRenderScope scope(d);
  icons.small.resize(blocks);
  icons.large.resize(blocks);
  for (std::size_t k = 0; k < blocks; ++k) {
    const int block = static_cast<int>(k);
    renderBlockIcon(d, block, icons.small[k], 24, 22);
    renderBlockIcon(d, block, icons.large[k], 64, 48);
    if (k + 1 == blocks) renderBlockIcon(d, block, icons.shared, 48, 32);
  }
  icons.outline = outlineArea(d, blocks);
  return icons;
}

void placeIcon(ByteBuffer& out, std::size_t at, const std::vector<std::uint8_t>& icon, std::size_t slotBytes) {
  std::copy_n(icon.begin(), std::min(icon.size(), slotBytes), out.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

std::optional<ByteBuffer> writeSew(DesignCodec&, EmbDesign& d) {
  if (d.stitches.empty() || d.threads.empty() || d.threads.size() > kSewMaxColors) return std::nullopt;
  d.centreDesign(EmbDesign::kNone);
  const std::size_t blocks = std::min(d.colorChangeCount() + 1, kSewMaxColors);
  const SewIcons icons = renderSewIcons(d, blocks);

  // centreDesign left a jump at the head: move it to the SEW origin and start from a zero jump.
  d.stitches.front().addMove(kSewOriginDx, kSewOriginDy);
  if (!d.stitches.front().isZeroMove()) d.stitches.insert(d.stitches.begin(), Stitch(0, 0, true));
  for (ThreadColor& t : d.threads) nearestJanomeCode(t);
  fitRecords(d.stitches, kSewMaxMove, false);

  // Records per block: a colour change opens the next block; the last block also counts the
  // end mark.
  std::vector<std::uint32_t> perBlock(1, 0);
  const StreamCounts counts = countFlags(d.stitches);
  for (const Stitch& s : d.stitches) {
    if (s.isColorChange()) perBlock.push_back(0);
    ++perBlock.back();
  }
  ++perBlock.back();

  const std::size_t streamBytes = 2 * (d.stitches.size() + counts.jumps + counts.colorChanges + 1);
  ByteWriter w;
  w.reserve(kSewStreamAt + streamBytes);
  w.fill(0, kSewStreamAt);
  ByteBuffer& out = w.buffer();
  w.u16leAt(0, static_cast<unsigned>(d.threads.size()));
  for (std::size_t k = 0; k < d.threads.size(); ++k)
    w.u16leAt(kSewCodesAt + 2 * k, static_cast<unsigned>(d.threads[k].chartCode));
  for (std::size_t k = 0; k < std::min(perBlock.size(), kSewMaxColors) && perBlock[k] != 0; ++k)
    w.u16leAt(kSewCountsAt + 2 * k, std::min<std::uint32_t>(perBlock[k], 0xFFFF));

  placeIcon(out, kSewSharedIconAt, icons.shared, kSewSmallIconsAt - kSewSharedIconAt);
  for (std::size_t k = 0; k < blocks; ++k) {
    placeIcon(out, kSewSmallIconsAt + kSewSmallIconStride * k, icons.small[k], kSewSmallIconStride);
    placeIcon(out, kSewLargeIconsAt + kSewLargeIconStride * k, icons.large[k], kSewLargeIconStride);
  }
  placeIcon(out, kSewOutlineAt, icons.outline, kSewOutlineBytes);

  for (const Stitch& s : d.stitches) {
    if (s.isJump()) putEscape(w, kJanomeJump);
    if (s.isColorChange()) putEscape(w, kJanomeColorChange);
    putMove(w, s);
  }
  putEscape(w, kJanomeEnd);
  return w.take();
}

}  // namespace lh
