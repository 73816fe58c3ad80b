#include "design/emb_design.h"

#include "design/design_limits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace lh {

namespace {

double lengthOf(const Stitch& s) {
  return std::sqrt(static_cast<double>(s.dx) * s.dx + static_cast<double>(s.dy) * s.dy);
}

// Direction of a move in degrees, -180..180.
double rawDirection(const Stitch& s) {
  return std::atan2(static_cast<double>(s.dy), static_cast<double>(s.dx)) * 57.29577950560105;
}

double direction(const Stitch& s) {
  double d = rawDirection(s);
  return d < 0 ? d + 360.0 : d;
}

double angleDiff(double a, double b) {
  double c = b - a;
  if (c < 0) c += 360.0;
  if (c > 359) c -= 360.0;
  c = std::fabs(c);
  if (c > 180) c = 360.0 - c;
  return c;
}

// The records after index `after` (all of them for kNone).
std::span<const Stitch> recordsAfter(const std::vector<Stitch>& stitches, std::ptrdiff_t after) {
  const std::size_t first = std::min(static_cast<std::size_t>(after + 1), stitches.size());
  return std::span<const Stitch>(stitches).subspan(first);
}

void storeBounds(EmbDesign& d, const Bounds64& b) {
  d.maxX = clampToInt32(b.maxX);
  d.minX = clampToInt32(b.minX);
  d.maxY = clampToInt32(b.maxY);
  d.minY = clampToInt32(b.minY);
}

}  // namespace

