#include "formats/pes_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "formats/pec.h"
#include "formats/pes_threads.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"

namespace lh {

namespace {

constexpr std::string_view kSection = "Conversion";
constexpr std::uint16_t kSegmentContinue = 0x8003;
constexpr std::size_t kOldColourLogTail = 4;
constexpr std::size_t kVersion4Gap = 4;
constexpr std::size_t kVersion4TrailerUnit = 128;
constexpr std::uint8_t kFill = 0x20;

// ---------------------------------------------------------------------------------------------
// Shared pieces

struct Extents {
  int w = 0, h = 0, cx = 0, cy = 0;
};
// Extents of the centred design: |minX| + maxX by |minY| + maxY.
Extents extentsOf(const EmbDesign& d) {
  Extents e;
  e.w = std::abs(d.minX) + d.maxX;
  e.h = std::abs(d.minY) + d.maxY;
  e.cx = e.w / 2;
  e.cy = e.h / 2;
  return e;
}

// A fixed-size header filled in place.
class Header {
 public:
  explicit Header(std::size_t size) : bytes_(size, 0) {}
  void u16(std::size_t at, int v) {
    bytes_[at] = static_cast<std::uint8_t>(v & 0xFF);
    bytes_[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  void f32(std::size_t at, float v) {
    const std::uint32_t u = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) bytes_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (8 * i));
  }
  void text(std::size_t at, std::string_view s) { std::memcpy(bytes_.data() + at, s.data(), s.size()); }
  void u8(std::size_t at, int v) { bytes_[at] = static_cast<std::uint8_t>(v); }
  const ByteBuffer& bytes() const { return bytes_; }

