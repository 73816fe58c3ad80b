#include "tools/conversion_settings.h"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "formats/format_table.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

// The key of one value: the format's lower-case extension, then the suffix ("pesw").
std::string key(int code, std::string_view suffix) {
  return lowerExtension(*findFormat(static_cast<FormatCode>(code))) + std::string(suffix);
}

// Limits of the stored numbers: those the preferences page holds its fields to, and for the
// others their natural range. A stored value outside its range reads as the nearest limit.
struct Range {
  int min, max;
};
constexpr Range kAnyValue{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};  // flags
constexpr Range kCount{0, std::numeric_limits<int>::max()};
constexpr Range kHoopMillimetres{0, 1000};
constexpr Range kPercent{0, 100};
constexpr Range kTrimCommands{0, 12};
constexpr Range kTrimMillimetres{0, 100};

// Reads (store given) or writes (out given) every field of one record through one list of
// keys with their ranges, so that loading and saving cannot drift apart.
template <typename Visit>
void visitFields(ConversionSettings& s, Visit&& visit) {
  visit("ss", s.splitStitchesOn, kAnyValue);
  visit("ns", s.splitStitchCount, kCount);
  visit("sc", s.splitColorsOn, kAnyValue);
  visit("nc", s.splitColorCount, kCount);
  visit("w", s.hoopWidth, kHoopMillimetres);
  visit("h", s.hoopHeight, kHoopMillimetres);
  visit("r", s.rotate, kAnyValue);
  visit("sh", s.shrinkOn, kAnyValue);
  visit("shpct", s.shrinkPct, kPercent);
  visit("both", s.bothOrientations, kAnyValue);
  if (s.format == FormatPes) {
    visit("5", s.pesVersion5, kAnyValue);               // "pes5"
    visit("trim", s.ensureTrims, kAnyValue);            // "pestrim"
    visit("6", s.pes6ForLarge, kAnyValue);              // "pes6"
    visit("trimlen", s.trimLength, kTrimMillimetres);   // "pestrimlen"
  } else if (s.format == FormatDst) {
    visit("trim", s.ensureTrims, kAnyValue);            // "dsttrim"
    visit("jumps", s.trimCommands, kTrimCommands);      // "dstjumps"
    visit("trimlen", s.trimLength, kTrimMillimetres);   // "dsttrimlen"
  }
}

}  // namespace

ConversionSettings defaultConversionSettings(int code) {
  ConversionSettings s;
  if (!isDesignFormat(code)) return s;
  const ConversionDefaults& d = findFormat(static_cast<FormatCode>(code))->defaults;
  s.format = code;
  s.hoopWidth = d.w;
  s.hoopHeight = d.h;
  s.splitColorsOn = d.sc != 0;
  s.splitColorCount = d.nc;
  s.splitStitchesOn = d.ss != 0;
  s.splitStitchCount = d.ns;
  s.rotate = d.r != 0;
  s.shrinkOn = d.sh != 0;
  s.shrinkPct = d.shpct;
  s.bothOrientations = d.both != 0;
  s.pesVersion5 = d.pes5 != 0;
  s.pes6ForLarge = d.pes6 != 0;
  s.ensureTrims = d.trim != 0;
  s.trimCommands = d.jumps;
  s.trimLength = d.trimlen;
  return s;
}

ConversionSettings loadConversionSettings(const SettingsStore& store, int code) {
  ConversionSettings s = defaultConversionSettings(code);
  if (!isDesignFormat(code)) return s;
  visitFields(s, [&](std::string_view suffix, auto& field, Range range) {
    using T = std::remove_reference_t<decltype(field)>;
    const int v = store.getInt(kConversionSection, key(code, suffix), static_cast<int>(field));
    field = static_cast<T>(std::clamp(v, range.min, range.max));
  });
  return s;
}

void saveConversionSettings(SettingsStore& store, const ConversionSettings& settings) {
  if (!isDesignFormat(settings.format)) return;
  ConversionSettings s = settings;
  visitFields(s, [&](std::string_view suffix, auto& field, Range) {
    store.setInt(kConversionSection, key(s.format, suffix), static_cast<int>(field));
  });
}

std::vector<ConversionKey> conversionKeys() {
  std::vector<ConversionKey> out;
  for (int code = 0; code < kWritableFormats; ++code) {
    ConversionSettings s = defaultConversionSettings(code);
    visitFields(s, [&](std::string_view suffix, auto& field, Range range) {
      const bool flag = std::is_same_v<std::remove_reference_t<decltype(field)>, bool>;
      out.push_back({key(code, suffix), flag ? 0 : range.min, flag ? 1 : range.max, flag});
    });
  }
  return out;
}

int loadConversionSelection(const SettingsStore& store) {
  const int code = store.getInt(kConversionSection, "selection", 0);
  return isDesignFormat(code) ? code : 0;
}

ConversionTable loadConversionTable(const SettingsStore& store) {
  ConversionTable t;
  for (int code = 0; code < kWritableFormats; ++code)
    t[static_cast<std::size_t>(code)] = loadConversionSettings(store, code);
  return t;
}

ToolFormat loadToolFormat(const SettingsStore& store) {
  ToolFormat f;
  // A selection outside 0 to 9 is kept as stored: conversions to it fail and say so.
  f.selected = store.getInt(kToolsSelected.section, kToolsSelected.key, kToolsSelected.defaultValue);
  f.keep = readSetting(store, kToolsKeep) != 0;
  return f;
}

HoopRect hoopRectFor(std::string_view path, const ToolFormat& tools, const ConversionTable& table) {
  int code = hoopFormatCode(path);
  if (!tools.keep) code = tools.selected;
  HoopRect r;
  if (!isDesignFormat(code)) return r;
  const ConversionSettings& s = table[static_cast<std::size_t>(code)];
  r.left = -5 * s.hoopWidth;
  r.top = -5 * s.hoopHeight;
  r.right = 5 * s.hoopWidth;
  r.bottom = 5 * s.hoopHeight;
  return r;
}

HoopRect hoopRectFor(std::string_view path, const SettingsStore& store) {
  return hoopRectFor(path, loadToolFormat(store), loadConversionTable(store));
}

}  // namespace lh
