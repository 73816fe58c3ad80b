#pragma once
// What the design commands share: one codec per run, loading with a message on failure, and
// the small option parsers.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// Loads a plain or "Zip:" path. Writes "loomhall-cli: PATH: what" to stderr when no design
// with stitches came of it (what the file is instead: a text document, a picture, an archive,
// an empty file or design, or why the load failed) and a note when the file was read as
// another format than its name says. Returns the loadDesign result, LoadResult::NoDesign for a
// text or picture file.
LoadResult loadOrComplain(DesignCodec& codec, EmbDesign& design, const std::string& path);
// True when a loaded design has something to sew.
inline bool holdsStitches(const EmbDesign& design) { return !design.stitches.empty(); }

// True when the extension of `path` is one of the `viewed` type names (any case).
bool isViewed(std::string_view path, const std::vector<std::string>& viewed);

// What a plain path named .zip holds, in words ("not a zip archive", "an archive with 3
// designs", ...); `designs` receives the number of design members of the `viewed` types.
std::string describeArchive(const std::string& path, const std::vector<std::string>& viewed, std::size_t& designs);

// Why loading `path` gave `result`: a "Zip:" path whose name several members share says so,
// a FIFO, socket, device or folder named as a design is "not a regular file", and what the
// file is where that can be told ("an empty file", "not a zip archive", ...; archives count
// the designs of the types `settings` shows); a plain file over the loader's limit is "too
// large: design files over 64 MiB are not read".
std::string loadFailureText(const SettingsStore& settings, const std::string& path, LoadResult result);
// "loomhall-cli: PATH: reason (result N)" on stderr for a failed load, the reason as above.
void complainLoadFailed(const std::string& path, LoadResult result,
                        const SettingsStore& settings = defaultSettings());

// "loomhall-cli: PATH: what" on stderr.
void complain(const std::string& path, std::string_view what);
// A message of several lines on one stderr line: line breaks become spaces, trailing ones go.
std::string oneLine(std::string_view text);

// What a loadDesign result means, in a few words.
std::string_view loadResultText(LoadResult result);

// "#RRGGBB" or "RRGGBB" as 0x00BBGGRR.
bool parseRgb(std::string_view text, std::uint32_t& rgb);

// Picture sizes in pixels the commands take: render --size, and --set "Settings/BMP Size"
// (the preview is drawn at most at its own largest size, with a warning).
struct IntRange {
  int min;
  int max;
};
inline constexpr IntRange kPictureSizes{16, 4000};

}  // namespace lh::cli