 private:
  ByteBuffer bytes_;
};

void putI16(ByteWriter& w, int v) { w.u16le(static_cast<unsigned>(v) & 0xFFFF); }
void putF32(ByteWriter& w, float v) { w.u32le(std::bit_cast<std::uint32_t>(v)); }
void putCounted(ByteWriter& w, std::string_view s) {
  s = s.substr(0, kPesCountedTextMax);
  w.u8(static_cast<unsigned>(s.size()));
  w.text(s);
}

// The CSewSeg data and the segment counter. A segment begins at the first record, at every
// record whose Jump flag differs from the previous record's and at every colour change; a run
// longer than an int16 count can hold continues in a further segment of the same kind.
struct SewSegments {
  ByteBuffer bytes;
  int count = 0;
  std::vector<int> entries;  // e(i): the counter where block i begins
};

SewSegments buildSewSegments(const EmbDesign& d, int x0, int y0, bool older,
                             const std::function<int(std::size_t block, bool first)>& colourOf) {
  SewSegments s;
  ByteWriter w;
  w.reserve(d.stitches.size() * 4 + 64);
  s.entries.push_back(0);
  std::size_t block = 0;
  const std::size_t lastBlock = d.threads.empty() ? 0 : d.threads.size() - 1;
  std::size_t countAt = 0;
  int points = 0;
  int x = x0, y = y0;
  auto closeSegment = [&] {
    if (s.count > 0) w.u16leAt(countAt, static_cast<unsigned>(points));
  };
  auto openSegment = [&](int type, int beforeX, int beforeY, bool repeat) {
    closeSegment();
    if (s.count > 0) w.u16le(kSegmentContinue);
    putI16(w, type);
    putI16(w, colourOf(block, s.count == 0));
    countAt = w.size();
    w.u16le(0);
    points = 0;
    ++s.count;
    if (repeat) {
      putI16(w, beforeX);
      putI16(w, beforeY);
      ++points;
    }
  };
  for (std::size_t i = 0; i < d.stitches.size(); ++i) {
    const Stitch& r = d.stitches[i];
    const int px = x, py = y;
    if (i > 0) {
      x += r.dx;
      y -= r.dy;
    }
    const bool differs = i == 0 || r.isJump() != d.stitches[i - 1].isJump();
    bool opened = false;
    if (r.isColorChange() && block < lastBlock) ++block;
    if (differs) {
      openSegment(i == 0 ? 0 : (r.isJump() ? 1 : 0), px, py, i > 0);
      opened = true;
    }
    if (r.isColorChange()) {
      s.entries.push_back(s.count);
      if (!opened) {
        openSegment(r.isJump() ? 1 : 0, px, py, true);
        opened = true;
      }
      (void)older;
    }
    if (!opened && points >= kPesSegmentMaxPoints) openSegment(r.isJump() ? 1 : 0, px, py, true);
    putI16(w, x);
    putI16(w, y);
    ++points;
  }
  closeSegment();
  s.bytes = w.take();
  return s;
}

// The segment entry of each block (blocks beyond the colour changes start at the end).
int entryOf(const SewSegments& s, std::size_t block) {
  return block < s.entries.size() ? s.entries[block] : s.count;
}

// PEC header, section header and stitch bytes (pictures are added by the caller).
ByteBuffer pecBlockStart(const EmbDesign& d, std::span<const std::uint8_t> indexes, bool threadTableMark) {
  ByteWriter stitches;
  stitches.reserve(d.stitches.size() * 3 + 16);
  const std::uint32_t length = writePecStitches(d, stitches);
  ByteWriter w;
  w.reserve(kPecHeaderSize + kPecSectionHeaderSize + stitches.size());
  writePecHeader(w, pecLabel(d.path), indexes, threadTableMark);
  writePecSectionHeader(w, length, d.maxX - d.minX, d.maxY - d.minY);
  w.bytes(stitches.buffer());
  return w.take();
}

void shiftToCorner(Stitch& first, const Extents& e) { first.addMove(e.w / 2, e.h / -2); }

// ---------------------------------------------------------------------------------------------
// Older writer: versions 1, 2 and 4

// Cuts moves beyond 500 into chains of jumps of at most 500.
void clampMoves(EmbDesign& d) {
  std::vector<Stitch> out;
  out.reserve(d.stitches.size() + 16);
  for (Stitch r : d.stitches) {
    for (;;) {
      const int keepX = std::clamp<int>(r.dx, -kPesMaxMove, kPesMaxMove);
      const int keepY = std::clamp<int>(r.dy, -kPesMaxMove, kPesMaxMove);
      const int restX = r.dx - keepX, restY = r.dy - keepY;
      if (restX == 0 && restY == 0) {
        out.push_back(r);
        break;
      }
      r.setMove(keepX, keepY);
      r.setJump(true);
      out.push_back(r);
      r = Stitch(restX, restY, true);
    }
  }
  d.stitches = std::move(out);
}

ByteBuffer olderHeader(const EmbDesign& d, int version, bool turned, int segments) {
  const Extents e = extentsOf(d);
  const int fx = d.stitches.front().dx, fy = d.stitches.front().dy;
  auto frame = [&](Header& h, std::size_t at) {
    const int v[4] = {1000 - e.cx, 1000 - e.cy, 1000 - e.cx + e.w, 1000 - e.cy + e.h};
    for (int k = 0; k < 4; ++k) {
      h.u16(at + 2 * static_cast<std::size_t>(k), v[k]);
      h.u16(at + 8 + 2 * static_cast<std::size_t>(k), v[k]);
    }
    h.f32(at + 16, 1.0f);
    h.f32(at + 20, 0.0f);
    h.f32(at + 24, 0.0f);
    h.f32(at + 28, 1.0f);
  };
  if (version == 1) {
    Header h(104);
    h.text(0, "#PES0001");
    h.u16(12, (e.w > 1000 || e.h > 1000) ? 1 : 0);
    h.u16(14, 1);
    h.u16(16, 1);
    h.u16(18, 0xFFFF);
    h.u16(22, 7);
    h.text(24, "CEmbOne");
    frame(h, 31);
    h.f32(63, static_cast<float>(fx - e.cx + 1000));
    h.f32(67, static_cast<float>(1000 - (fy + e.cy)));
    h.u16(71, 1);
    h.u16(73, -fx);
    h.u16(75, e.cy + (fy + e.cy));
    h.u16(77, e.w);
    h.u16(79, e.h);
    h.u16(89, segments);
    h.u16(91, 0xFFFF);
    h.u16(95, 7);
    h.text(97, "CSewSeg");
    return h.bytes();
  }
  if (version == 2) {
    Header h(122);
    h.text(0, "#PES0020");
    h.u16(12, 180);
    h.u16(14, 130);
    h.u8(16, 1);
    h.u16(18, 7);
    h.u16(20, 19);
    h.u16(28, 25);
    h.u16(30, 1);
    h.u16(34, 1);
    h.u16(36, 0xFFFF);
    h.u16(40, 7);
    h.text(42, "CEmbOne");
    frame(h, 49);
    h.f32(81, static_cast<float>(fx - e.cx + 1000));
    h.f32(85, static_cast<float>(1000 - (fy + e.cy - e.h)));
    h.u16(89, 1);
    h.u16(91, -fx);
    h.u16(93, e.cy + (fy + e.cy - e.h));
    h.u16(95, e.w);
    h.u16(97, e.h);
    h.u16(107, segments);
    h.u16(109, 0xFFFF);
    h.u16(113, 7);
    h.text(115, "CSewSeg");
    return h.bytes();
  }
  Header h(137);
  const int g = turned ? fy + e.cy - e.h : fy + e.cy;
  h.text(0, "#PES0040");
  h.u16(12, 1);
  h.text(14, "01");
  h.u16(23, turned ? 260 : 160);
  h.u16(25, turned ? 160 : 260);
  h.u8(27, turned ? 1 : 0);
  h.u16(29, 7);
  h.u16(31, 19);
  h.u16(39, 25);
  h.u16(41, 1);
  h.u16(49, 1);
  h.u16(51, 0xFFFF);
  h.u16(55, 7);
  h.text(57, "CEmbOne");
  frame(h, 64);
  h.f32(96, static_cast<float>(fx - e.cx + 1000));
  h.f32(100, static_cast<float>(1000 - g));
  h.u16(104, 1);
  h.u16(106, -fx);
  h.u16(108, e.cy + g);
  h.u16(110, e.w);
  h.u16(112, e.h);
  h.u16(122, segments);
  h.u16(124, 0xFFFF);
  h.u16(128, 7);
  h.text(130, "CSewSeg");
  return h.bytes();
}

int writeOlder(EmbDesign& d, const PesWriteOptions& o, ByteBuffer& out) {
  if (o.ensureTrims) ensureTrims(d, o.trimLength);
  if (d.stitches.empty()) return kPesRefused;
  if (d.fitRotation != 0) {
    d.rotateQuarter(-d.fitRotation);
    d.centreDesign();
  }
  Extents e = extentsOf(d);
  d.hoopRotation = 0;
  int version = 4;
  bool turn = false;
  if (e.w <= 1000 && e.h <= 1000) {
    version = 1;
  } else if (e.w <= 1300 && e.h <= 1800) {
    version = 1;
  } else if (e.w <= 1800 && e.h <= 1300) {
    version = 2;
    turn = true;
  } else if (e.w <= 1600 && e.h <= 2600) {
    version = 4;
  } else {
    turn = true;
  }
  if (turn) {
    d.rotateQuarter(1);
    d.hoopRotation = 1;
    d.centreDesign();
  }
  clampMoves(d);
  if (d.stitches.empty() || d.threads.empty()) return kPesWritten;
  if (d.threads.size() > kPecMaxBlocks) return kPesRefused;

  Stitch& first = d.stitches.front();
  first.setJump(false);
  d.computeBounds();
  const int cX = (d.maxX + d.minX) / 2, cY = (d.maxY + d.minY) / 2;
  first.addMove(-cX, -cY);
  d.maxX -= cX;
  d.minX -= cX;
  d.maxY -= cY;
  d.minY -= cY;
  int x0 = 0, y0 = 0;
  if (d.maxX < std::abs(d.minX)) {
    first.addMove(1, 0);
    ++d.maxX;
    ++d.minX;
    x0 = 1;
  }
  if (std::abs(d.minY) < d.maxY) {
    first.addMove(0, -1);
    --d.maxY;
    --d.minY;
    y0 = -1;
  }
  e = extentsOf(d);

  std::vector<std::uint8_t> indexes(d.threads.size());
  for (std::size_t i = 0; i < d.threads.size(); ++i) {
    ThreadColor& t = d.threads[i];
    t.chartCode = nearestPecColor(redOf(t.rgb), greenOf(t.rgb), blueOf(t.rgb), d.pesVersion != 0, version == 4);
    indexes[i] = static_cast<std::uint8_t>(t.chartCode);
  }
  shiftToCorner(first, e);
  first.setColorChange(false);
  ByteBuffer pec = pecBlockStart(d, indexes, false);
  if (turn) d.rotateQuarter(-1);

  const SewSegments seg = buildSewSegments(d, x0, y0, true, [&](std::size_t block, bool) {
    return d.threads[block].chartCode;
  });
  const ByteBuffer header = olderHeader(d, version, turn, seg.count);
  const std::size_t logSize = 4 * d.threads.size() + 2 + kOldColourLogTail;
  const std::size_t pecOffset = header.size() + seg.bytes.size() + logSize + (version == 4 ? kVersion4Gap : 0);
  if (pecOffset > kPec24BitLimit || pec.size() - kPecHeaderSize > kPec24BitLimit) return kPesRefused;

  d.showJumps = false;
  d.centreDesign();
  const ByteBuffer pictures = pecPictures(d);

  const std::size_t t = d.threads.size();
  const std::size_t trailer = version == 4 ? (t + 2 + kVersion4TrailerUnit - 1) / kVersion4TrailerUnit * kVersion4TrailerUnit : 0;
  ByteWriter w;
  w.reserve(pecOffset + pec.size() + pictures.size() + trailer);
  w.bytes(header);
  w.u32leAt(8, static_cast<std::uint32_t>(pecOffset));
  w.bytes(seg.bytes);
  putI16(w, static_cast<int>(t));
  for (std::size_t i = 0; i < t; ++i) {
    putI16(w, entryOf(seg, i));
    putI16(w, indexes[i]);
  }
  w.fill(0, kOldColourLogTail);
  if (version == 4) w.fill(0, kVersion4Gap);
  w.bytes(pec);
  w.bytes(pictures);
  if (version == 4) {
    const std::size_t at = w.size();
    w.fill(kFill, trailer);
    ByteBuffer& b = w.buffer();
    b[at] = static_cast<std::uint8_t>(t > 255 ? 255 : t - 1);
    for (std::size_t i = 0; i < t; ++i) b[at + 1 + i] = static_cast<std::uint8_t>(d.threads[i].chartCode & 0xFF);
  }
  out = w.take();
  return kPesWritten;
}

// ---------------------------------------------------------------------------------------------
// Version 5 / 6 writer

// A run of jumps (and a colour change followed by jumps) becomes one jump.
void foldJumps(std::vector<Stitch>& s) {
  std::vector<Stitch> out;
  out.reserve(s.size());
  for (Stitch r : s) {
    if (!out.empty() && r.isJump() && (out.back().isJump() || out.back().isColorChange())) {
      const Stitch prev = out.back();
      out.pop_back();
      r.addMove(prev.dx, prev.dy);
      if (prev.isColorChange()) r.setColorChange(true);
    }
    out.push_back(r);
  }
  s = std::move(out);
}

// Every colour change becomes a jump that follows a stitch.
void prepareColourChanges(std::vector<Stitch>& s) {
  std::vector<Stitch> out;
  out.reserve(s.size() + 16);
  for (std::size_t i = 0; i < s.size(); ++i) {
    Stitch r = s[i];
    if (r.isColorChange() && i + 1 < s.size()) {
      if (!out.empty() && out.back().isJump()) out.push_back(Stitch());
      if (s[i + 1].isJump()) {
        s[i + 1].addMove(r.dx, r.dy);
        s[i + 1].setColorChange(true);
        continue;
      }
      r.setJump(true);
    }
    out.push_back(r);
  }
  s = std::move(out);
}

// A design ends in at least three stitches after its last jump or colour change.
void addClosingStitches(std::vector<Stitch>& s) {
  int counted = 0;
  for (std::size_t i = s.size(); i-- > 0;) {
    const Stitch& r = s[i];
    if (!(r.isJump() && r.isColorChange())) ++counted;
    if (r.isJump() || r.isColorChange() || counted > 2) break;
  }
  for (int k = counted; k < kPesTieOffStitches; ++k) s.push_back(Stitch());
}

struct HoopChoice {
  int width, height, turn;
  int version;  // 50, 55 or 60
};

HoopChoice chooseHoop(const Extents& e, bool pes6) {
  if (e.w <= 1000 && e.h <= 1000) return {100, 100, 0, 50};
  if (e.w <= 1300 && e.h <= 1800) return {130, 180, 0, 50};
  if (e.w <= 1800 && e.h <= 1300) return {180, 130, 1, 50};
  if (e.w <= 1600 && e.h <= 2600) return {160, 260, 0, 50};
  if (e.w <= 2600 && e.h <= 1600) return {260, 160, 1, 50};
  if (pes6 && e.w <= 1800 && e.h <= 3000) return {180, 300, 0, 60};
  if (pes6 && e.w <= 3000 && e.h <= 1800) return {300, 180, 1, 60};
  if (e.h <= 2000 && e.w <= 3000) return {300, 200, 0, 55};
  return {200, 300, -1, 55};
}

ByteBuffer version5Header(const EmbDesign& d, int version, int segments) {
  const Extents e = extentsOf(d);
  const int fx = d.stitches.front().dx, fy = d.stitches.front().dy;
  const bool turned = d.hoopRotation != 0;
  const int a = turned ? fx : fx - e.cx;
  const int b = turned ? fy : fy + e.cy;
  ByteWriter w;
  w.text(version == 60 ? "#PES0060" : version == 55 ? "#PES0055" : "#PES0050");
  w.u32le(0);
  putI16(w, 1);
  w.text(version == 60 ? "02" : version == 55 ? "10" : "01");
  for (const std::string* s : {&d.name, &d.category, &d.author, &d.keywords, &d.comments}) putCounted(w, *s);
  if (version == 60) {
    for (int v : {0, 0, d.hoopWidth, d.hoopHeight, 0, 230, 330, d.hoopWidth, d.hoopHeight, 100}) putI16(w, v);
  } else {
    for (int v : {0, d.hoopWidth, d.hoopHeight, 0}) putI16(w, v);
  }
  for (int v : {7, 19, 0, 0, 0, 25, 1, 0}) putI16(w, v);
  w.u32le(0x80000000u);
  putI16(w, 63);
  w.fill(0, 6);
  w.u32le(0x80000000u);
  putI16(w, 63);
  w.fill(0, 12);
  w.u8(0);
  putI16(w, static_cast<int>(d.fileThreads.size()));
  for (const ThreadColor& t : d.fileThreads) {
    putCounted(w, t.code);
    w.u8(static_cast<unsigned>(redOf(t.rgb)));
    w.u8(static_cast<unsigned>(greenOf(t.rgb)));
    w.u8(static_cast<unsigned>(blueOf(t.rgb)));
    w.u8(0);
    w.u32le(static_cast<std::uint32_t>(t.threadType));
    putCounted(w, t.colorName);
    putCounted(w, t.brand);
    putCounted(w, t.chartName);
  }
  for (int v : {1, 0xFFFF, 0, 7}) putI16(w, v);
  w.text("CEmbOne");
  w.fill(0, 16);
  for (float f : {1.0f, 0.0f, 0.0f, 1.0f}) putF32(w, f);
  putF32(w, static_cast<float>(a + 1000));
  putF32(w, static_cast<float>(1000 - b));
  for (int v : {1, -(a + e.cx), b + e.cy, e.w, e.h}) putI16(w, v);
  for (int v : {0, 0, 0, 0, segments}) putI16(w, v);
  for (int v : {0xFFFF, 0, 7}) putI16(w, v);
  w.text("CSewSeg");
  return w.take();
}

int writeVersion5(EmbDesign& d, const PesWriteOptions& o, ByteBuffer& out) {
  if (d.stitches.empty()) return kPesRefused;
  if (d.threads.empty()) return kPesWritten;
  if (d.threads.size() > kPesMaxBlocksV5) return kPesRefused;

  foldJumps(d.stitches);
  for (Stitch& r : d.stitches)
    if (r.isJump() && r.isZeroMove()) r.setJump(false);
  prepareColourChanges(d.stitches);
  while (!d.stitches.empty() && (d.stitches.back().isJump() || d.stitches.back().isColorChange()))
    d.stitches.pop_back();
  addClosingStitches(d.stitches);
  if (o.ensureTrims) ensureTrims(d, o.trimLength);
  if (d.fitRotation != 0) d.rotateQuarter(-d.fitRotation);
  d.centreDesign();

  const HoopChoice hoop = chooseHoop(extentsOf(d), o.version6);
  d.hoopWidth = hoop.width;
  d.hoopHeight = hoop.height;
  buildFileThreads(d);
  d.assignNeedles();
  d.hoopRotation = 0;
  if (hoop.turn != 0) {
    d.rotateQuarter(hoop.turn);
    d.hoopRotation = hoop.turn;
    d.centreDesign();
  }
  Stitch& first = d.stitches.front();
  shiftToCorner(first, extentsOf(d));
  first.setJump(true);
  first.setColorChange(false);
  d.splitLongStitches(kPesMaxMove, false, true);

  const std::size_t t = d.threads.size();
  std::vector<std::uint8_t> indexes(t);
  for (std::size_t i = 0; i < t; ++i) {
    const std::uint32_t c = d.threads[i].rgb;
    indexes[i] = static_cast<std::uint8_t>(nearestPecColor(redOf(c), greenOf(c), blueOf(c), d.pesVersion != 0, true));
  }
  ByteBuffer pec = pecBlockStart(d, indexes, true);
  if (d.hoopRotation != 0) {
    d.rotateQuarter(-d.hoopRotation);
    d.centreDesign();
  }

  for (ThreadColor& b : d.threads) b.chartCode = b.fileThreadIndex;
  const SewSegments seg = buildSewSegments(d, 0, 0, false, [&](std::size_t block, bool firstSegment) {
    const ThreadColor& b = d.threads[firstSegment ? 0 : block];
    return firstSegment ? b.fileThreadIndex : (b.needle >= 0 ? b.needle : b.fileThreadIndex);
  });
  ByteBuffer header = version5Header(d, hoop.version, seg.count);
  const std::size_t logSize = 12 * t + 10;
  const std::size_t pecOffset = header.size() + seg.bytes.size() + logSize;
  if (pecOffset > kPec24BitLimit || pec.size() - kPecHeaderSize > kPec24BitLimit) return kPesRefused;

  d.showJumps = false;
  d.centreDesign();
  const ByteBuffer pictures = pecPictures(d);

  ByteWriter w;
  w.reserve(pecOffset + pec.size() + pictures.size() + kPesIndexBlockSize + (kThreadLabelSize + 3) * t + 2);
  w.bytes(header);
  w.u32leAt(8, static_cast<std::uint32_t>(pecOffset));
  w.bytes(seg.bytes);
  const std::size_t log = w.size();
  w.fill(0, logSize);
  ByteBuffer& b = w.buffer();
  auto put16 = [&](std::size_t at, int v) {
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  };
  put16(log, static_cast<int>(t));
  for (std::size_t i = 0; i < t; ++i) {
    put16(log + 2 + 4 * i, entryOf(seg, i));
    put16(log + 4 + 4 * i, d.threads[i].needle);
    b[log + 4 * t + 14 + 8 * i] = static_cast<std::uint8_t>(i);
  }
  w.bytes(pec);
  w.bytes(pictures);
  const std::size_t block = w.size();
  w.fill(kFill, kPesIndexBlockSize);
  w.buffer()[block] = static_cast<std::uint8_t>(t - 1);
  std::memcpy(w.buffer().data() + block + 1, indexes.data(), t);
  const std::size_t labels = w.size();
  w.fill(0, kThreadLabelSize * t);
  threadLabelPictures(d, w.buffer().data() + labels);
  for (const ThreadColor& th : d.threads) {
    w.u8(static_cast<unsigned>(redOf(th.rgb)));
    w.u8(static_cast<unsigned>(greenOf(th.rgb)));
    w.u8(static_cast<unsigned>(blueOf(th.rgb)));
  }
  if (o.version6) w.fill(0, 2);
  out = w.take();
  return kPesWritten;
}

}  // namespace

PesWriteOptions pesWriteOptions(const SettingsStore& settings) {
  PesWriteOptions o;
  o.version5 = settings.getInt(kSection, "pes5", 1) != 0;
  o.version6 = settings.getInt(kSection, "pes6", 1) != 0;
  o.ensureTrims = settings.getInt(kSection, "pestrim", 1) != 0;
  o.trimLength = settings.getInt(kSection, "pestrimlen", 6);
  return o;
}

int writePes(EmbDesign& design, const PesWriteOptions& options, ByteBuffer& out) {
  out.clear();
  return options.version5 ? writeVersion5(design, options, out) : writeOlder(design, options, out);
}

std::optional<ByteBuffer> writePesFile(DesignCodec& codec, EmbDesign& design) {
  ByteBuffer out;
  if (writePes(design, pesWriteOptions(codec.settings()), out) != kPesWritten || out.empty()) return std::nullopt;
  return out;
}

void ensureTrims(EmbDesign& design, int trimLengthMm) {
  const long limit = 10L * trimLengthMm;
  std::vector<Stitch> out;
  out.reserve(design.stitches.size() + design.stitches.size() / 16 + 4);
  int run = 0;
  bool idle = true;
  for (const Stitch& r : design.stitches) {
    if (r.isColorChange()) {
      idle = true;
      out.push_back(r);
      continue;
    }
    const long len = static_cast<long>(std::floor(std::sqrt(static_cast<double>(r.dx) * r.dx +
                                                            static_cast<double>(r.dy) * r.dy) + 0.5));
    if (!idle && r.isJump() && len > limit) {
      for (int k = run; k < kPesTieOffStitches; ++k) out.push_back(Stitch());
      idle = true;
    }
    run = (len > kPesTieOffLength || r.isJump()) ? 0 : run + 1;
    if (!r.isJump()) idle = false;
    out.push_back(r);
  }
  design.stitches = std::move(out);
}

}  // namespace lh
