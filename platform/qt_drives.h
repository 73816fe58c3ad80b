#pragma once
// The drive service over the system's mount table (QStorageInfo), with removable disks as the
// kernel reports them under /sys and volume labels set through UDisks2 over the system bus.
#include <string>
#include <string_view>
#include <vector>

#include "files/drives.h"

namespace lh {

class QtDrives final : public DriveService {
 public:
  // `sysRoot` is where sysfs is mounted; `busAddress` is the D-Bus that UDisks2 answers on,
  // empty for the system bus. Tests point both at their own.
  explicit QtDrives(std::string sysRoot = "/sys", std::string busAddress = {});

  // The user's disks, media and network shares (see drive_rules.h for what is left out).
  std::vector<DriveInfo> drives() const override;
  // Asks UDisks2 to set the label; the bus's or the daemon's error text on failure.
  std::string setLabel(const DriveInfo& drive, std::string_view label) override;

 private:
  std::string sysRoot_;
  std::string busAddress_;
};

}  // namespace lh
