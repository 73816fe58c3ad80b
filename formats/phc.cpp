#include "formats/phc.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "formats/pec.h"

namespace lh {

namespace {

// Header places of PHC / PHD and of PHB: section start (minus its bias) and colour list.
struct PhcLayout {
  std::size_t sectionAt;
  std::int64_t sectionBias;
  std::size_t colorsAt;
};
constexpr PhcLayout kPhcLayout{0x30, 0x2E, 0x4D};
constexpr PhcLayout kPhbLayout{0x54, 0x52, 0x71};

// A section is abandoned when its stitch data would start within this many bytes of the end.
constexpr std::int64_t kTailReserve = 90;
constexpr std::size_t kSectionHeaderBytes = 30;
constexpr double kPi = 3.14159265358979323846;

// Section values, as stored (Y values point down).
struct Section {
  int headerLength = 0;
  int mirror = 0;
  int originX = 0, originY = 0;
  int x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  int angle = 0;
};

std::int64_t i16At(ByteSpan f, std::int64_t at) {
  if (at < 0 || static_cast<std::size_t>(at) + 2 > f.size()) return 0;
  return static_cast<std::int16_t>(f[static_cast<std::size_t>(at)] | (f[static_cast<std::size_t>(at) + 1] << 8));
}
std::int64_t i32At(ByteSpan f, std::int64_t at) {
  if (at < 0 || static_cast<std::size_t>(at) + 4 > f.size()) return 0;
  ByteReader in(f, static_cast<std::size_t>(at));
  return in.i32le();
}
int byteAt(ByteSpan f, std::int64_t at) {
  return at >= 0 && static_cast<std::size_t>(at) < f.size() ? f[static_cast<std::size_t>(at)] : 0;
}

Section readSection(ByteSpan f, std::int64_t s) {
  Section v;
  v.headerLength = static_cast<int>(i16At(f, s));
  v.mirror = byteAt(f, s + 10);
  v.originX = static_cast<int>(i16At(f, s + 13));
  v.originY = static_cast<int>(i16At(f, s + 15));
  v.x1 = static_cast<int>(i16At(f, s + 18));
  v.x2 = static_cast<int>(i16At(f, s + 20));
  v.y1 = static_cast<int>(i16At(f, s + 22));
  v.y2 = static_cast<int>(i16At(f, s + 24));
  v.angle = static_cast<int>(i16At(f, s + 28));
  return v;
}

// Scales, turns and mirrors decoded records; the fractions left by truncation are carried
// from record to record so that long runs do not drift.
class Transform {
 public:
  Transform(int mirror, float sx, float sy, int angle) : mirror_(mirror), sx_(sx), sy_(sy), angle_(angle) {}

  Stitch apply(Stitch s) {
    const int dx = s.dx * mirror_;
    double x = static_cast<double>(static_cast<float>(dx) * sx_);
    double y = static_cast<double>(static_cast<float>(s.dy) * sy_);
    if (angle_ != 0) {
      const double len = std::sqrt(x * x + y * y);
      const double dir = std::atan2(y, x) - angle_ * kPi / 180.0;
      x = len * std::cos(dir);
      y = len * std::sin(dir);
    }
    x += remX_;
    y += remY_;
    const double ix = std::trunc(x), iy = std::trunc(y);
    remX_ = x - ix;
    remY_ = y - iy;
    s.setMove(static_cast<int>(ix), static_cast<int>(iy));
    return s;
  }

