#pragma once
// What naming a removable disk changes besides the volume label: the disk name of the listed
// items and of the catalog entries that lie on that disk.
#include <cstddef>
#include <span>
#include <string_view>

#include "catalog/catalog.h"
#include "catalog/file_item.h"

namespace lh {

struct DiskNaming {
  std::size_t items = 0;    // listed items that took the new name
  std::size_t entries = 0;  // catalog entries changed
};

// After the medium mounted at `driveRoot` was given the label `newLabel` (it had `oldLabel`):
//   - every item from that drive, and every item whose disk name was `oldLabel` (when that
//     was not empty), gets `newLabel` as its disk name;
//   - when `oldLabel` was not empty, every catalog entry on that drive whose disk name is
//     `oldLabel` gets `newLabel`. Removable media are mounted under a folder named after
//     their label (/media/<user>/<label>): when the drive's root ends in a folder named
//     `oldLabel`, those entries' paths move to the folder named `newLabel` beside it, where
//     the medium is mounted next time. Listed items keep their paths: the medium stays
//     mounted where it is until it is taken out.
DiskNaming applyDiskName(std::span<FileItem> items, Catalog& catalog, std::string_view driveRoot,
                         std::string_view oldLabel, std::string_view newLabel);

}  // namespace lh
