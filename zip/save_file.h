#pragma once
// Saving files without ever replacing an existing one, and the "(2)" naming rule that picks
// a free name when the wanted one is taken.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lh {

// The next name to try after `path` is taken: a title (name without extension) ending in
// "(n)" gets n + 1, any other title gets "(2)"; folder and extension stay.
// "Rose.pes" -> "Rose(2).pes", "Rose(2).pes" -> "Rose(3).pes". Works on '/' and '\' paths.
std::string nextUniqueName(std::string_view path);

// Writes `bytes` to a new file at `path` through a temporary file in the same folder, so the
// file appears complete or not at all. Fails (false) when `path` already exists.
bool writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes `bytes` under `path`, or under the first free name of the nextUniqueName sequence;
// returns the path written, nothing when writing failed.
std::optional<std::string> saveUnique(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace lh
