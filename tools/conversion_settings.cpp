#include "tools/conversion_settings.h"

#include <type_traits>

#include "formats/format_table.h"

namespace lh {

namespace {

// The key of one value: the format's lower-case extension, then the suffix ("pesw").
std::string key(int code, std::string_view suffix) {
  return lowerExtension(*findFormat(static_cast<FormatCode>(code))) + std::string(suffix);
}

// Reads (store given) or writes (out given) every field of one record through one list of
// keys, so that loading and saving cannot drift apart.
template <typename Visit>
void visitFields(ConversionSettings& s, Visit&& visit) {
  visit("ss", s.splitStitchesOn);
  visit("ns", s.splitStitchCount);
  visit("sc", s.splitColorsOn);
  visit("nc", s.splitColorCount);
  visit("w", s.hoopWidth);
  visit("h", s.hoopHeight);
  visit("r", s.rotate);
  visit("sh", s.shrinkOn);
  visit("shpct", s.shrinkPct);
  visit("both", s.bothOrientations);
  if (s.format == FormatPes) {
    visit("5", s.pesVersion5);           // "pes5"
    visit("trim", s.ensureTrims);        // "pestrim"
    visit("6", s.pes6ForLarge);          // "pes6"
    visit("trimlen", s.trimLength);      // "pestrimlen"
  } else if (s.format == FormatDst) {
    visit("trim", s.ensureTrims);        // "dsttrim"
    visit("jumps", s.trimCommands);      // "dstjumps"
    visit("trimlen", s.trimLength);      // "dsttrimlen"
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
  visitFields(s, [&](std::string_view suffix, auto& field) {
    using T = std::remove_reference_t<decltype(field)>;
    const int v = store.getInt(kConversionSection, key(code, suffix), static_cast<int>(field));
    field = static_cast<T>(v);
  });
  return s;
}

void saveConversionSettings(SettingsStore& store, const ConversionSettings& settings) {
  if (!isDesignFormat(settings.format)) return;
  ConversionSettings s = settings;
  visitFields(s, [&](std::string_view suffix, auto& field) {
    store.setInt(kConversionSection, key(s.format, suffix), static_cast<int>(field));
  });
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
  f.selected = store.getInt(kSettingsSection, "Tools selected", 0);
  f.keep = store.getInt(kSettingsSection, "Tools keep", 0) != 0;
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
