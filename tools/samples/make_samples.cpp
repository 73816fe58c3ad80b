// Builds the bundled sample designs procedurally and writes them with our writers:
//   make-samples OUTDIR
// flower (satin-like petal columns in four colours), spiral (running stitch in arms joined
// by long jumps, which the writers turn into trims), letters (block lettering, one colour per
// letter) and quilt (16 filled squares: more colours than one SEW file holds, so converting
// it to SEW splits it). Every design is written in a few formats, and one zip archive holds
// further copies. Units are 0.1 mm, y up.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "files/save_file.h"
#include "formats/design_codec.h"
#include "formats/format_table.h"
#include "zip/zip_archive.h"

namespace {

using namespace lh;

// Turns absolute needle positions into relative records.
class Pen {
 public:
  explicit Pen(EmbDesign& d) : d_(d) {}

  void color(std::uint32_t rgb, const char* name) {
    if (!d_.threads.empty()) d_.stitches.push_back(Stitch::withFlags(ColorChange));
    ThreadColor t(name, rgb, 0);
    t.brand = "Loomhall";
    t.colorName = name;
    d_.threads.push_back(t);
  }
  void jumpTo(double x, double y) { move(x, y, true); }
  void stitchTo(double x, double y) { move(x, y, false); }
  // Running stitches of at most `step` towards (x, y).
  void runTo(double x, double y, double step) {
    const double dx = x - fx_, dy = y - fy_;
    const int n = std::max(1, static_cast<int>(std::ceil(std::hypot(dx, dy) / step)));
    const double x0 = fx_, y0 = fy_;
    for (int i = 1; i <= n; ++i) stitchTo(x0 + dx * i / n, y0 + dy * i / n);
  }
  // A satin-like column: zigzag between the two edges, sampled at the same parameters.
  template <typename Left, typename Right>
  void satin(Left left, Right right, int zigzags) {
    auto [lx, ly] = left(0.0);
    jumpTo(lx, ly);
    for (int i = 0; i <= zigzags; ++i) {
      const double t = static_cast<double>(i) / zigzags;
      const auto [ax, ay] = left(t);
      const auto [bx, by] = right(t);
      if (i % 2) {
        stitchTo(bx, by);
        stitchTo(ax, ay);
      } else {
        stitchTo(ax, ay);
        stitchTo(bx, by);
      }
    }
  }
  // A rectangle filled with rows of running stitch.
  void fill(double x0, double y0, double x1, double y1, double rowGap, double step) {
    jumpTo(x0, y0);
    bool right = true;
    for (double y = y0; y <= y1 + 0.01; y += rowGap) {
      stitchTo(right ? x0 : x1, y);
      runTo(right ? x1 : x0, y, step);
      right = !right;
    }
  }

