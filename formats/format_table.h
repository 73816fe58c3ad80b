#pragma once
// The one list of file types the system knows: how each is read, whether it can be written,
// its numeric code and the preference that shows it in the browser. The load dispatcher,
// viewedTypes, the writers' dispatch, the command-line tool and the tests all read it.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/settings.h"
#include "formats/design_codec.h"
#include "tools/format_code.h"  // FormatCode: the numeric codes (header only)

namespace lh {

// What the dispatcher does with a type's bytes.
enum class FormatKind {
  Design,   // the reader fills stitches and threads
  Text,     // shown as text (at most kTextLimit bytes are read)
  Picture,  // shown as a bitmap file
};

struct FormatInfo {
  std::string_view type;  // as the dispatcher compares it with an extension: "Dst", "Jef+"
  FormatCode code;        // FormatPes ... FormatJan
  FormatKind kind;
  ReaderFn reader;           // null: the type has no reader (yet)
  WriterFn writer;           // null: not writable as a design
  std::string_view viewKey;  // "Settings" flag that shows the type; shared by related types
  std::string_view title;    // the format list's text, "" for types not offered as targets
};

// Bytes of a text file that are read and shown.
inline constexpr std::size_t kTextLimit = 4095;

// Every row, in the order of the viewed-types list.
std::span<const FormatInfo> formatTable();

// The row of an extension (without the dot, any case), or null.
const FormatInfo* findFormat(std::string_view extension, std::span<const FormatInfo> table = formatTable());
const FormatInfo* findFormat(FormatCode code);
// The row for the extension of a plain or "Zip:" path, or null.
const FormatInfo* formatOfPath(std::string_view path, std::span<const FormatInfo> table = formatTable());

// Upper-case type names whose "View ..." flag (section "Settings", default 1) is set, in
// table order.
std::vector<std::string> viewedTypes(const SettingsStore& settings);

// Rows whose writer exists, in table order.
std::vector<const FormatInfo*> writableFormats();

// The file image of `design` in format `code`: the row's writer on the design (which it may
// change; pass a working copy). Nothing for a type without a writer or a design without
// records.
std::optional<ByteBuffer> writeAs(DesignCodec& codec, EmbDesign& design, FormatCode code);

// The lower-case file extension of a type ("dst", "jef+").
std::string lowerExtension(const FormatInfo& format);

}  // namespace lh
