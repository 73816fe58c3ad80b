// The version 5 / 6 PES writer (the design's own threads in a thread table), the writer's
// options and the tie-off pass; the older writer is in formats/pes_older_writer.cpp.
#include "formats/pes_writer.h"

#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "formats/pec.h"
#include "formats/pes_sections.h"
#include "formats/pes_threads.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"

namespace lh {

namespace {

using namespace pes;

constexpr std::string_view kSection = "Conversion";

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
void prepareColorChanges(std::vector<Stitch>& s) {
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
  for (int v : kFixedRun) putI16(w, v);
  putI16(w, 0);
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

PesResult writeVersion5(EmbDesign& d, const PesWriteOptions& o, ByteBuffer& out) {
  if (d.stitches.empty()) return PesResult::Refused;
  if (d.threads.empty()) return PesResult::Written;
  if (d.threads.size() > kPesMaxBlocksV5) return PesResult::Refused;

  foldJumps(d.stitches);
  for (Stitch& r : d.stitches)
    if (r.isJump() && r.isZeroMove()) r.setJump(false);
  prepareColorChanges(d.stitches);
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
  const SewSegments seg = buildSewSegments(d, 0, 0, [&](std::size_t block, bool firstSegment) {
    const ThreadColor& b = d.threads[firstSegment ? 0 : block];
    return firstSegment ? b.fileThreadIndex : (b.needle >= 0 ? b.needle : b.fileThreadIndex);
  });
  ByteBuffer header = version5Header(d, hoop.version, seg.count);
  const std::size_t logSize = 12 * t + 10;
  const std::size_t pecOffset = header.size() + seg.bytes.size() + logSize;
  if (pecOffset > kPec24BitLimit || pec.size() - kPecHeaderSize > kPec24BitLimit) return PesResult::Refused;

  d.showJumps = false;
  d.centreDesign();
  const ByteBuffer pictures = pecPictures(d);

  ByteWriter w;
  w.reserve(pecOffset + pec.size() + pictures.size() + kPesIndexBlockSize + (kThreadLabelSize + 3) * t + 2);
  w.bytes(header);
  w.u32leAt(kPecOffsetAt, static_cast<std::uint32_t>(pecOffset));
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
  return PesResult::Written;
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

PesResult writePes(EmbDesign& design, const PesWriteOptions& options, ByteBuffer& out) {
  out.clear();
  return options.version5 ? writeVersion5(design, options, out) : pes::writeOlder(design, options, out);
}

std::optional<ByteBuffer> writePes(DesignCodec& codec, EmbDesign& design) {
  ByteBuffer out;
  if (writePes(design, pesWriteOptions(codec.settings()), out) != PesResult::Written || out.empty())
    return std::nullopt;
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