 private:
  int mirror_;
  float sx_, sy_;
  int angle_;
  double remX_ = 0.0, remY_ = 0.0;
};

// Leading jumps and zero moves go (colour changes are kept in place); trailing jumps that
// change no colour go.
void trimSegment(std::vector<Stitch>& seg) {
  std::size_t k = 0;
  std::vector<Stitch> kept;
  kept.reserve(seg.size());
  for (; k < seg.size(); ++k) {
    const Stitch& s = seg[k];
    if (s.isColorChange()) {
      kept.push_back(s);
      continue;
    }
    if (s.isJump() || s.isZeroMove()) continue;
    break;
  }
  kept.insert(kept.end(), seg.begin() + static_cast<std::ptrdiff_t>(k), seg.end());
  while (!kept.empty() && kept.back().isJump() && !kept.back().isColorChange()) kept.pop_back();
  seg = std::move(kept);
}

}  // namespace

ReadResult readPhc(DesignCodec& /*codec*/, EmbDesign& design, ByteSpan file) {
  if (file.empty()) return ReadResult::Failed;
  const bool phb = file.size() > 3 && file[3] == 'B';
  int version = 0;
  for (std::size_t i = 4; i < file.size() && i < 12 && file[i] >= '0' && file[i] <= '9'; ++i)
    version = version * 10 + (file[i] - '0');
  design.stitches.clear();
  design.threads.clear();

  const PhcLayout& layout = phb ? kPhbLayout : kPhcLayout;
  const std::int64_t colors = i16At(file, static_cast<std::int64_t>(layout.colorsAt));
  if (colors < 0 || colors > kPhcMaxColors) return ReadResult::Failed;
  {
    ByteReader in(file, layout.colorsAt + 2);
    const ByteSpan indexes = in.bytes(static_cast<std::size_t>(colors));
    pecBlockColors(design, indexes);
  }

  const std::int64_t length = static_cast<std::int64_t>(file.size());
  std::int64_t s = i32At(file, static_cast<std::int64_t>(layout.sectionAt)) + layout.sectionBias;
  bool firstSegment = true;
  std::vector<Stitch> seg;
  while (s >= 0 && s < length) {
    if (s + static_cast<std::int64_t>(kSectionHeaderBytes) > length) break;
    const Section v = readSection(file, s);
    const std::int64_t q = s + v.headerLength + 2;
    const std::int64_t g = i16At(file, q);
    const float sx = 1.0f + 0.02f * static_cast<float>(i16At(file, q + 20));
    const float sy = 1.0f + 0.02f * static_cast<float>(i16At(file, q + 22));
    if (q < 0 || q + g > length - kTailReserve) break;
    const std::int64_t r = q + g + 9;
    const int m0 = byteAt(file, r), m1 = byteAt(file, r + 1);
    if (!((m0 == 0x3C && m1 == 0x2D) || (m0 == 0x96 && m1 == 0x05))) break;

    std::int64_t cursor = r + 5;
    const int nameLength = static_cast<std::int8_t>(byteAt(file, cursor));
    cursor += 1 + (nameLength > 0 ? nameLength : 0);
    const std::int64_t k = i32At(file, cursor);
    cursor += 4;
    const std::int64_t segStart = cursor;
    cursor += 4 + 5;
    if (!phb && version >= 4) cursor += 2;
    while (cursor + 1 < length && (byteAt(file, cursor) == 0xB0 || byteAt(file, cursor) == 0xE0)) cursor += 2;
    const std::int64_t next = segStart + k;
    const std::int64_t segEnd = std::min(next, length);

    const int mirrorByte = (version > 6 && (v.mirror & 0x20)) ? 1 : v.mirror;
    Transform transform(mirrorByte == 1 ? -1 : 1, sx, sy, v.angle);
    seg.clear();
    if (cursor < segEnd) {
      const ByteSpan bytes = file.first(static_cast<std::size_t>(segEnd));
      std::size_t at = static_cast<std::size_t>(cursor);
      seg.reserve(static_cast<std::size_t>(segEnd - cursor) / 2);
      while (at < bytes.size()) {
        std::optional<Stitch> rec = decodePecStitch(bytes, at);
        if (!rec) break;
        if (seg.empty() && !firstSegment) rec->setColorChange(true);
        seg.push_back(transform.apply(*rec));
      }
    }
    firstSegment = false;
    trimSegment(seg);

    if (!seg.empty()) {
      const std::size_t first = design.stitches.size();
      design.stitches.insert(design.stitches.end(), seg.begin(), seg.end());
      Point end = design.centreDesign(first == 0 ? EmbDesign::kNone : static_cast<std::ptrdiff_t>(first) - 1);
      const int offX = (v.x1 + v.x2) / 2 + v.originX + (design.minX + design.maxX) / 2;
      const int offY = (-v.y1 - v.y2) / 2 - v.originY + (design.minY + design.maxY) / 2;
      design.stitches[first].addMove(offX, offY);
      end.x += offX;
      end.y += offY;
      design.stitches.push_back(Stitch(-end.x, -end.y, true));
    }
    if (next <= s) break;
    s = next;
  }

  design.pesVersion = 1;
  design.mergeJumps(true);
  if (!design.stitches.empty()) design.stitches.front().setJump(true);
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

}  // namespace lh
