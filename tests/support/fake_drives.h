#pragma once
// A drive service over a fixed list of drives, for tests that must not need real media.
#include <string>
#include <utility>
#include <vector>

#include "files/drives.h"

namespace lh::test {

class FakeDrives final : public DriveService {
 public:
  FakeDrives() = default;
  explicit FakeDrives(std::vector<DriveInfo> drives) : drives_(std::move(drives)) {}

  std::vector<DriveInfo> drives() const override { return drives_; }
  std::string setLabel(const DriveInfo& drive, std::string_view label) override {
    if (!refusal.empty()) return refusal;
    for (auto& d : drives_)
      if (d.root == drive.root) d.label = std::string(label);
    return {};
  }

  void add(DriveInfo drive) { drives_.push_back(std::move(drive)); }

  std::string refusal;  // when set, setLabel fails with this text

 private:
  std::vector<DriveInfo> drives_;
};

}  // namespace lh::test
