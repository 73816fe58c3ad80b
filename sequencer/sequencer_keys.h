#pragma once
// The sequencer's stored settings: its profile and every value name kept in it. Values live
// directly under the profile (the empty section), not in a group.
#include <string_view>

namespace lh {

// The settings store the sequencer opens for its own values (organisation "Quenby").
inline constexpr std::string_view kSequencerProfile = "LHHuetide";
inline constexpr std::string_view kSequencerSection = "";

// The browser's profile, read for the version of the browser the sequencer talks to (the
// browser stores 258 there; a missing value means an old browser).
inline constexpr std::string_view kBrowserProfile = "Loomhall";
inline constexpr std::string_view kHostVersionSection = "Settings";
inline constexpr std::string_view kHostVersionKey = "Version";
inline constexpr int kDefaultHostVersion = 100;

// Program version times 100, and the colour chooser's screen rectangle.
inline constexpr std::string_view kSequencerVersionKey = "Version";
inline constexpr std::string_view kChooserTopKey = "CCTop";
inline constexpr std::string_view kChooserLeftKey = "CCLeft";
inline constexpr std::string_view kChooserBottomKey = "CCBottom";
inline constexpr std::string_view kChooserRightKey = "CCRight";

// Colour preferences: the storage colours are "s0" to "s23" (written with "s%i").
inline constexpr std::string_view kStorageKeyPrefix = "s";
inline constexpr std::string_view kBackgroundIndexKey = "selectedColor";
inline constexpr std::string_view kBackgroundColorKey = "selectedColorRGB";
inline constexpr std::string_view kHoopIndexKey = "hoopColor";
inline constexpr std::string_view kHoopColorKey = "hoopRGB";
inline constexpr std::string_view kControlModeKey = "controlMode";

}  // namespace lh
