#pragma once
// The two pictures a design shows when it cannot be shown: 49 x 48, 16 colours, as BMP file
// images built into the program.
#include <cstdint>
#include <span>
#include <vector>

namespace lh {

// The file is missing or unavailable (missing file, empty drive, unreadable member, reader failure).
std::span<const std::uint8_t> missingFilePicture();
// The file's version is not supported.
std::span<const std::uint8_t> versionPicture();

}  // namespace lh
