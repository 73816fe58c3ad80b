// Conversions keep every needle penetration: a design converted into any writable format
// and read back sews at the same places as the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <cstdint>
#include <utility>

#include "formats/format_table.h"
#include "tests/support/design_builder.h"
#include "tools/conversion.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
// A needle position packed into one sortable number (x major), so that a design's points
// are a sorted vector and a shift is one addition.
using Key = std::int64_t;
constexpr int kBias = 1 << 24;
constexpr Key key(long long x, long long y) { return ((x + kBias) << 26) | (y + kBias); }
constexpr Key offset(int dx, int dy) { return (static_cast<Key>(dx) << 26) + dy; }
using PointSet = std::vector<Key>;

// Absolute needle penetrations, sorted and without repeats: the end points of records that
// are neither jump, colour change nor trim.
PointSet penetrations(const EmbDesign& d) {
  PointSet out;
  long long x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !s.isColorChange() && !s.isTrim()) out.push_back(key(x, y));
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

struct Difference {
  std::size_t extra = 0;    // read back, never sewn by the source
  std::size_t missing = 0;  // sewn by the source, not read back
  std::size_t total() const { return extra + missing; }
};

// Points of `a` (moved by `shift`) without a point of `b` within `tolerance` on each axis.
// Plain loops over the sorted arrays: this runs over the whole corpus in every format.
std::size_t unmatched(const PointSet& a, Key shift, const PointSet& b, int tolerance) {
  const Key* const first = b.data();
  const std::size_t size = b.size();
  auto contains = [&](Key lo, Key hi) {  // any point of b in [lo, hi]
    std::size_t l = 0, h = size;
    while (l < h) {
      const std::size_t m = (l + h) / 2;
      if (first[m] < lo) l = m + 1;
      else h = m;
    }
    return l < size && first[l] <= hi;
  };
  std::size_t n = 0;
  if (tolerance == 0) {
    std::size_t j = 0;
    for (Key p : a) {
      p += shift;
      while (j < size && first[j] < p) ++j;
      n += j == size || first[j] != p;
    }
    return n;
  }
  for (Key p : a) {
    p += shift;
    bool found = false;
    for (int tx = -tolerance; tx <= tolerance && !found; ++tx) {
      const Key row = p + offset(tx, 0);
      found = contains(row - tolerance, row + tolerance);
    }
    n += !found;
  }
  return n;
}

// Both readings are centred on their own bounds, which may differ by a unit of rounding:
// the output is compared at the offset (within a few units) that lines up the first points
// or the last points of the two sets best.
Difference compare(const PointSet& source, const PointSet& output, int tolerance) {
  Difference best{output.size(), source.size()};
  if (source.empty() || output.empty()) return best;
  for (const Key shift : {source.front() - output.front(), source.back() - output.back(), Key{0}}) {
    const Difference d{unmatched(output, shift, source, tolerance), unmatched(source, -shift, output, tolerance)};
    if (d.total() < best.total()) best = d;
    if (best.total() == 0) break;
  }
  return best;
}

std::vector<fs::path> corpusDesigns() {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(LH_CORPUS_DIR), ec)) {
    if (!e.is_regular_file()) continue;
    const std::string rel = fs::relative(e.path(), LH_CORPUS_DIR).generic_string();
    if (rel.rfind("peer/", 0) == 0 || rel.find('/') == std::string::npos) continue;
    if (!findFormat(extensionOf(e.path().string()))) continue;
    out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ConversionPenetrations, Survey) {
  const auto designs = corpusDesigns();
  if (designs.empty()) GTEST_SKIP() << "no corpus";
  MemorySettings settings;
  DesignCodec codec(&settings);
  const ConversionContext ctx = ConversionContext::fromSettings(settings, &codec);
  const char* only = std::getenv("LH_ONLY");
  std::map<std::string, double> seconds;
  for (const fs::path& file : designs) {
    EmbDesign source;
    codec.busyCount.fetch_add(1);
    if (codec.loadDesign(&source, file.string()) != kLoadOk || source.stitches.empty()) continue;
    for (const FormatInfo* format : writableFormats()) {
      if (only && std::string(format->type) != only) continue;
      const auto t0 = std::chrono::steady_clock::now();
      EmbDesign work(source);
      work.sourcePath = source.sourcePath;
      ToolReport report;
      const int w0 = source.width(), h0 = source.height();
      PreparedConversion p = prepareConversion(work, format->code, true, ctx, report);
      std::string what;
      if (!p.write || !p.image) what = "not written";
      else if (!p.remainder.stitches.empty()) what = "split";
      else {
        EmbDesign turned(source);
        if (work.fitRotation != 0) turned.rotateQuarter(work.fitRotation);
        turned.computeBounds();
        if (std::abs(turned.width() - work.width()) > 1 || std::abs(turned.height() - work.height()) > 1) what = "shrunk";
        EmbDesign back;
        back.path = p.path;
        const int r = format->reader(codec, back, *p.image);
        if (r == kReadFailed) what = "unreadable";
        if (what.empty()) {
          const Difference d = compare(penetrations(turned), penetrations(back), 0);
          const Difference d1 = compare(penetrations(turned), penetrations(back), 1);
          const char* detail = std::getenv("LH_DETAIL");
          if (detail && fs::relative(file, LH_CORPUS_DIR).string() == detail && (d.extra || d.missing)) {
            const PointSet a = penetrations(turned), b = penetrations(back);
            Key best = 0; std::size_t bt = SIZE_MAX;
            for (Key sh : {a.front() - b.front(), a.back() - b.back(), Key{0}}) {
              std::size_t t = unmatched(b, sh, a, 0) + unmatched(a, -sh, b, 0);
              if (t < bt) { bt = t; best = sh; }
            }
            auto dumpAround = [](const EmbDesign& dd, Key k, Key sh, const char* tag) {
              long long x = 0, y = 0;
              for (std::size_t i = 0; i < dd.stitches.size(); ++i) {
                x += dd.stitches[i].dx; y += dd.stitches[i].dy;
                if (key(x, y) + sh == k) {
                  std::printf("  %s at record %zu:", tag, i);
                  for (std::size_t j = i >= 4 ? i - 4 : 0; j < std::min(dd.stitches.size(), i + 3); ++j)
                    std::printf(" [%s%d,%d,f%d]", j == i ? "*" : "", dd.stitches[j].dx, dd.stitches[j].dy, dd.stitches[j].flags);
                  std::printf("\n");
                  return;
                }
              }
            };
            int shown = 0;
            for (Key k : b) if (!std::binary_search(a.begin(), a.end(), k + best) && shown++ < 6) dumpAround(back, k + best, best, "extra");
            shown = 0;
            for (Key k : a) if (!std::binary_search(b.begin(), b.end(), k - best) && shown++ < 6) { dumpAround(turned, k, 0, "missing(src)"); dumpAround(back, k, best, "missing(back)"); }
          }
          if (d.extra || d.missing)
            what = "extra " + std::to_string(d.extra) + " missing " + std::to_string(d.missing) + " (tol1 " +
                   std::to_string(d1.extra) + "/" + std::to_string(d1.missing) + ") of " +
                   std::to_string(penetrations(turned).size());
        }
      }
      (void)w0; (void)h0;
      seconds[std::string(format->type)] += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      if (!what.empty())
        std::printf("%-40s %-4s %s\n", fs::relative(file, LH_CORPUS_DIR).c_str(), std::string(format->type).c_str(),
                    what.c_str());
    }
  }
  for (const auto& [k, v] : seconds) std::printf("%s %.2f s\n", k.c_str(), v);
}

}  // namespace
}  // namespace lh
