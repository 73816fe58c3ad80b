#include "design/thread_color.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lh {

ThreadColor::ThreadColor(std::string name, std::uint32_t rgbValue, std::int32_t chart)
    : rgb(rgbValue), chartCode(chart), displayName(std::move(name)) {}

ThreadColor::ThreadColor(std::string brandText, std::string colorNameText, std::string codeText,
                         std::uint32_t rgbValue, std::int32_t chart, std::int32_t type)
    : rgb(rgbValue),
      chartCode(chart),
      code(std::move(codeText)),
      colorName(std::move(colorNameText)),
      brand(std::move(brandText)),
      threadType(type) {
  displayName = brand;
  for (const std::string* part : {&code, &colorName}) {
    if (part->empty()) continue;
    if (!displayName.empty()) displayName += ' ';
    displayName += *part;
  }
}

void ThreadColor::updateHsb() {
  red = redOf(rgb);
  green = greenOf(rgb);
  blue = blueOf(rgb);
  rgbSum = red + green + blue;
  const int mx = std::max({red, green, blue});
  const int mn = std::min({red, green, blue});
  brightness = mx;
  int d = mx - mn;
  if (rgbSum < 20 || rgbSum > 750) d = 0;
  if (d == 0) {
    saturation = -1;
    hueGroup = -1;
    return;
  }
  saturation = static_cast<int>(static_cast<double>(d) / mx * 255.0);
  double h;
  if (red == mx)
    h = static_cast<double>(green - blue) / d;
  else if (green == mx)
    h = static_cast<double>(blue - red) / d + 2.0;
  else
    h = static_cast<double>(red - green) / d + 4.0;
  h *= 60.0;
  while (h < 0) h += 360.0;
  while (h >= 360.0) h -= 360.0;
  hue = static_cast<int>(h);
  hueGroup = (static_cast<int>(h / 30.0) + 1) % 12;
}

bool sameThread(const ThreadColor& a, const ThreadColor& b) {
  return a.rgb == b.rgb && equalsNoCase(a.brand, b.brand);
}

float rgbDistance(const ThreadColor& a, const ThreadColor& b) {
  const float dr = static_cast<float>(std::abs(a.red - b.red));
  const float dg = static_cast<float>(std::abs(a.green - b.green));
  const float db = static_cast<float>(std::abs(a.blue - b.blue));
  const float s = db + dg + dr;
  const float t = s * 0.33333334f;
  float e = 0.0f;
  for (float c : {dr, dg, db})
    if (c > t) e += c - t;
  const float result = (e * 3.0f + s) * 0.12820512f;
  return std::min(result, 100.0f);
}

float hsbDistance(ThreadColor& a, const ThreadColor& b) {
  const int diff = std::abs(a.hue - b.hue);
  const int dh = std::min(diff, 360 - diff);
  const float h = static_cast<float>(dh) * 0.0027777778f;
  const float s = static_cast<float>(std::abs(a.saturation - b.saturation)) * 0.003921569f;
  const float br = static_cast<float>(std::abs(a.brightness - b.brightness)) * 0.003921569f;
  float wH = 3.0f, wS = 1.0f, wB = 1.0f;
  if (a.saturation < 62) {
    if (a.saturation < 0) a.saturation = 0;
    const float k = static_cast<float>(a.saturation) * 0.016129032f;
    wS = wB = (1.0f - k) * 0.5f + 1.0f;
    wH = 3.0f * k;
  }
  const float wh = wH * h, ws = wS * s, wb = wB * br;
  return std::sqrt(wh * wh + ws * ws + wb * wb) * 100.0f / (wB + wS + wH);
}

float colorDistance(ThreadColor& a, ThreadColor& b) {
  a.updateHsb();
  b.updateHsb();
  const float r = rgbDistance(a, b);
  const float h = hsbDistance(a, b);
  const float t = static_cast<float>(a.brightness) * 0.003921569f;
  return (1.0f - t) * r + t * h;
}

HsbValue hsbOfColor(std::uint32_t rgb) {
  const int r = redOf(rgb), g = greenOf(rgb), b = blueOf(rgb);
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  HsbValue out;
  out.brightness = mx;
  if (mx == 0 || mx == mn) return out;
  const double d = mx - mn;
  out.saturation = static_cast<int>(std::lround(d * 255.0 / mx));
  double h = r == mx ? (g - b) / d : g == mx ? (b - r) / d + 2.0 : (r - g) / d + 4.0;
  h *= 60.0;
  if (h < 0) h += 360.0;
  out.hue = static_cast<int>(std::lround(h)) % 360;
  return out;
}

std::uint32_t colorOfHsb(const HsbValue& in) {
  const double h = std::clamp(in.hue, 0, 359) / 60.0;
  const double s = std::clamp(in.saturation, 0, 255) / 255.0;
  const double v = std::clamp(in.brightness, 0, 255);
  const int sector = static_cast<int>(h);
  const double f = h - sector;
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r = v, g = t, b = p;
  switch (sector) {
    case 1:
      r = q, g = v, b = p;
      break;
    case 2:
      r = p, g = v, b = t;
      break;
    case 3:
      r = p, g = q, b = v;
      break;
    case 4:
      r = t, g = p, b = v;
      break;
    case 5:
      r = v, g = p, b = q;
      break;
    default:
      break;
  }
  return rgbOf(static_cast<int>(std::lround(r)), static_cast<int>(std::lround(g)),
               static_cast<int>(std::lround(b)));
}

}  // namespace lh
