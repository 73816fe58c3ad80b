#include "formats/pes_sections.h"

#include <bit>
#include <cstdlib>

#include "formats/pec.h"

namespace lh::pes {

namespace {

constexpr std::uint16_t kSegmentContinue = 0x8003;

}  // namespace

Extents extentsOf(const EmbDesign& d) {
  Extents e;
  e.w = std::abs(d.minX) + d.maxX;
  e.h = std::abs(d.minY) + d.maxY;
  e.cx = e.w / 2;
  e.cy = e.h / 2;
  return e;
}

void putI16(ByteWriter& w, int v) { w.u16le(static_cast<unsigned>(v) & 0xFFFF); }
void putF32(ByteWriter& w, float v) { w.u32le(std::bit_cast<std::uint32_t>(v)); }
void putCounted(ByteWriter& w, std::string_view s) {
  s = s.substr(0, kPesCountedTextMax);
  w.u8(static_cast<unsigned>(s.size()));
  w.text(s);
}

SewSegments buildSewSegments(const EmbDesign& d, int x0, int y0,
                             const std::function<int(std::size_t block, bool first)>& colorOf) {
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
    putI16(w, colorOf(block, s.count == 0));
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

int entryOf(const SewSegments& s, std::size_t block) {
  return block < s.entries.size() ? s.entries[block] : s.count;
}

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

}  // namespace lh::pes
