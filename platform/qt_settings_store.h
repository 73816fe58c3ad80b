#pragma once
// The user's stored preferences through QSettings: organisation "Quenby", one group per
// section ("Settings", "Conversion", ...). On Linux ~/.config/Quenby/<application>.conf.
#include <memory>
#include <string>
#include <string_view>

#include "design/settings.h"

class QSettings;

namespace lh {

class QtSettingsStore final : public SettingsStore {
 public:
  explicit QtSettingsStore(std::string_view application = "Loomhall");
  ~QtSettingsStore() override;
  QtSettingsStore(const QtSettingsStore&) = delete;
  QtSettingsStore& operator=(const QtSettingsStore&) = delete;

  int getInt(std::string_view section, std::string_view key, int defaultValue) const override;
  std::string getString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const override;
  void setInt(std::string_view section, std::string_view key, int value) override;
  void setString(std::string_view section, std::string_view key, std::string_view value) override;

  // Copies every stored value into `into` (as text), e.g. to take a snapshot that several
  // threads may read.
  void copyTo(SettingsStore& into) const;
  // Writes pending changes to permanent storage.
  void sync();
  // The file the values are kept in.
  std::string fileName() const;

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace lh
