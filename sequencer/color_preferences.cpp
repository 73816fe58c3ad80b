#include "sequencer/color_preferences.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "design/thread_color.h"
#include "sequencer/sequencer_keys.h"

namespace lh {

namespace {

constexpr std::array<std::uint32_t, ColorPreferences::kStorageCount> kDefaultStorage{
    0xFFFFFF, 0xE6E6E6, 0xAAAAAA, 0x888888, 0x555555, 0x333333,  //
    0xFFFFCC, 0xFFFF99, 0xDDDD99, 0xFFCCFF, 0xFF99FF, 0xCC99CC,  //
    0xEBFFFF, 0x99FFFF, 0x99DDDD, 0xFFDDDD, 0xDDFFDD, 0xDDDDFF,  //
    0xCC99FF, 0xCCFF99, 0xFF99CC, 0xFFCC99, 0x99FFCC, 0x99FF99};

bool validIndex(int index) { return index >= 0 && index < ColorPreferences::kStorageCount; }
int clampIndex(int index) { return std::clamp(index, -1, ColorPreferences::kStorageCount - 1); }

std::uint32_t readColor(const SettingsStore& s, std::string_view key, std::uint32_t fallback) {
  return static_cast<std::uint32_t>(s.getInt(kSequencerSection, key, static_cast<int>(fallback))) & 0xFFFFFFu;
}

std::string storageKey(int i) { return std::string(kStorageKeyPrefix) + std::to_string(i); }

}  // namespace

ColorPreferences ColorPreferences::defaults() {
  ColorPreferences p;
  p.storage = kDefaultStorage;
  return p;
}

void ColorPreferences::pick(ColorTarget target, int index) {
  if (!validIndex(index)) return;
  const std::uint32_t c = storage[static_cast<std::size_t>(index)];
  (target == ColorTarget::Background ? backgroundIndex : hoopIndex) = index;
  (target == ColorTarget::Background ? background : hoop) = c;
}

void ColorPreferences::setColor(ColorTarget target, std::uint32_t rgb) {
  (target == ColorTarget::Background ? backgroundIndex : hoopIndex) = -1;
  (target == ColorTarget::Background ? background : hoop) = rgb & 0xFFFFFFu;
}

void ColorPreferences::store(int index, std::uint32_t rgb) {
  if (validIndex(index)) storage[static_cast<std::size_t>(index)] = rgb & 0xFFFFFFu;
}

ColorPreferences loadColorPreferences(const SettingsStore& s) {
  ColorPreferences p = ColorPreferences::defaults();
  for (int i = 0; i < ColorPreferences::kStorageCount; ++i)
    p.storage[static_cast<std::size_t>(i)] =
        readColor(s, storageKey(i), p.storage[static_cast<std::size_t>(i)]);
  p.backgroundIndex = clampIndex(s.getInt(kSequencerSection, kBackgroundIndexKey, p.backgroundIndex));
  p.background = readColor(s, kBackgroundColorKey, p.background);
  p.hoopIndex = clampIndex(s.getInt(kSequencerSection, kHoopIndexKey, p.hoopIndex));
  p.hoop = readColor(s, kHoopColorKey, p.hoop);
  const int mode = s.getInt(kSequencerSection, kControlModeKey, static_cast<int>(p.controls));
  p.controls = mode == static_cast<int>(ColorControls::Hsb) ? ColorControls::Hsb : ColorControls::Rgb;
  return p;
}

void storeColorPreferences(SettingsStore& s, const ColorPreferences& p) {
  for (int i = 0; i < ColorPreferences::kStorageCount; ++i)
    s.setInt(kSequencerSection, storageKey(i), static_cast<int>(p.storage[static_cast<std::size_t>(i)]));
  s.setInt(kSequencerSection, kBackgroundIndexKey, p.backgroundIndex);
  s.setInt(kSequencerSection, kBackgroundColorKey, static_cast<int>(p.background));
  s.setInt(kSequencerSection, kHoopIndexKey, p.hoopIndex);
  s.setInt(kSequencerSection, kHoopColorKey, static_cast<int>(p.hoop));
  s.setInt(kSequencerSection, kControlModeKey, static_cast<int>(p.controls));
}

}  // namespace lh
