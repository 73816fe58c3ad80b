// The older PES writer: versions 1, 2 and 4 by design size, every colour reduced to the PEC
// palette.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#include "formats/pec.h"
#include "formats/pes_sections.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"

namespace lh::pes {

namespace {

constexpr std::size_t kOldColorLogTail = 4;
constexpr std::size_t kVersion4Gap = 4;
constexpr std::size_t kVersion4TrailerUnit = 128;

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
    for (int i = 0; i < 4; ++i)
      bytes_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (8 * i));
  }
  void text(std::size_t at, std::string_view s) { std::memcpy(bytes_.data() + at, s.data(), s.size()); }
  void u8(std::size_t at, int v) { bytes_[at] = static_cast<std::uint8_t>(v); }
  const ByteBuffer& bytes() const { return bytes_; }

 private:
  ByteBuffer bytes_;
};

// The older headers: a version preamble, then the CEmbOne and CSewSeg object sections, laid
// out alike in every version from `sections` on.
struct OlderLayout {
  std::string_view magic;
  std::size_t size;
  std::size_t hoop;      // int16 width, int16 height (mm), byte turned, then kFixedRun; 0: none
  std::size_t sections;  // where the object sections begin
};
constexpr OlderLayout kVersion1{"#PES0001", 104, 0, 16};
constexpr OlderLayout kVersion2{"#PES0020", 122, 12, 34};
constexpr OlderLayout kVersion4{"#PES0040", 137, 23, 49};

// Version 1: int16 at 12 says which hoop (0 the 100 x 100 one, 1 the larger), then int16 1.
constexpr std::size_t kV1LargeHoopAt = 12;
constexpr std::size_t kV1OneAt = 14;
// Versions 4 and later: int16 1, then the two characters of the sub-version.
constexpr std::size_t kV4OneAt = 12;
constexpr std::size_t kV4SubVersionAt = 14;
constexpr int kSmallHoopLimit = 1000;  // 0.1 mm: the 100 x 100 hoop

// Offsets from the start of the object sections.
constexpr std::size_t kObjectCountAt = 0;  // int16 1: one CEmbOne object
constexpr std::size_t kEmbOneTagAt = 2;    // 0xFFFF, 0, name length, "CEmbOne"
constexpr std::size_t kFrameAt = 15;       // four int16 left, top, right, bottom
constexpr std::size_t kFrameAgainAt = 23;  // the same four values again
constexpr std::size_t kMatrixAt = 31;      // four floats: 1, 0, 0, 1
constexpr std::size_t kTranslateAt = 47;   // two floats: the design's place on the page
constexpr std::size_t kBlockCountAt = 55;  // int16 1
constexpr std::size_t kOriginAt = 57;      // two int16: -fx and cy + g
constexpr std::size_t kSizeAt = 61;        // two int16: W and H
constexpr std::size_t kSegmentsAt = 73;    // int16: the CSewSeg segment count
constexpr std::size_t kSewSegTagAt = 75;   // 0xFFFF, 0, name length, "CSewSeg"
// The page centre the frame and translation are measured from.
constexpr int kPageCentre = 1000;

// A class tag: 0xFFFF, int16 0, int16 name length, the name.
void putTag(Header& h, std::size_t at, std::string_view name) {
  h.u16(at, 0xFFFF);
  h.u16(at + 4, static_cast<int>(name.size()));
  h.text(at + 6, name);
}

// The CEmbOne and CSewSeg sections at `at`; g is the first record's vertical offset from
// the top edge (from the bottom one in a turned design).
void putObjectSections(Header& h, std::size_t at, const Extents& e, int fx, int g, int segments) {
  h.u16(at + kObjectCountAt, 1);
  putTag(h, at + kEmbOneTagAt, "CEmbOne");
  const int frame[4] = {kPageCentre - e.cx, kPageCentre - e.cy, kPageCentre - e.cx + e.w,
                        kPageCentre - e.cy + e.h};
  for (std::size_t k = 0; k < 4; ++k) {
    h.u16(at + kFrameAt + 2 * k, frame[k]);
    h.u16(at + kFrameAgainAt + 2 * k, frame[k]);
  }
  const float identity[4] = {1.0f, 0.0f, 0.0f, 1.0f};
  for (std::size_t k = 0; k < 4; ++k) h.f32(at + kMatrixAt + 4 * k, identity[k]);
  h.f32(at + kTranslateAt, static_cast<float>(fx - e.cx + kPageCentre));
  h.f32(at + kTranslateAt + 4, static_cast<float>(kPageCentre - g));
  h.u16(at + kBlockCountAt, 1);
  h.u16(at + kOriginAt, -fx);
  h.u16(at + kOriginAt + 2, e.cy + g);
  h.u16(at + kSizeAt, e.w);
  h.u16(at + kSizeAt + 2, e.h);
  h.u16(at + kSegmentsAt, segments);
  putTag(h, at + kSewSegTagAt, "CSewSeg");
}

