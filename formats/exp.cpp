#include "formats/exp.h"

#include <algorithm>
#include <cstdlib>

#include "design/design_limits.h"
#include "formats/jump_landing.h"
#include "threads/format_palettes.h"

namespace lh {

namespace {

constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kColorChangeCode = 0x01;
constexpr std::uint8_t kJumpCode = 0x04;
constexpr int kByteLimit = 127;

void appendRecord(EmbDesign& design, std::uint8_t flags, int dx, int dy) {
  if (flags & ColorChange) {
    design.threads.push_back(husqvarnaColor(static_cast<int>(design.threads.size() % kHusqvarnaColors)));
    design.stitches.push_back(Stitch::withFlags(ColorChange));
    flags = static_cast<std::uint8_t>(flags & ~ColorChange);
  }
  design.stitches.push_back(Stitch::withFlags(flags, dx, dy));
}

// Trailing jumps and zero moves carry nothing; a colour change among them takes its block along.
void dropTrailingRecords(EmbDesign& design) {
  auto& s = design.stitches;
  while (!s.empty() && (s.back().isZeroMove() || s.back().isJump())) {
    if (s.back().isColorChange() && design.threads.size() > 1) design.threads.pop_back();
    s.pop_back();
  }
}

// Appends one record as the encoder wants it: a colour change without a move (its move goes on
// as a jump), moves within a
// byte (a longer one is a jump to the limit followed by the rest, a stitch or a jump as the
// record was).
void prepareRecord(Stitch r, std::vector<Stitch>& out) {
  for (;;) {
    if (r.isColorChange() && !r.isZeroMove()) {
      out.push_back(Stitch::withFlags(ColorChange));
      r.setColorChange(false);  // the move sews nothing: it goes on as a jump
      r.setJump(true);
      continue;
    }
    if (std::abs(r.dx) > kByteLimit || std::abs(r.dy) > kByteLimit) {
      Stitch clamped = r;
      clamped.setMove(std::clamp<int>(r.dx, -kByteLimit, kByteLimit),
                      std::clamp<int>(r.dy, -kByteLimit, kByteLimit));
      clamped.setJump(true);
      out.push_back(clamped);
      r = Stitch(r.dx - clamped.dx, r.dy - clamped.dy, r.isJump());
      continue;
    }
    out.push_back(r);
    return;
  }
}

}  // namespace

ReadResult readExp(DesignCodec& /*codec*/, EmbDesign& design, ByteSpan file) {
  if (file.data() == nullptr) return ReadResult::Failed;
  design.stitches.clear();
  design.threads.clear();
  design.threads.push_back(husqvarnaColor(0));
  design.stitches.reserve(std::min(file.size() / 2 + 1, kMaxDesignRecords + 1));
  ByteReader in(file);
  while (in.has(2)) {
    std::uint8_t flags = 0;
    // Prefix pairs: 80 80 and the pair after it are skipped, 80 odd is a colour change,
    // 80 even a jump; they apply to the next plain pair.
    while (in.has(2) && in.peek(in.pos()) == kEscape) {
      const std::uint8_t code = in.peek(in.pos() + 1);
      if (code == kEscape) {
        in.skip(4);
        continue;
      }
      flags |= (code & 1) ? ColorChange : Jump;
      in.skip(2);
    }
    if (!in.has(2)) break;
    const int dx = in.i8();
    const int dy = in.i8();
    appendRecord(design, flags, dx, dy);
    if (design.stitches.size() > kMaxDesignRecords) return ReadResult::Failed;
  }
  dropTrailingRecords(design);
  design.mergeJumps(false);
  design.classifyJumps();
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

std::optional<ByteBuffer> writeExp(DesignCodec& /*codec*/, EmbDesign& design) {
  if (design.stitches.empty()) return std::nullopt;
  design.splitLongStitches(kExpMaxMove, false, false);
  std::vector<Stitch> records;
  records.reserve(design.stitches.size() + design.stitches.size() / 8);
  for (const Stitch& r : design.stitches) prepareRecord(r, records);
  addJumpLandings(records);
  design.stitches = std::move(records);

  ByteWriter out;
  out.reserve(design.stitches.size() * 2 + 64);
  for (const Stitch& r : design.stitches) {
    if (r.isColorChange()) {
      out.u8(kEscape);
      out.u8(kColorChangeCode);
    }
    if (r.isJump()) {
      out.u8(kEscape);
      out.u8(kJumpCode);
    }
    out.u8(static_cast<std::uint8_t>(r.dx));
    out.u8(static_cast<std::uint8_t>(r.dy));
  }
  return out.take();
}

}  // namespace lh
