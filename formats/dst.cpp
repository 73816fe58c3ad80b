#include "formats/dst.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "design/design_limits.h"
#include "threads/format_palettes.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

constexpr std::uint8_t kEndMark = 0xF3;
constexpr std::uint8_t kJumpBit = 0x80;
constexpr std::uint8_t kColorBit = 0x40;
constexpr std::uint8_t kAlwaysSet = 0x03;
constexpr std::size_t kLabelLength = 16;
constexpr std::size_t kHeaderTextLength = 125;
// A trim is this many zero-move jumps at most, whatever the settings say.
constexpr int kMaxTrimJumps = 100;

// Move contribution of one record byte. Byte 0 holds the 1s and 9s, byte 1 the 3s and 27s,
// byte 2 the 81s (its bits 7 and 6 are the jump and colour-change flags).
struct Move {
  std::int8_t x = 0;
  std::int8_t y = 0;
};
using MoveTable = std::array<Move, 256>;

constexpr MoveTable moveTable(int small, int big) {
  MoveTable t{};
  for (int b = 0; b < 256; ++b) {
    int x = 0, y = 0;
    if (b & 0x01) x += small;
    if (b & 0x02) x -= small;
    if (b & 0x04) x += big;
    if (b & 0x08) x -= big;
    if (b & 0x80) y += small;
    if (b & 0x40) y -= small;
    if (b & 0x20) y += big;
    if (b & 0x10) y -= big;
    t[static_cast<std::size_t>(b)] = {static_cast<std::int8_t>(x), static_cast<std::int8_t>(y)};
  }
  return t;
}

constexpr MoveTable kByte0 = moveTable(1, 9);
constexpr MoveTable kByte1 = moveTable(3, 27);
constexpr MoveTable kByte2 = moveTable(0, 81);

// Record bits of one axis value: the greedy reduction of n = -d to zero, which yields the
// balanced-ternary digits of d.
struct AxisBits {
  std::array<std::uint8_t, 3> plus1{}, minus1{};
};
struct Digit {
  int value;
  int byte;
  std::uint8_t xBit, yBit;
};
constexpr std::array<Digit, 10> kDigits = {{
    {1, 0, 0x01, 0x80},
    {-1, 0, 0x02, 0x40},
    {9, 0, 0x04, 0x20},
    {-9, 0, 0x08, 0x10},
    {3, 1, 0x01, 0x80},
    {-3, 1, 0x02, 0x40},
    {27, 1, 0x04, 0x20},
    {-27, 1, 0x08, 0x10},
    {81, 2, 0x04, 0x20},
    {-81, 2, 0x08, 0x10},
}};

using Encoded = std::array<std::uint8_t, 3>;
struct AxisCode {
  Encoded x{}, y{};
};

constexpr AxisCode encodeAxis(int d) {
  AxisCode code{};
  auto set = [&](int value) {
    for (const Digit& digit : kDigits) {
      if (digit.value != value) continue;
      code.x[static_cast<std::size_t>(digit.byte)] |= digit.xBit;
      code.y[static_cast<std::size_t>(digit.byte)] |= digit.yBit;
    }
  };
  int n = -d;
  while (n != 0) {
    if (n >= 41) {
      set(-81), n -= 81;
    } else if (n > 13) {
      set(-27), n -= 27;
    } else if (n > 4) {
      set(-9), n -= 9;
    } else if (n > 1) {
      set(-3), n -= 3;
    } else if (n == 1) {
      set(-1), n = 0;
    } else if (n <= -41) {
      set(81), n += 81;
    } else if (n < -13) {
      set(27), n += 27;
    } else if (n < -4) {
      set(9), n += 9;
    } else if (n < -1) {
      set(3), n += 3;
    } else {
      set(1), n = 0;
    }
  }
  return code;
}

constexpr std::array<AxisCode, 2 * kDstMaxMove + 1> makeEncodeTable() {
  std::array<AxisCode, 2 * kDstMaxMove + 1> t{};
  for (int d = -kDstMaxMove; d <= kDstMaxMove; ++d)
    t[static_cast<std::size_t>(d + kDstMaxMove)] = encodeAxis(d);
  return t;
}
constexpr auto kEncode = makeEncodeTable();

const AxisCode& axisCode(int d) {
  return kEncode[static_cast<std::size_t>(std::clamp(d, -kDstMaxMove, kDstMaxMove) + kDstMaxMove)];
}

// Cutting a long move into equal pieces truncates each piece and hands the remainder to the
// last one, which can then pass the limit (a 300 mm jump leaves over 200 units). Such a record
// is cut again here into exact pieces, all jumps but the last, which keeps its flags.
void capMoves(EmbDesign& design, int limit) {
  auto over = [limit](const Stitch& s) { return std::abs(s.dx) > limit || std::abs(s.dy) > limit; };
  if (std::none_of(design.stitches.begin(), design.stitches.end(), over)) return;
  std::vector<Stitch> out;
  out.reserve(design.stitches.size() + 16);
  for (const Stitch& r : design.stitches) {
    if (!over(r)) {
      out.push_back(r);
      continue;
    }
    const int m = std::max(std::abs(r.dx), std::abs(r.dy));
    const int k = (m + limit - 1) / limit;
    for (int i = 0; i < k; ++i) {
      Stitch piece = i + 1 == k ? r : Stitch(0, 0, true);
      piece.setMove(r.dx * (i + 1) / k - r.dx * i / k, r.dy * (i + 1) / k - r.dy * i / k);
      out.push_back(piece);
    }
  }
  design.stitches = std::move(out);
}