// The hoop fields of versions 2 and 4 and the fixed run after them.
void putHoop(Header& h, std::size_t at, int widthMm, int heightMm, bool turned) {
  h.u16(at, widthMm);
  h.u16(at + 2, heightMm);
  h.u8(at + 4, turned ? 1 : 0);
  for (std::size_t k = 0; k < std::size(kFixedRun); ++k) h.u16(at + 6 + 2 * k, kFixedRun[k]);
}

// The header of version 1, 2 or 4 (version 2 is always turned) with the PEC offset left 0.
ByteBuffer olderHeader(const EmbDesign& d, int version, bool turned, int segments) {
  const OlderLayout& layout = version == 1 ? kVersion1 : version == 2 ? kVersion2 : kVersion4;
  const Extents e = extentsOf(d);
  Header h(layout.size);
  h.text(0, layout.magic);
  if (version == 1) {
    h.u16(kV1LargeHoopAt, (e.w > kSmallHoopLimit || e.h > kSmallHoopLimit) ? 1 : 0);
    h.u16(kV1OneAt, 1);
  } else if (version == 2) {
    putHoop(h, layout.hoop, 180, 130, true);
  } else {
    h.u16(kV4OneAt, 1);
    h.text(kV4SubVersionAt, "01");
    putHoop(h, layout.hoop, turned ? 260 : 160, turned ? 160 : 260, turned);
  }
  const int fx = d.stitches.front().dx, fy = d.stitches.front().dy;
  const int g = turned ? fy + e.cy - e.h : fy + e.cy;
  putObjectSections(h, layout.sections, e, fx, g, segments);
  return h.bytes();
}

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

}  // namespace

PesResult writeOlder(EmbDesign& d, const PesWriteOptions& o, ByteBuffer& out) {
  if (o.ensureTrims) ensureTrims(d, o.trimLength);
  if (d.stitches.empty()) return PesResult::Refused;
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
  if (d.stitches.empty() || d.threads.empty()) return PesResult::Written;
  if (d.threads.size() > kPecMaxBlocks) return PesResult::Refused;

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
    t.chartCode =
        nearestPecColor(redOf(t.rgb), greenOf(t.rgb), blueOf(t.rgb), d.pesVersion != 0, version == 4);
    indexes[i] = static_cast<std::uint8_t>(t.chartCode);
  }
  shiftToCorner(first, e);
  first.setColorChange(false);
  ByteBuffer pec = pecBlockStart(d, indexes, false);
  if (turn) d.rotateQuarter(-1);

  const SewSegments seg =
      buildSewSegments(d, x0, y0, [&](std::size_t block, bool) { return d.threads[block].chartCode; });
  const ByteBuffer header = olderHeader(d, version, turn, seg.count);
  const std::size_t logSize = 4 * d.threads.size() + 2 + kOldColorLogTail;
  const std::size_t pecOffset =
      header.size() + seg.bytes.size() + logSize + (version == 4 ? kVersion4Gap : 0);
  if (pecOffset > kPec24BitLimit || pec.size() - kPecHeaderSize > kPec24BitLimit) return PesResult::Refused;

  d.showJumps = false;
  d.centreDesign();
  const ByteBuffer pictures = pecPictures(d);

  const std::size_t t = d.threads.size();
  const std::size_t trailer =
      version == 4 ? (t + 2 + kVersion4TrailerUnit - 1) / kVersion4TrailerUnit * kVersion4TrailerUnit : 0;
  ByteWriter w;
  w.reserve(pecOffset + pec.size() + pictures.size() + trailer);
  w.bytes(header);
  w.u32leAt(kPecOffsetAt, static_cast<std::uint32_t>(pecOffset));
  w.bytes(seg.bytes);
  putI16(w, static_cast<int>(t));
  for (std::size_t i = 0; i < t; ++i) {
    putI16(w, entryOf(seg, i));
    putI16(w, indexes[i]);
  }
  w.fill(0, kOldColorLogTail);
  if (version == 4) w.fill(0, kVersion4Gap);
  w.bytes(pec);
  w.bytes(pictures);
  if (version == 4) {
    const std::size_t at = w.size();
    w.fill(kFill, trailer);
    ByteBuffer& b = w.buffer();
    b[at] = static_cast<std::uint8_t>(t > 255 ? 255 : t - 1);
    for (std::size_t i = 0; i < t; ++i)
      b[at + 1 + i] = static_cast<std::uint8_t>(d.threads[i].chartCode & 0xFF);
  }
  out = w.take();
  return PesResult::Written;
}

}  // namespace lh::pes
