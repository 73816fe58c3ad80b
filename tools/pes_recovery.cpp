#include "tools/pes_recovery.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace lh {

namespace {

constexpr std::string_view kMagic = "#PES0001";
constexpr std::string_view kSewSeg = "CSewSeg";
constexpr std::size_t kHoopFlagOffset = 12;
constexpr std::size_t kPecOffsetAt = 8;
constexpr std::size_t kFirstPointSkip = 13;  // the text and the first segment's type, colour, count
constexpr std::size_t kSegmentHead = 12;     // 0x8003, type, colour, count, repeated start point

bool startsWith(ByteSpan file, std::string_view text) {
  return file.size() >= text.size() && std::equal(text.begin(), text.end(), file.begin());
}

// First occurrence of `text` starting below `limit`, or npos.
std::size_t findBelow(ByteSpan file, std::string_view text, std::size_t limit) {
  const std::size_t end = std::min(limit + text.size() - 1, file.size());
  if (end < text.size()) return std::string_view::npos;
  auto first = file.begin();
  auto last = file.begin() + static_cast<std::ptrdiff_t>(end);
  auto it = std::search(first, last, text.begin(), text.end());
  return it == last ? std::string_view::npos : static_cast<std::size_t>(it - first);
}

struct Rebuilt {
  std::vector<Stitch> records;
  int minX = 10000, minY = 10000, maxX = -10000, maxY = -10000;
};

// Walks the point list from `s` up to `end`; false when a read leaves the file.
bool readPoints(ByteSpan file, std::size_t s, std::size_t end, std::uint8_t jump, std::uint8_t color,
                Rebuilt& out) {
  ByteReader in(file);
  int px = 0, py = 0;
  while (s < end) {
    if (!in.seek(s)) return false;
    if (in.peek(s) == 0x03 && in.peek(s + 1) == 0x80) {
      in.skip(2);
      jump = in.u8();
      in.skip(1);
      const std::uint8_t c = in.u8();
      if (!in.good()) return false;
      if (c != color) {
        out.records.push_back(Stitch::withFlags(static_cast<std::uint8_t>(ColorChange | (jump == 1 ? Jump : 0))));
        color = c;
      }
      s += kSegmentHead;
      continue;
    }
    const int x = in.i16le();
    const int y = -in.i16le();
    if (!in.good()) return false;
    out.records.push_back(Stitch(x - px, y - py, jump == 1));
    px = x;
    py = y;
    out.minX = std::min(out.minX, x);
    out.maxX = std::max(out.maxX, x);
    out.minY = std::min(out.minY, y);
    out.maxY = std::max(out.maxY, y);
    s += 4;
  }
  return true;
}

// True when the two lists differ in a move, compared from their last records backwards
// while both records of a pair have a predecessor.
bool tailsDiffer(const std::vector<Stitch>& a, const std::vector<Stitch>& b) {
  std::size_t i = a.size(), j = b.size();
  while (i > 1 && j > 1) {
    --i;
    --j;
    if (a[i].dx != b[j].dx || a[i].dy != b[j].dy) return true;
  }
  return false;
}

}  // namespace

int recoverPes10(EmbDesign& design, ByteSpan file, ToolReport& report) {
  if (!startsWith(file, kMagic) || file.size() <= kHoopFlagOffset || file[kHoopFlagOffset] != 1) return 0;
  ByteReader in(file, kPecOffsetAt);
  const std::size_t pec = in.u32le();
  if (!in.good() || pec > file.size()) return 0;

  const std::size_t seg = findBelow(file, kSewSeg, pec);
  if (seg == std::string_view::npos) return 0;
  std::size_t s = seg + kFirstPointSkip;
  if (s >= pec) return 0;
  const std::size_t colorLog = 4 * design.threads.size() + 6;
  const std::size_t end = pec > colorLog ? pec - colorLog : 0;
  const std::uint8_t jump = in.peek(seg + 7);
  const std::uint8_t color = in.peek(seg + 9);

  Rebuilt r;
  if (!readPoints(file, s, end, jump, color, r) || r.records.empty()) return 0;
  const int cx = (r.minX + r.maxX) / 2;
  const int cy = (r.minY + r.maxY) / 2;
  r.records.front().addMove(-cx, -cy);
  // The colour blocks stay as loaded, so a copy that does not split into as many blocks
  // describes some other design: taking it would leave threads without blocks.
  const std::size_t changes = static_cast<std::size_t>(
      std::count_if(r.records.begin(), r.records.end(), [](const Stitch& st) { return st.isColorChange(); }));
  if (changes + 1 != design.threads.size()) return 0;
  if (!tailsDiffer(r.records, design.stitches)) return 0;

  design.stitches = std::move(r.records);
  design.minX = r.minX - cx;
  design.maxX = r.maxX - cx;
  design.minY = r.minY - cy;
  design.maxY = r.maxY - cy;
  report.addLine(design.path + " has been reconstructed.");
  return 1;
}

}  // namespace lh
