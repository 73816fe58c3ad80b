// The settings of a tool run: the stored preferences, then the command line's --set values,
// each checked against the settings the tools read, then the shortcuts --no-shrink and
// --no-turn.
#include <charconv>
#include <cstdio>
#include <set>

#include "cli/design_io.h"
#include "cli/tool_run.h"
#include "formats/format_code.h"
#include "platform/qt_settings_store.h"
#include "tools/conversion_settings.h"
#include "tools/setting_keys.h"

namespace lh::cli {

namespace {

int setError(const std::string& message) { return usageError("--set " + message); }

// "known sections: Conversion, Settings"
std::string knownSections(std::span<const KnownSetting> known) {
  std::set<std::string> sections;
  for (const KnownSetting& s : known) sections.insert(s.section);
  std::string out;
  for (const std::string& s : sections) out += (out.empty() ? "" : ", ") + s;
  return out;
}

// Checks one "Section/key=value" and stores it; false after a usage message.
bool applySet(const std::string& text, std::span<const KnownSetting> knownList, MemorySettings& settings) {
  const auto slash = text.find('/');
  const auto eq = text.find('=');
  if (slash == std::string::npos || slash == 0 || eq == std::string::npos || eq < slash + 2) {
    setError("needs Section/key=value, not '" + text + "'");
    return false;
  }
  const std::string section = text.substr(0, slash);
  const std::string key = text.substr(slash + 1, eq - slash - 1);
  const std::string value = text.substr(eq + 1);
  const std::string name = section + "/" + key;
  const auto found = std::find_if(knownList.begin(), knownList.end(),
                                  [&](const KnownSetting& s) { return s.section == section && s.key == key; });
  const KnownSetting* known = found == knownList.end() ? nullptr : &*found;
  if (known == nullptr) {
    const bool sectionKnown = std::any_of(knownList.begin(), knownList.end(),
                                          [&](const KnownSetting& s) { return s.section == section; });
    if (!sectionKnown) setError("'" + text + "': no section '" + section + "' (sections: " + knownSections(knownList) + ")");
    else setError("'" + text + "': no tool reads '" + name + "' (names compare exactly)");
    return false;
  }
  int v = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
    setError("'" + text + "': " + name + " needs a whole number, not '" + value + "'");
    return false;
  }
  // Picture sizes take what render --size takes; the preview is drawn at most at its own size.
  const bool picture = section == kBmpSize.section && key == kBmpSize.key;
  const int min = picture ? kPictureSizes.min : known->min;
  const int max = picture ? kPictureSizes.max : known->max;
  if (v < min || v > max) {
    setError("'" + text + "': " + name + " takes " + std::to_string(min) + " to " + std::to_string(max));
    return false;
  }
  if (v < known->min || v > known->max) {
    const int used = std::clamp(v, known->min, known->max);
    std::fprintf(stderr, "loomhall-cli: warning: %s=%d is outside %d to %d; %d is used\n", name.c_str(), v,
                 known->min, known->max, used);
  }
  settings.setString(section, key, value);
  return true;
}

// Turns off turning or shrinking in every writable format's conversion record.
void refuseFitting(MemorySettings& settings, bool noShrink, bool noTurn) {
  for (int code = 0; code < kWritableFormats; ++code) {
    ConversionSettings c = loadConversionSettings(settings, code);
    if (noShrink) c.shrinkOn = false;
    if (noTurn) c.rotate = false;
    saveConversionSettings(settings, c);
  }
}

}  // namespace

bool applySets(const std::vector<std::string>& sets, std::span<const KnownSetting> known, MemorySettings& settings) {
  for (const std::string& s : sets)
    if (!applySet(s, known, settings)) return false;
  return true;
}

bool runSettings(const ToolOptions& options, MemorySettings& settings) {
  if (!options.defaults) QtSettingsStore("Loomhall").copyTo(settings);
  if (!applySets(options.sets, knownSettings(), settings)) return false;
  if (options.noShrink || options.noTurn) refuseFitting(settings, options.noShrink, options.noTurn);
  return true;
}

}  // namespace lh::cli
