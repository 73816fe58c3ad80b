#include "design/measurements.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace lh {

namespace {

int roundedLength(const Stitch& s) {
  return static_cast<int>(std::sqrt(static_cast<double>(s.dx) * s.dx + static_cast<double>(s.dy) * s.dy) + 0.5);
}

template <typename... Args>
std::string format(const char* fmt, Args... args) {
  char buf[160];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

}  // namespace

StitchCount displayStitchCount(const EmbDesign& design) {
  StitchCount r;
  r.count = static_cast<int>(design.stitches.size()) - static_cast<int>(design.threads.size()) + 1;
  if (design.pesVersion < 50 || !equalsNoCase(extensionOf(design.path), "pes")) return r;
  const auto& st = design.stitches;
  int run = 0, removed = 0;
  for (std::size_t i = 0; i < st.size(); ++i) {
    const Stitch& s = st[i];
    if (roundedLength(s) < 5) ++run;
    if (run > 2 && s.isJump()) {
      removed += run;
      run = 0;
      ++r.trims;
      std::size_t k = i + 1;
      while (k < st.size() && st[k].isJump()) ++k;
      for (; k < st.size() && roundedLength(st[k]) < 5; ++k) ++removed;
    }
    if (s.isJump() || s.isColorChange()) run = 0;
    if (std::abs(s.dx) > 5 || std::abs(s.dy) > 5) run = 0;
  }
  r.count -= removed;
  return r;
}

std::string inchText(double value) {
  static const char* const kFractions[16] = {"",       "(1/16)", "(1/8)",  "(3/16)", "(1/4)",  "(5/16)",
                                             "(3/8)",  "(7/16)", "(1/2)",  "(9/16)", "(5/8)",  "(11/16)",
                                             "(3/4)",  "(13/16)", "(7/8)", "(15/16)"};
  double whole;
  const double frac = std::modf(value, &whole);
  const int sixteenths = static_cast<int>(std::fabs(frac) * 16.0) & 15;
  std::string text;
  if (whole != 0.0)
    text = format("%-2.0f", whole);
  else if (value < 0.0 && sixteenths != 0)
    text.push_back('-');  // under one inch there is no whole number to carry the sign
  if (sixteenths == 0)
    text += whole == 0.0 ? "(0)" : "";
  else
    text += kFractions[sixteenths];
  return text;
}

std::string sizeText(const EmbDesign& design, bool inches, bool withCount) {
  const StitchCount c = displayStitchCount(design);
  const std::int64_t w = design.width();
  const std::int64_t h = design.height();
  std::string line;
  if (inches) {
    const float wi = static_cast<float>(std::abs(w)) * 0.00390625f;
    const float hi = static_cast<float>(std::abs(h)) * 0.00390625f;
    line = withCount ? format("%s\" x %s\" : %i Stitches", inchText(wi).c_str(), inchText(hi).c_str(), c.count)
                     : format("%s\" x %s\"", inchText(wi).c_str(), inchText(hi).c_str());
  } else {
    const double wc = static_cast<double>(w) * 0.01, hc = static_cast<double>(h) * 0.01;
    line = withCount ? format("%-4.2f cm x %-4.2f cm : %i Stitches", wc, hc, c.count)
                     : format("%-4.2f cm x %-4.2f cm", wc, hc);
  }
  if (design.pesVersion >= 50 && c.trims > 0)
    line += c.trims > 1 ? format(" + %i Trims", c.trims) : std::string(" + 1 Trim");
  return line;
}

}  // namespace lh
