#pragma once
// What the design commands share: one codec per run, loading with a message on failure, and
// the small option parsers.
#include <cstdint>
#include <string>
#include <string_view>

#include "design/emb_design.h"
#include "design/settings.h"
#include "formats/design_codec.h"

namespace lh::cli {

// Core messages go to stderr as "loomhall-cli: caption: text".
class StderrMessages final : public MessageSink {
 public:
  void showMessage(std::string_view text, std::string_view caption) override;
};

// The codec of one command run: settings in memory at their defaults, messages to stderr,
// every medium ready.
class CliCodec {
 public:
  CliCodec() : codec(&settings, &messages, &media) {}
  MemorySettings settings;
  StderrMessages messages;
  AlwaysReady media;
  DesignCodec codec;
};

// Loads a plain or "Zip:" path; on a failed load writes "loomhall-cli: PATH: reason" to stderr.
// Returns the loadDesign result.
std::int32_t loadOrComplain(DesignCodec& codec, EmbDesign& design, const std::string& path);

// "loomhall-cli: PATH: reason (result N)" on stderr for a failed load; a "Zip:" path whose
// name several members share says so.
void complainLoadFailed(const std::string& path, std::int32_t result);

// What a loadDesign result means, in a few words.
std::string_view loadResultText(std::int32_t result);
// Why loading `path` failed with `result`: "not a regular file" for a FIFO, socket, device or
// folder named as a design, else loadResultText.
std::string_view loadFailureText(const std::string& path, std::int32_t result);

// "#RRGGBB" or "RRGGBB" as 0x00BBGGRR.
bool parseRgb(std::string_view text, std::uint32_t& rgb);
// A whole decimal number in [min, max].
bool parseInt(std::string_view text, int min, int max, int& value);

}  // namespace lh::cli
