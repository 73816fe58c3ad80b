#pragma once
#include <map>
#include <string>
#include <string_view>

namespace lh {

// The user's stored preferences, by section and key. Core code reads settings only through
// this interface; the programs supply a QSettings-backed store, tests an in-memory one.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual int getInt(std::string_view section, std::string_view key, int defaultValue) const = 0;
  virtual std::string getString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const = 0;
  virtual void setInt(std::string_view section, std::string_view key, int value) = 0;
  virtual void setString(std::string_view section, std::string_view key, std::string_view value) = 0;
};

// Settings held in memory; keys compare exactly as given.
class MemorySettings final : public SettingsStore {
 public:
  int getInt(std::string_view section, std::string_view key, int defaultValue) const override;
  std::string getString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const override;
  void setInt(std::string_view section, std::string_view key, int value) override;
  void setString(std::string_view section, std::string_view key, std::string_view value) override;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

// Shared read-only defaults: every setting reads as its default.
const SettingsStore& defaultSettings();

}  // namespace lh