std::string_view extensionOf(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  const auto dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

EmbDesign::EmbDesign(const EmbDesign& other) : EmbDesign() {
  copyFrom(other);
  pesVersion = 0;
  hoopWidth = 0;
  hoopHeight = 0;
}

void EmbDesign::copyFrom(const EmbDesign& other) {
  if (&other == this) return;
  // The path as loaded and the jump display belong to this design, not to what it shows.
  std::string ownSourcePath = std::move(sourcePath);
  const bool ownShowJumps = showJumps;
  static_cast<DesignContent&>(*this) = other;
  sourcePath = std::move(ownSourcePath);
  showJumps = ownShowJumps;
  copyPictureFrom(other);
}

void EmbDesign::clear() {
  threads.clear();
  stitches.clear();
  path.clear();
  text.clear();
  isText = false;
  name.clear();
  category.clear();
  author.clear();
  keywords.clear();
  comments.clear();
  resetBitmap();
}

Bounds64 measureBounds(std::span<const Stitch> records) {
  Bounds64 b;
  std::int64_t x = 0, y = 0;
  for (const Stitch& s : records) {
    x += s.dx;
    y += s.dy;
    b.maxX = std::max(b.maxX, x);
    b.minX = std::min(b.minX, x);
    b.maxY = std::max(b.maxY, y);
    b.minY = std::min(b.minY, y);
  }
  b.endX = x;
  b.endY = y;
  return b;
}

Point EmbDesign::computeBounds(std::ptrdiff_t after) {
  const Bounds64 b = measureBounds(recordsAfter(stitches, after));
  storeBounds(*this, b);
  return {clampToInt32(b.endX), clampToInt32(b.endY)};
}

Point EmbDesign::centreDesign(std::ptrdiff_t after) {
  if (stitches.empty()) return {0, 0};
  Bounds64 b = measureBounds(recordsAfter(stitches, after));
  const std::int64_t cx = (b.maxX + b.minX) / 2;
  const std::int64_t cy = (b.maxY + b.minY) / 2;
  std::size_t first = static_cast<std::size_t>(after + 1);
  if (after < 0 || first >= stitches.size()) first = 0;
  // The move is 16 bits: a centre beyond that wraps, as adding the full value would.
  const int moveX = static_cast<std::int16_t>(static_cast<std::uint16_t>(-cx));
  const int moveY = static_cast<std::int16_t>(static_cast<std::uint16_t>(-cy));
  if (stitches[first].isJump()) {
    stitches[first].addMove(moveX, moveY);
  } else {
    stitches.insert(stitches.begin() + static_cast<std::ptrdiff_t>(first), Stitch(moveX, moveY, true));
  }
  b.maxX -= cx;
  b.minX -= cx;
  b.endX -= cx;
  b.maxY -= cy;
  b.minY -= cy;
  b.endY -= cy;
  Stitch& head = stitches[first];
  if (b.maxX < std::abs(b.minX)) {
    head.addMove(1, 0);
    ++b.maxX;
    ++b.minX;
  }
  if (b.maxY > std::abs(b.minY)) {
    head.addMove(0, -1);
    --b.maxY;
    --b.minY;
  }
  storeBounds(*this, b);
  return {clampToInt32(b.endX), clampToInt32(b.endY)};
}

void EmbDesign::mergeJumps(bool jumpsOnly) {
  if (stitches.empty()) return;
  std::vector<Stitch> out;
  out.reserve(stitches.size());
  out.push_back(stitches[0]);
  for (std::size_t j = 1; j < stitches.size(); ++j) {
    Stitch& r = out.back();
    const Stitch& s = stitches[j];
    // A sum beyond a 16-bit move stays two records rather than wrapping.
    const bool fits = std::abs(r.dx + s.dx) <= INT16_MAX && std::abs(r.dy + s.dy) <= INT16_MAX;
    if (fits && r.isJump() && (s.isJump() || !jumpsOnly) && !r.isColorChange() && !s.isColorChange()) {
      r.addMove(s.dx, s.dy);
      if (!s.isJump()) {
        // The jump swallowed one stitch: carry on from the record after it.
        if (++j >= stitches.size()) break;
        out.push_back(stitches[j]);
      }
    } else {
      out.push_back(s);
    }
  }
  out.back().setColorChange(false);
  stitches = std::move(out);
}

void EmbDesign::rotateQuarter(int direction) {
  const int s = direction > 0 ? 1 : -1;
  for (Stitch& st : stitches) {
    const int ox = st.dx;
    st.setMove(s * st.dy, -(s * ox));
  }
  std::swap(maxX, maxY);
  std::swap(minX, minY);
}

void EmbDesign::splitLongStitches(int maxLength, bool insertTrims, bool replace) {
  if (maxLength <= 0) return;
  std::vector<Stitch> out;
  out.reserve(stitches.size() + stitches.size() / 8);
  // A record is examined once; the last piece of a cut jump (of every cut record in replace
  // mode) is examined again, since its share of the rounding remainder can leave it just over
  // the limit. Jumps stay jumps: where a format's readers want a landing stitch after a run of
  // jumps, its writer adds one.
  auto process = [&](Stitch r) -> std::optional<Stitch> {
    if (!replace && r.isColorChange()) {
      r.setJump(false);
      if (!r.isZeroMove()) {
        // A colour change's move sews nothing: it goes on as a jump.
        out.push_back(Stitch::withFlags(ColorChange));
        r.setColorChange(false);
        r.setJump(true);
      }
    }
    const int ex = std::abs(r.dx) > maxLength ? std::abs(r.dx) : 0;
    const int ey = std::abs(r.dy) > maxLength ? std::abs(r.dy) : 0;
    if (ex == 0 && ey == 0) {
      out.push_back(r);
      return std::nullopt;
    }
    if (r.isJump() && insertTrims) out.push_back(Stitch::withFlags(Trim));
    const double len = lengthOf(r);
    const int m = std::max(ex, ey);
    int n = m / maxLength;
    if (n * maxLength < m) ++n;
    const double theta = std::atan2(static_cast<double>(r.dy), static_cast<double>(r.dx));
    const double step = len / n;
    const Stitch piece(static_cast<int>(std::cos(theta) * step), static_cast<int>(std::sin(theta) * step),
                       true);
    const std::size_t firstPiece = out.size();
    out.insert(out.end(), static_cast<std::size_t>(n), piece);
    Stitch& last = out.back();
    last.addMove(r.dx - n * piece.dx, r.dy - n * piece.dy);
    r.setMove(0, 0);
    if (!replace && !r.isJump()) {
      // The stitch keeps its penetration at the end point.
      out.push_back(r);
      return std::nullopt;
    }
    if (r.isColorChange()) out[firstPiece].setColorChange(true);
    Stitch again = out.back();
    out.pop_back();
    return again;
  };
  for (const Stitch& s : stitches) {
    std::optional<Stitch> next = process(s);
    while (next) next = process(*next);
  }
  stitches = std::move(out);
}

Point EmbDesign::dropLeadingJumps() {
  std::size_t k = 0;
  while (k < stitches.size() && (stitches[k].isJump() || stitches[k].isZeroMove())) ++k;
  stitches.erase(stitches.begin(), stitches.begin() + static_cast<std::ptrdiff_t>(k));
  return centreDesign(kNone);
}

void EmbDesign::classifyJumps() {
  if (stitches.empty()) return;
  if (equalsNoCase(extensionOf(path), "pcs")) {
    for (Stitch& s : stitches)
      if (lengthOf(s) > 127.0) s.setJump(true);
  }
  double prevDir = rawDirection(stitches[0]);
  double dir = prevDir;
  double len = lengthOf(stitches[0]);
  bool prevWasJump = false;
  const std::size_t n = stitches.size();
  std::size_t i = 1;
  while (i < n) {
    Stitch& r = stitches[i];
    if (!r.isZeroMove()) {
      dir = direction(r);
      len = lengthOf(r);
    }
    std::size_t next = i + 1;
    bool lastIsJump = r.isJump();
    if (r.isColorChange()) {
      std::size_t k = i;
      while (k + 1 < n && (stitches[k].isJump() || stitches[k].isZeroMove())) ++k;
      dir = direction(stitches[k]);
      len = lengthOf(stitches[k]);
      lastIsJump = stitches[k].isJump();
      next = k + 1;
    } else if (r.isJump() && i + 1 < n) {
      std::size_t l = i + 1;
      while (l + 1 < n && stitches[l].isZeroMove()) ++l;
      const Stitch& look = stitches[l];
      const double nextDir = direction(look);
      const double rev = dir > 180 ? dir - 180 : dir + 180;
      double ratio = len > 0 ? lengthOf(r) / len : 0.0;
      double q;
      if (ratio == 0.0) {
        q = HUGE_VAL;
      } else {
        if (ratio < 1) ratio = 1.0 / ratio;
        q = ratio - 1.0;
      }
      const bool a = angleDiff(prevDir, rev) < 3.5 || (angleDiff(nextDir, rev) < 3.5 && q > 0.8);
      const bool b = angleDiff(prevDir, dir) < 3.5 && angleDiff(nextDir, dir) < 3.5 && !look.isJump() &&
                     !prevWasJump;
      if ((a || b) && len > 80) r.setJump(false);
      lastIsJump = r.isJump();
      next = (l == i + 1) ? l : l + 1;
    } else if (r.isZeroMove()) {
      i = next;
      continue;
    }
    prevDir = dir;
    prevWasJump = lastIsJump;
    i = next;
  }
}

void EmbDesign::computeBlockStats() {
  if (stitches.empty() || threads.empty()) return;
  // Positions and lengths are summed in 64 bits and clamped into the int32 fields.
  struct Block {
    int count = 0;
    std::int64_t length = 0;
    int jumps = 0;
    bool started = true;
    std::int64_t minX = 10000, minY = 10000, maxX = -10000, maxY = -10000;
    std::int64_t startX = 0, startY = 0;
  };
  std::size_t current = 0;
  Block b;
  std::int64_t x = 0, y = 0;
  auto close = [&] {
    ThreadColor& t = threads[current];
    t.stitchCount = b.count;
    t.startX = clampToInt32(b.startX);
    t.startY = clampToInt32(b.startY);
    t.minX = clampToInt32(b.minX);
    t.minY = clampToInt32(b.minY);
    t.maxX = clampToInt32(b.maxX);
    t.maxY = clampToInt32(b.maxY);
    t.threadLength = 7500 + static_cast<std::int64_t>(1.5 * static_cast<double>(b.length));
    t.attributes.setPoint("NeedleEnds", clampToInt32(x), clampToInt32(y));
  };
  for (const Stitch& r : stitches) {
    // A colour change beyond the last thread has no block to start: it stays in the last one.
    if (r.isColorChange() && current + 1 < threads.size()) {
      close();
      b = Block{};
      b.count = -1;
      b.startX = x;
      b.startY = y;
      ++current;
    }
    x += r.dx;
    y += r.dy;
    if (!r.isColorChange() && !r.isJump() && !r.isZeroMove()) b.started = false;
    if (!b.started) {
      b.minX = std::min(b.minX, x);
      b.minY = std::min(b.minY, y);
      b.maxX = std::max(b.maxX, x);
      b.maxY = std::max(b.maxY, y);
    }
    b.length += static_cast<std::int64_t>(lengthOf(r));
    ++b.count;
    if (r.isJump()) ++b.jumps;
  }
  close();
}

void EmbDesign::assignNeedles() {
  int counter = 0;
  for (std::size_t i = 0; i < threads.size(); ++i) {
    ThreadColor& t = threads[i];
    const auto earlier = std::find_if(threads.begin(), threads.begin() + static_cast<std::ptrdiff_t>(i),
                                      [&](const ThreadColor& e) { return sameThread(e, t); });
    if (earlier != threads.begin() + static_cast<std::ptrdiff_t>(i)) {
      t.needle = earlier->needle;
    } else {
      t.needle = counter++;
    }
  }
}

std::size_t EmbDesign::colorChangeCount() const {
  return static_cast<std::size_t>(
      std::count_if(stitches.begin(), stitches.end(), [](const Stitch& s) { return s.isColorChange(); }));
}

}  // namespace lh
