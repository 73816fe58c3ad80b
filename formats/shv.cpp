#include "formats/shv.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "formats/hus_vip.h"
#include "threads/format_palettes.h"
#include "threads/thread_charts.h"

namespace lh {

namespace {

constexpr std::size_t kNameLengthAt = 86;  // after the text header
constexpr std::size_t kNameAt = 87;
constexpr std::size_t kMinAfterName = 8;
constexpr int kMaxColors = 150;
constexpr std::size_t kColorRecordsAfterCount = 21;
constexpr std::size_t kStitchesAfterCount = 19;
constexpr std::size_t kColorRecordSize = 14;

constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kJumpNext = 0x01;

struct Block {
  int units = 0;  // stitch data of the block in 2-byte units
};

// Offset of the colour count: after the design name and the preview picture, which is either
// marked with FF FF and sized by 16-bit height and width at +3 and +5 (half a byte per pixel,
// rows padded to whole bytes), or sized by one byte each (width rounded up to even).
std::size_t colorCountAt(ByteSpan file, std::size_t c) {
  if (file[c] == 0xFF && file[c + 1] == 0xFF) {
    ByteReader r(file, c + 3);
    const std::size_t h = r.u16be();
    const std::size_t w = r.u16be();
    return c + 15 + (w + 1) / 2 * h;
  }
  const std::size_t h = file[c];
  const std::size_t w = (std::size_t{file[c + 1]} + 1) & ~std::size_t{1};
  return c + 6 + h * w / 2;
}

bool containsNoCase(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         }) != text.end();
}

// The chart row of a brand thread code: the code's four bytes as hex digits, of which the
// type's code width from the right must occur in the row's name.
void applyThreadCode(ThreadColor& thread, int type, ByteSpan code) {
  if (!isHusqvarnaThreadType(type)) return;
  const HusqvarnaThreadType& t = husqvarnaThreadType(type);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", code[0], code[1], code[2], code[3]);
  const std::string_view digits = std::string_view(hex).substr(8 - static_cast<std::size_t>(t.codeWidth));
  for (const ThreadColor& row : chartRows(t.chart)) {
    if (containsNoCase(row.displayName, digits)) {
      thread.displayName = row.displayName;
      thread.rgb = row.rgb;
      return;
    }
  }
}

}  // namespace

ReadResult readShv(DesignCodec&, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  if (file.size() < kNameAt) return ReadResult::Failed;
  const std::size_t c = kNameAt + file[kNameLengthAt];
  if (file.size() < c + kMinAfterName) return ReadResult::Failed;
  const std::size_t a = colorCountAt(file, c);
  if (file.size() < a) return ReadResult::Failed;
  ByteReader r(file);
  const int colors = r.peek(a);
  if (colors > kMaxColors) return ReadResult::Failed;

  std::vector<Block> blocks;
  for (int k = 0; k < colors; ++k) {
    const std::size_t at = a + kColorRecordsAfterCount + kColorRecordSize * static_cast<std::size_t>(k);
    if (at + kColorRecordSize > file.size()) break;
    ByteReader rec(file, at);
    Block b;
    b.units = rec.u16be();
    const int index = rec.u8();
    const int type = rec.u8();
    ThreadColor thread = husqvarnaColor(index);
    thread.stitchCount = b.units;
    thread.chartCode = type;
    applyThreadCode(thread, type, rec.bytes(4));
    design.threads.push_back(std::move(thread));
    blocks.push_back(b);
  }

  r.seek(a + kStitchesAfterCount + kColorRecordSize * static_cast<std::size_t>(colors));
  bool jumpNext = false;
  for (std::size_t b = 0; b < blocks.size() && r.good(); ++b) {
    if (b > 0) design.stitches.push_back(Stitch::withFlags(ColorChange));
    int used = 0;
    while (used < blocks[b].units) {
      if (!r.has(2)) break;
      if (r.peek(r.pos()) == kEscape) {
        r.u8();
        if (r.u8() == kJumpNext) jumpNext = true;
        ++used;
      } else if (jumpNext) {
        if (!r.has(4)) break;
        const int x = r.i16be();
        const int y = r.i16be();
        design.stitches.push_back(Stitch(x, -y, true));
        jumpNext = false;
        used += 2;
      } else {
        const int x = r.i8();
        const int y = r.i8();
        design.stitches.push_back(Stitch(x, -y));
        ++used;
      }
    }
    if (used < blocks[b].units) break;  // the data ran out
  }

  design.classifyJumps();
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

}  // namespace lh
