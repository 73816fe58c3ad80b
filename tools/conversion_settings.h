#pragma once
// Per-format conversion settings (section "Conversion"), the tool format (section
// "Settings") and the hoop rectangle look-up built on them.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "design/settings.h"

namespace lh {

inline constexpr std::string_view kConversionSection = "Conversion";
inline constexpr std::string_view kSettingsSection = "Settings";

// One writable format's conversion record, holding the stored values as they are (enable
// flags beside their counts) so that the preferences page can write them back unchanged.
struct ConversionSettings {
  int format = -1;            // the FormatCode; -1 for "no record" (all zeros)
  bool splitStitchesOn = false;  // "ss"
  int splitStitchCount = 0;      // "ns"
  bool splitColorsOn = false;    // "sc"
  int splitColorCount = 0;       // "nc"
  int hoopWidth = 0;             // "w", whole mm
  int hoopHeight = 0;            // "h", whole mm
  bool rotate = false;           // "r"
  bool shrinkOn = false;         // "sh"
  int shrinkPct = 0;             // "shpct"
  bool bothOrientations = false; // "both"
  bool pesVersion5 = false;      // "pes5" (PES only)
  bool ensureTrims = false;      // "pestrim" / "dsttrim"
  bool pes6ForLarge = false;     // "pes6" (PES only)
  int trimCommands = 0;          // "dstjumps" (DST only)
  int trimLength = 0;            // "pestrimlen" / "dsttrimlen", mm

  // Maximum records per file; 0 when splitting by stitches is off.
  int maxStitches() const { return splitStitchesOn ? splitStitchCount : 0; }
  // Maximum colour blocks per file; 0 when splitting by colours is off.
  int maxColors() const { return splitColorsOn ? splitColorCount : 0; }
  // Largest shrink allowed, percent; 0 when shrinking is off.
  int shrinkPercent() const { return shrinkOn ? shrinkPct : 0; }

  friend bool operator==(const ConversionSettings&, const ConversionSettings&) = default;
};

// The built-in defaults of a format code; all zeros (format -1) outside 0 to 9.
ConversionSettings defaultConversionSettings(int code);
// The record of a format code as stored, defaults filling missing values and numbers outside
// their ranges (hoop sizes 0 to 1000 mm, trim lengths 0 to 100 mm, trim commands 0 to 12,
// shrink 0 to 100 percent, split counts not negative) read as the nearest limit; all zeros
// outside 0 to 9.
ConversionSettings loadConversionSettings(const SettingsStore& store, int code);
// Writes every value of the record under its key (nothing for a code outside 0 to 9).
void saveConversionSettings(SettingsStore& store, const ConversionSettings& settings);

// One key of a conversion record in section "Conversion" ("pesw", "dstjumps") with the
// values it is read with (a flag: any value, set when not 0).
struct ConversionKey {
  std::string key;
  int min = 0;
  int max = 0;
  bool flag = false;
};
// The keys of the ten records, format by format.
std::vector<ConversionKey> conversionKeys();

// "selection" of section "Conversion": the format the preferences page shows (0 to 9).
int loadConversionSelection(const SettingsStore& store);

// The ten records, read once.
using ConversionTable = std::array<ConversionSettings, 10>;
ConversionTable loadConversionTable(const SettingsStore& store);

// The format tools write: "Tools selected" (a code 0 to 9), or each design's own format when
// "Tools keep" is set.
struct ToolFormat {
  int selected = 0;
  bool keep = false;
};
ToolFormat loadToolFormat(const SettingsStore& store);

// A rectangle centred on the origin in 0.1 mm: left = -5 x width, top = -5 x height,
// right = 5 x width, bottom = 5 x height (so top is the lower y limit).
struct HoopRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const HoopRect&, const HoopRect&) = default;
};

// The hoop a design at `path` is fitted to: the code from the extension, replaced by the
// tool format unless "Tools keep" is set; all zeros for codes without a record.
HoopRect hoopRectFor(std::string_view path, const ToolFormat& tools, const ConversionTable& table);
HoopRect hoopRectFor(std::string_view path, const SettingsStore& store);

}  // namespace lh
