#pragma once
// The data blocks the browser and its plug-ins hand each other: the design payload (one
// design), the multi-design payload, the whole-file payload, the file-type list and the
// two colour lists (design payloads without stitches). All little-endian, packed.
//
// Design payload:
//   int32 payloadKind      pesVersion * 100 + payloadFormatCode(path)
//   int32 modifiedFlag     1 from a plug-in; the host sends back what it last read
//   path, NUL
//   int32 maxX, maxY, minX, minY
//   int32 thread count, then 46 bytes per thread:
//     int32 stitchCount, int32 threadLength, uint32 rgb, int32 chartCode,
//     30 bytes displayName (at most 29 bytes, zero-filled)
//   int32 stitch count, then 5 bytes per stitch: uint8 flags, int16 dx, int16 dy
//   thread text, NUL (optional): "1ThreadColors\n", then per thread one line of four
//     two-digit lengths each followed by its text (chartName, brand, code, colorName) and
//     "\n"; a design without threads sends its `text` member instead.
//
// Readers take the block as a byte span and never read outside it. What they do with a
// damaged block:
// - Design payload: refused (the design is left untouched) when the block is empty, the
//   path has no NUL, the bounds or the thread count are cut off, or a count is negative, or
//   the thread entries do not all fit. A stitch count is read as far as its entries are
//   whole (partial; the thread text is then missing). A thread text without its NUL runs
//   to the end of the block (partial). A thread text not starting with "1ThreadColors\n"
//   is ignored; otherwise its lines are read up to the first line that is not whole (two
//   decimal digits per length, the text inside the thread text, a newline between lines),
//   and the threads after it keep empty texts (partial).
// - Multi-design payload: refused when the count is missing or negative; entries are read
//   while their size field and bytes are whole (a shorter list is partial); an entry whose
//   design payload is refused is left out (partial), the size tells where the next starts.
// - Whole-file payload: refused when empty; without its closing zero byte every byte is
//   the file (partial).
// - File-type list: every NUL-terminated name, empty ones left out; a last name without
//   its NUL is dropped (partial).
// Sizes are summed in 64 bits; a count that cannot fit the block is never allocated.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/emb_design.h"
#include "design/settings.h"
#include "formats/bytes.h"
#include "formats/format_code.h"

namespace lh {

// Who writes or reads a payload. A plug-in's writer recomputes the bounds from the stitches,
// marks the design modified and writes nothing for a design without threads or stitches;
// the host's writes the bounds it holds and only refuses a design with no threads, no
// stitches and no text. A host reading a PES payload guesses the chart of every thread
// whose texts did not arrive from its displayName.
enum class PayloadSide { Host, Plugin };

// How much of a block a reader could use.
enum class PayloadRead {
  Whole,    // everything as laid out
  Partial,  // damaged or cut short: what was whole has been read
  Refused,  // nothing usable; the output is left untouched
};

inline constexpr std::size_t kThreadEntrySize = 46;
inline constexpr std::size_t kStitchEntrySize = 5;
inline constexpr std::size_t kDisplayNameBytes = 30;      // field size, NUL included
inline constexpr std::size_t kDisplayNameLimit = 29;      // bytes of the name kept
inline constexpr std::size_t kThreadTextFieldLimit = 99;  // two decimal digits of length
inline constexpr std::string_view kThreadTextTag = "1ThreadColors\n";
inline constexpr std::uint8_t kPayloadFlagMask = 0x03;  // colour change and jump survive

// The format code a payload carries for a path's extension (any case): the type's own code
// for PES to TXT (0..17), 0 for every other extension.
int payloadFormatCode(std::string_view path);
// pesVersion * 100 + payloadFormatCode(path), clamped to int32.
std::int32_t payloadKindOf(const EmbDesign& design);
constexpr std::int32_t pesVersionOfKind(std::int32_t kind) { return kind / 100; }
constexpr std::int32_t formatCodeOfKind(std::int32_t kind) { return kind % 100; }

// The design payload of `design`, or nothing when `side` sends no block for it (above).
std::optional<ByteBuffer> writeDesignPayload(const EmbDesign& design, PayloadSide side);
// Replaces the design's threads, stitches, path, bounds, payloadKind, pesVersion,
// modifiedFlag and text with the block's; other fields stay. Refused leaves it untouched.
PayloadRead readDesignPayload(ByteSpan block, EmbDesign& design, PayloadSide side);

// The thread text of a thread list: the tag and one line per thread, each text cut to 99
// bytes (never inside a UTF-8 sequence) and at its first NUL.
std::string threadText(std::span<const ThreadColor> threads);
// Sets chartName, brand, code and colorName of the threads from a thread text. Nothing when
// the text does not start with the tag; otherwise how many threads, from the first on, got
// their texts from whole lines.
std::optional<std::size_t> applyThreadText(std::string_view text, std::span<ThreadColor> threads);

// A multi-design block and the number of designs in it (designs without a block of their
// own are left out).
struct MultiPayloadBlock {
  ByteBuffer bytes;
  std::int32_t count = 0;
};
MultiPayloadBlock writeMultiPayload(std::span<const EmbDesign> designs, PayloadSide side = PayloadSide::Host);

struct MultiPayload {
  std::vector<EmbDesign> designs;
  PayloadRead status = PayloadRead::Refused;
};
MultiPayload readMultiPayload(ByteSpan block, PayloadSide side = PayloadSide::Host);

// A file's bytes and one zero byte.
ByteBuffer writeWholeFilePayload(ByteSpan file);
struct WholeFilePayload {
  ByteSpan file;  // points into the block read
  PayloadRead status = PayloadRead::Refused;
};
WholeFilePayload readWholeFilePayload(ByteSpan block);

// The file types a plug-in may ask the host to write, in the order the list sends them.
std::span<const FormatCode> fileTypeListOrder();
// Their upper-case names, each with its NUL, back to back.
ByteBuffer writeFileTypeListPayload();
struct FileTypeList {
  std::vector<std::string> names;
  PayloadRead status = PayloadRead::Refused;
};
FileTypeList readFileTypeListPayload(ByteSpan block);

// The host's colour lists for a file path: a design payload without stitches whose threads
// are the machine palette of the path's format, or the charts offered for it (with header
// threads). Nothing when the format has no colours.
std::optional<ByteBuffer> writeColorArrayPayload(std::string_view path);
std::optional<ByteBuffer> writeThreadColorArrayPayload(std::string_view path,
                                                       const SettingsStore& settings = defaultSettings());

// One chart of a received colour list: the header's displayName and the rows it announces.
// Rows before any header, or beyond a header's count, form a group with an empty name and
// no header. A header announcing more rows than follow it (before the next header or the
// end) gets the rows that are there.
struct ChartGroup {
  std::string name;
  bool hasHeader = false;
  std::span<const ThreadColor> rows;
};
std::vector<ChartGroup> chartGroups(std::span<const ThreadColor> threads);

}  // namespace lh
