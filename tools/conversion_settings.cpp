#include "tools/conversion_settings.h"

#include <type_traits>

#include "tools/format_code.h"

namespace lh {

namespace {

struct Defaults {
  std::string_view key;  // lower-case extension, the prefix of every key
  int w, h, sc, nc, ss, ns, r, sh, shpct, both;
};

constexpr std::array<Defaults, 10> kDefaults{{
    {"pes", 300, 200, 1, 99, 0, 0, 1, 1, 10, 1},
    {"sew", 126, 90, 1, 12, 1, 60000, 1, 1, 10, 0},
    {"jef", 200, 200, 1, 78, 1, 64000, 1, 1, 10, 0},
    {"hus", 150, 240, 0, 36, 0, 0, 1, 1, 10, 1},
    {"pcs", 110, 112, 1, 16, 1, 28000, 1, 1, 10, 0},
    {"dst", 300, 300, 0, 0, 0, 0, 0, 0, 0, 0},
    {"xxx", 140, 240, 1, 15, 1, 30000, 1, 1, 10, 0},
    {"exp", 300, 300, 0, 0, 0, 0, 0, 0, 0, 0},
    {"vip", 150, 360, 0, 60, 0, 0, 0, 1, 10, 1},
    {"vp3", 150, 360, 0, 60, 0, 0, 0, 1, 10, 1},
}};

std::string key(int code, std::string_view suffix) {
  std::string k(kDefaults[static_cast<std::size_t>(code)].key);
  k += suffix;
  return k;
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
  const Defaults& d = kDefaults[static_cast<std::size_t>(code)];
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
  if (code == FormatPes) {
    s.pesVersion5 = true;
    s.pes6ForLarge = true;
    s.ensureTrims = true;
    s.trimLength = 6;
  } else if (code == FormatDst) {
    s.ensureTrims = true;
    s.trimCommands = 4;
    s.trimLength = 6;
  }
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
