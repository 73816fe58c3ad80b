#include "tools/design_notes.h"

#include <algorithm>
#include <cstdio>

#include "design/measurements.h"
#include "render/palette_manager.h"
#include "render/renderer.h"
#include "threads/thread_matching.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

template <typename... Args>
std::string format(const char* fmt, Args... args) {
  const int n = std::snprintf(nullptr, 0, fmt, args...);
  std::string s(static_cast<std::size_t>(std::max(n, 0)), '\0');
  std::snprintf(s.data(), s.size() + 1, fmt, args...);
  return s;
}

}  // namespace

std::string notesText(const EmbDesign& design, bool inches, const std::tm& today) {
  if (design.threads.empty()) return design.text;
  std::string out = design.path + "\r\n";
  out += sizeText(design, inches, true) + "\r\n";
  out += format("%02d/%02d/%02d\r\n\r\n", today.tm_mon + 1, today.tm_mday, today.tm_year % 100);
  int i = 1;
  for (const ThreadColor& t : design.threads) {
    if (inches)
      out += format("%i: %s, %i st. %-1.1f yd.", i, t.displayName.c_str(), t.stitchCount,
                    t.threadLength * 0.01 * 0.39370078 * 0.027777778);
    else
      out += format("%i: %s, %i st. %-1.1f m.", i, t.displayName.c_str(), t.stitchCount, t.threadLength * 0.0001);
    out += "\r\n\r\n";
    ++i;
  }
  out += "\r\n";
  out += matchReport(design);
  return out;
}

std::string notesText(const EmbDesign& design, bool inches) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return notesText(design, inches, local);
}

PreviewSettings loadPreviewSettings(const SettingsStore& store) {
  PreviewSettings s;
  s.size = readSetting(store, kBmpSize);
  s.make3d = readSetting(store, kMake3d) != 0;
  s.outline = readSetting(store, kOutline) != 0;
  return s;
}

bool loadEnglishUnits(const SettingsStore& store) { return readSetting(store, kEnglishUnits) != 0; }

ByteBuffer exportPreviewBitmap(EmbDesign& design, const PreviewSettings& settings) {
  PaletteManager palette;  // an export palette, so the screen's slots stay untouched
  PaletteManager* const previous = design.palette;
  usePalette(design, &palette);
  const int edge = settings.size / 8 * 8;
  design.shaded = false;
  design.thickLines = true;
  setSize(design, edge, edge);
  design.shaded = settings.make3d;
  const bool drawn = settings.outline ? renderOutline(design) : render(design);
  ByteBuffer bmp = drawn ? toBmpFile(design) : ByteBuffer{};
  design.resetBitmap();
  usePalette(design, previous);
  return bmp;
}

}  // namespace lh
