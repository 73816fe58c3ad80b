#include "design/settings.h"

#include <charconv>

namespace lh {

namespace {
std::string joinKey(std::string_view section, std::string_view key) {
  std::string k(section);
  k += '/';
  k += key;
  return k;
}
}  // namespace

int MemorySettings::getInt(std::string_view section, std::string_view key, int defaultValue) const {
  auto it = values_.find(joinKey(section, key));
  if (it == values_.end()) return defaultValue;
  int v = defaultValue;
  const std::string& s = it->second;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() ? v : defaultValue;
}

std::string MemorySettings::getString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
  auto it = values_.find(joinKey(section, key));
  return it == values_.end() ? std::string(defaultValue) : it->second;
}

void MemorySettings::setInt(std::string_view section, std::string_view key, int value) {
  values_[joinKey(section, key)] = std::to_string(value);
}

void MemorySettings::setString(std::string_view section, std::string_view key, std::string_view value) {
  values_[joinKey(section, key)] = std::string(value);
}

const SettingsStore& defaultSettings() {
  static const MemorySettings empty;
  return empty;
}

}  // namespace lh
