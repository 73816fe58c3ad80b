#pragma once
// The colour preferences: 24 stored colours, the preview's background colour and the hoop
// colour (each with the storage position it came from, -1 for none), and whether the sliders
// work in RGB or HSB. Read and written through the settings store under the sequencer's
// profile.
#include <array>
#include <cstdint>

#include "design/settings.h"
#include "design/thread_color.h"  // HsbValue, hsbOfColor, colorOfHsb

namespace lh {

enum class ColorControls { Rgb = 0, Hsb = 1 };
enum class ColorTarget { Background, Hoop };

struct ColorPreferences {
  static constexpr int kStorageCount = 24;

  std::array<std::uint32_t, kStorageCount> storage{};  // 0x00BBGGRR
  int backgroundIndex = 12;
  std::uint32_t background = 0xEBFFFF;
  int hoopIndex = 4;
  std::uint32_t hoop = 0x555555;
  ColorControls controls = ColorControls::Rgb;

  // The defaults ("Reset").
  static ColorPreferences defaults();

  // Picks storage position `index` (0..23) for the background or the hoop; ignored outside.
  void pick(ColorTarget target, int index);
  // A colour set by the sliders; it no longer comes from a storage position.
  void setColor(ColorTarget target, std::uint32_t rgb);
  std::uint32_t color(ColorTarget target) const {
    return target == ColorTarget::Background ? background : hoop;
  }
  // A colour dropped on storage position `index`; ignored outside 0..23.
  void store(int index, std::uint32_t rgb);

  friend bool operator==(const ColorPreferences&, const ColorPreferences&) = default;
};

// Stored values, defaults for missing ones; indexes are clamped to -1..23, colours to 24 bits.
ColorPreferences loadColorPreferences(const SettingsStore& settings);
void storeColorPreferences(SettingsStore& settings, const ColorPreferences& prefs);

}  // namespace lh