 private:
  void move(double x, double y, bool jump) {
    const int nx = static_cast<int>(std::lround(x)), ny = static_cast<int>(std::lround(y));
    d_.stitches.emplace_back(nx - x_, ny - y_, jump);
    x_ = nx;
    y_ = ny;
    fx_ = x;
    fy_ = y;
  }
  EmbDesign& d_;
  int x_ = 0, y_ = 0;
  double fx_ = 0, fy_ = 0;
};

using Point2 = std::pair<double, double>;

EmbDesign flower() {
  EmbDesign d;
  Pen pen(d);
  constexpr double pi = std::numbers::pi;
  // Stem and a leaf underneath the petals.
  pen.color(0x2E8B22, "Leaf Green");
  pen.satin([](double t) { return Point2{-12, -150 - 250 * t}; }, [](double t) { return Point2{12, -150 - 250 * t}; }, 90);
  pen.satin([](double t) { return Point2{10 + 180 * t, -260 + 90 * t + 45 * std::sin(pi * t)}; },
            [](double t) { return Point2{10 + 180 * t, -260 + 90 * t - 45 * std::sin(pi * t)}; }, 70);
  // Six petals, alternating two colours: columns along the petal axis, widest in the middle.
  for (int color = 0; color < 2; ++color) {
    pen.color(color ? 0x9314FF : 0x3C14DC, color ? "Deep Pink" : "Crimson");
    for (int p = color; p < 6; p += 2) {
      const double a = p * pi / 3 + pi / 2;
      const double ux = std::cos(a), uy = std::sin(a);
      auto edge = [=](double side) {
        return [=](double t) {
          const double along = 60 + 260 * t, half = side * 75 * std::sin(pi * t);
          return Point2{ux * along - uy * half, uy * along + ux * half};
        };
      };
      pen.satin(edge(1), edge(-1), 80);
    }
  }
  // The centre: a satin disc.
  pen.color(0x00D7FF, "Gold");
  pen.satin([](double t) { return Point2{-80 + 160 * t, std::sqrt(std::max(0.0, 6400 - std::pow(-80 + 160 * t, 2)))}; },
            [](double t) { return Point2{-80 + 160 * t, -std::sqrt(std::max(0.0, 6400 - std::pow(-80 + 160 * t, 2)))}; },
            40);
  return d;
}

EmbDesign spiral() {
  EmbDesign d;
  Pen pen(d);
  constexpr double pi = std::numbers::pi;
  // Four arms of one and a half turns each; between arms the needle jumps over a gap.
  for (int arm = 0; arm < 4; ++arm) {
    pen.color(arm < 2 ? 0xB48246 : 0x800080, arm < 2 ? "Steel Blue" : "Purple");
    const double start = arm * 3.5 * pi + 0.6 * pi, end = start + 3 * pi;
    for (double th = start; th <= end; th += 0.05) {
      const double r = 9.0 * th;
      const double x = r * std::cos(th), y = r * std::sin(th);
      if (th == start)
        pen.jumpTo(x, y);
      else
        pen.runTo(x, y, 25);
    }
  }
  return d;
}

EmbDesign letters() {
  EmbDesign d;
  Pen pen(d);
  // Block letters from bars (x0, y0, x1, y1), each bar a satin column across its short side.
  struct Bar {
    double x0, y0, x1, y1;
  };
  const std::vector<std::vector<Bar>> glyphs{
      {{0, 0, 50, 300}, {50, 0, 200, 50}},                                          // L
      {{0, 0, 50, 300}, {150, 0, 200, 300}, {50, 0, 150, 50}, {50, 250, 150, 300}},  // O
      {{0, 0, 50, 300}, {150, 0, 200, 300}, {50, 0, 150, 50}, {50, 250, 150, 300}},  // O
      {{0, 0, 50, 300}, {100, 100, 140, 300}, {190, 0, 240, 300}, {50, 250, 190, 300}},  // M
  };
  const std::uint32_t colors[] = {0x0000CC, 0x00A5FF, 0x228B22, 0x8B0000};
  const char* names[] = {"Red", "Orange", "Forest Green", "Navy"};
  double left = -500;
  for (std::size_t g = 0; g < glyphs.size(); ++g) {
    pen.color(colors[g], names[g]);
    for (const Bar& b : glyphs[g]) {
      const double x0 = left + b.x0, x1 = left + b.x1;
      const bool tall = (b.y1 - b.y0) > (x1 - x0);
      const int zigzags = static_cast<int>((tall ? b.y1 - b.y0 : x1 - x0) / 4);
      if (tall)
        pen.satin([&](double t) { return Point2{x0, b.y0 + (b.y1 - b.y0) * t}; },
                  [&](double t) { return Point2{x1, b.y0 + (b.y1 - b.y0) * t}; }, zigzags);
      else
        pen.satin([&](double t) { return Point2{x0 + (x1 - x0) * t, b.y0}; },
                  [&](double t) { return Point2{x0 + (x1 - x0) * t, b.y1}; }, zigzags);
    }
    left += g == 3 ? 290 : 250;
  }
  return d;
}

EmbDesign quilt() {
  EmbDesign d;
  Pen pen(d);
  // 4 x 4 squares of 22 mm, each its own colour: 16 colour blocks, more than a SEW file holds.
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      const int k = row * 4 + col;
      const std::uint32_t rgb = rgbOf(40 + 60 * (k % 4), 40 + 50 * (k / 4), 220 - 12 * k);
      const std::string name = "Patch " + std::to_string(k + 1);
      pen.color(rgb, name.c_str());
      const double x0 = -460 + col * 230, y0 = -460 + row * 230;
      pen.fill(x0, y0, x0 + 220, y0 + 220, 4, 30);
    }
  }
  return d;
}

bool write(const EmbDesign& design, const std::string& path, FormatCode code, const std::string& zip = "") {
  DesignCodec codec;
  EmbDesign copy(design);
  copy.path = path;
  copy.computeBounds();
  copy.centreDesign();
  copy.computeBlockStats();
  const auto image = writeAs(codec, copy, code);
  if (!image) {
    std::fprintf(stderr, "make-samples: %s: the writer made nothing\n", path.c_str());
    return false;
  }
  const std::string name = std::filesystem::path(path).filename().string();
  const bool ok = zip.empty() ? writeNewFile(path, *image) : ZipArchive::writeMember(zip, name, *image);
  std::printf("%s%s%s\n", zip.empty() ? "" : zip.c_str(), zip.empty() ? "" : ":", zip.empty() ? path.c_str() : name.c_str());
  if (!ok) std::fprintf(stderr, "make-samples: %s: could not be saved (it may exist already)\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-samples OUTDIR\n");
    return 2;
  }
  const std::string out = argv[1];
  std::filesystem::create_directories(out);
  const EmbDesign f = flower(), s = spiral(), l = letters(), q = quilt();
  bool ok = true;
  ok &= write(f, out + "/flower.pes", FormatPes);
  ok &= write(f, out + "/flower.jef", FormatJef);
  ok &= write(s, out + "/spiral.dst", FormatDst);
  ok &= write(l, out + "/letters.pes", FormatPes);
  ok &= write(l, out + "/letters.xxx", FormatXxx);
  ok &= write(q, out + "/quilt.pes", FormatPes);
  ok &= write(q, out + "/quilt.exp", FormatExp);
  const std::string zip = out + "/more-samples.zip";
  ok &= write(f, out + "/flower.sew", FormatSew, zip);
  ok &= write(s, out + "/spiral.exp", FormatExp, zip);
  ok &= write(l, out + "/letters.jef", FormatJef, zip);
  return ok ? 0 : 1;
}