int roundedLength(const Stitch& s) {
  return static_cast<int>(
      std::lround(std::sqrt(static_cast<double>(s.dx) * s.dx + static_cast<double>(s.dy) * s.dy)));
}

// Before the first long jump after sewn stitches, make sure `jumps` zero-move jumps come first
// (machines read such a run as a thread trim).
void ensureTrims(EmbDesign& design, int jumps, long long minLength) {
  std::vector<Stitch> out;
  out.reserve(design.stitches.size() + design.stitches.size() / 16);
  int run = 0;
  bool settled = true;
  for (const Stitch& r : design.stitches) {
    if (r.isColorChange()) {
      settled = true;
      out.push_back(r);
      continue;
    }
    const int len = roundedLength(r);
    if (!settled && r.isJump() && len > minLength) {
      if (run < jumps) out.insert(out.end(), static_cast<std::size_t>(jumps - run), Stitch(0, 0, true));
      settled = true;
    }
    run = (len < 1 && r.isJump()) ? run + 1 : 0;
    if (!r.isJump()) settled = false;
    out.push_back(r);
  }
  design.stitches = std::move(out);
}

// The file name without folder and last extension.
std::string labelOf(std::string_view path) {
  std::string_view name = path;
  if (auto zip = splitZipPath(path)) {
    name = path.substr(path.size() - zip->member.size());
  }
  const auto slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name = name.substr(slash + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name.substr(0, kLabelLength));
}

}  // namespace

void encodeDstRecord(const Stitch& s, std::uint8_t out[3]) {
  const AxisCode& x = axisCode(s.dx);
  const AxisCode& y = axisCode(s.dy);
  out[0] = static_cast<std::uint8_t>(x.x[0] | y.y[0]);
  out[1] = static_cast<std::uint8_t>(x.x[1] | y.y[1]);
  std::uint8_t b2 = static_cast<std::uint8_t>(x.x[2] | y.y[2] | kAlwaysSet);
  if (s.isJump()) b2 |= kJumpBit;
  if (s.isColorChange()) b2 |= kJumpBit | kColorBit;
  out[2] = b2;
}

ReadResult readDst(DesignCodec& /*codec*/, EmbDesign& design, ByteSpan file) {
  if (file.data() == nullptr) return ReadResult::Failed;
  design.stitches.clear();
  design.threads.clear();
  design.threads.push_back(husqvarnaColor(0));
  const std::size_t length = file.size();
  if (length > kDstHeaderSize + 3) {
    design.stitches.reserve(std::min((length - kDstHeaderSize) / 3 + 1, kMaxDesignRecords + 1));
    // Records are read while they start before the last three bytes (where a well-formed
    // file has its end mark) and end at the end mark.
    ByteReader in(file, kDstHeaderSize);
    while (in.pos() < length - 3) {
      const ByteSpan r = in.bytes(3);
      if (r.size() != 3) break;  // a truncated record ends decoding
      const std::uint8_t b2 = r[2];
      if (b2 == kEndMark) break;
      const int dx = kByte0[r[0]].x + kByte1[r[1]].x + kByte2[b2].x;
      const int dy = kByte0[r[0]].y + kByte1[r[1]].y + kByte2[b2].y;
      if (b2 & kColorBit) {
        design.threads.push_back(husqvarnaColor(static_cast<int>(design.threads.size() % kHusqvarnaColors)));
        design.stitches.push_back(Stitch::withFlags(ColorChange));
      }
      design.stitches.emplace_back(dx, dy, (b2 & kJumpBit) != 0);
      if (design.stitches.size() > kMaxDesignRecords) return ReadResult::Failed;
    }
    if (!design.stitches.empty()) design.stitches.back().setColorChange(false);
  }
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

std::optional<ByteBuffer> writeDst(DesignCodec& codec, EmbDesign& design) {
  if (design.stitches.empty()) return std::nullopt;
  design.centreDesign(EmbDesign::kNone);
  design.splitLongStitches(kDstMaxMove, false, false);
  capMoves(design, kDstMaxMove);

  const SettingsStore& settings = codec.settings();
  const bool trims = settings.getInt("Conversion", "dsttrim", 1) != 0;
  const int jumps = std::clamp(settings.getInt("Conversion", "dstjumps", 4), 0, kMaxTrimJumps);
  const long long trimLength = settings.getInt("Conversion", "dsttrimlen", 6);
  if (trims && jumps != 0) ensureTrims(design, jumps, trimLength * 10);

  design.stitches.insert(design.stitches.begin(), Stitch());
  const std::size_t count = design.stitches.size();

  char text[kDstHeaderSize + 1];
  const std::string label = labelOf(design.path);
  const int written = std::snprintf(text, sizeof text,
                                    "LA:%-16s\rST:%7zu\rCO:%3zu\r+X:%5i\r-X:%5i\r+Y:%5i\r-Y:%5i\rAX:+    "
                                    "0\rAY:+    0\rMX:+    0\rMY:+    0\r"
                                    "PD:******\r%c",
                                    label.c_str(), count, design.threads.size(), design.maxX,
                                    std::abs(design.minX), design.maxY, std::abs(design.minY), 0x1A);
  const std::size_t textLength =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(written, 0)), kDstHeaderSize);

  ByteBuffer out(count * 3 + kDstHeaderSize + 3, 0);
  std::fill(out.begin(), out.begin() + kDstHeaderSize, ' ');
  std::copy(text, text + textLength, out.begin());
  out[kHeaderTextLength] = ' ';
  std::uint8_t* at = out.data() + kDstHeaderSize;
  for (const Stitch& s : design.stitches) {
    encodeDstRecord(s, at);
    at += 3;
  }
  at[2] = kEndMark;
  return out;
}

}  // namespace lh
