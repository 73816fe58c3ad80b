#pragma once
// The one list of file types the system knows. Each row holds every fact about its type: the
// extension, the numeric codes (its own, the one it converts as, the hoop look-up's and the
// on-the-fly opening's), how it is read, whether and how it is written (writer, the format
// list's title, the "Convert to" menu text, the conversion defaults), the colours offered for
// it, and the preference that shows it in the browser. The load dispatcher, viewedTypes,
// the writers' dispatch, conversion, the tool runner's menu, the preferences, the command-line
// tool and the tests all read it; nothing else repeats these facts.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/settings.h"
#include "formats/design_codec.h"
#include "formats/format_code.h"
#include "threads/offered_charts.h"

namespace lh {

// What the dispatcher does with a type's bytes.
enum class FormatKind {
  Design,   // the reader fills stitches and threads
  Text,     // shown as text (at most kTextLimit bytes are read)
  Picture,  // shown as a bitmap file
};

// The built-in values of a writable format's conversion record (section "Conversion", keys
// made of the lower-case extension and a suffix), as they are stored: flags are 0 or 1.
struct ConversionDefaults {
  int w = 0, h = 0;        // largest hoop, whole mm
  int sc = 0, nc = 0;      // split colours: enable, blocks per file
  int ss = 0, ns = 0;      // split stitches: enable, records per file
  int r = 0;               // rotate a quarter turn to fit
  int sh = 0, shpct = 0;   // shrink: enable, largest percentage
  int both = 0;            // the hoop may be used in both orientations
  int pes5 = 0, pes6 = 0;  // PES only: version 5, version 6 for large designs
  int trim = 0;            // "pestrim" / "dsttrim": trims before long jumps
  int jumps = 0;           // "dstjumps": jump commands that make a trim
  int trimlen = 0;         // "pestrimlen" / "dsttrimlen", mm

  friend bool operator==(const ConversionDefaults&, const ConversionDefaults&) = default;
};

struct FormatInfo {
  std::string_view type;  // the extension as the dispatcher compares it: "Dst", "Jef+"
  FormatCode code;        // FormatPes ... FormatJan
  FormatKind kind;
  ReaderFn reader;           // null: the type has no reader
  std::string_view viewKey;  // "Settings" flag that shows the type; shared by related types
  // The code conversion takes the type as. A type converted as another one (PEC as PES, say)
  // also takes that one's extension.
  FormatCode convertsAs;
  FormatCode hoopCode;    // the code whose hoop a design of this type is fitted to
  FormatCode openCode;    // the code the on-the-fly opening sees
  FormatColors colors;  // machine palette and brand charts offered to colour editing
  // Writable design formats only.
  WriterFn writer = nullptr;
  std::string_view title = {};     // the tool format list's text
  std::string_view menuText = {};  // the "Convert to" menu's text
  ConversionDefaults defaults = {};
  // Most colour blocks one file of the format holds; 0 for no limit. A design with more is
  // split into several files.
  std::size_t maxColors = 0;
};

// Bytes of a text file that are read and shown.
inline constexpr std::size_t kTextLimit = 4095;

// Every row, in the order of the viewed-types list.
std::span<const FormatInfo> formatTable();

// The row of an extension (without the dot, any case), or null.
const FormatInfo* findFormat(std::string_view extension, std::span<const FormatInfo> table = formatTable());
// The first row of a code (JEF before JEF+), or null.
const FormatInfo* findFormat(FormatCode code);
// The row for the extension of a plain or "Zip:" path, or null.
const FormatInfo* formatOfPath(std::string_view path, std::span<const FormatInfo> table = formatTable());

// The row of the design format whose signature `file` starts with ("#PES", "#PEC0001", the
// HUS, VIP, VP3 and PCS headers), or null. Other formats have no signature to tell them by.
const FormatInfo* formatOfSignature(ByteSpan file, std::span<const FormatInfo> table = formatTable());
// The signatures formatOfSignature tells the format `code` by (PCS has two); none for most.
std::vector<ByteSpan> signaturesOf(FormatCode code);

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
// The upper-case name of a type ("DST", "JEF+").
std::string upperName(const FormatInfo& format);

// Replaces the extension of a file or "Zip:" member path (the text after the last dot of
// the last path component); a path without one gets `ext` appended. `ext` has no dot.
std::string replaceExtension(std::string_view path, std::string_view ext);

// The conversion source code of a path (the row's convertsAs), replacing the extension of
// `path` with the upper-case name of that format for the types converted as another one
// (PEC, PHC, PHB, PHD, ART, EMB as PES; SHV as VIP; JAN as JEF). -1 for an unknown type.
int sourceFormatCode(std::string& path);

// The code the hoop look-up uses for a path's extension; -1 for an unknown type.
int hoopFormatCode(std::string_view path);

// The code of a file type as the on-the-fly opening sees it; -1 for an unknown type.
int openFormatCode(std::string_view path);

// Lower-case extension with the dot (".pes") of a conversion target; "" otherwise.
std::string formatExtension(int code);
// Upper-case name ("PES") of a conversion target; "" otherwise.
std::string formatName(int code);
// The code of a conversion target's name or extension, with or without the dot, any case
// (-1 for anything else, JEF+ included: JEF is written as "jef").
int formatCodeOfName(std::string_view name);
// The "Convert to" menu text of a writable format; "" otherwise.
std::string_view formatMenuText(int code);

// Replace design.threads with the machine palette or the offered charts of the type named by
// the extension of design.path; an unknown type gets no entries.
void machinePalette(EmbDesign& design);
void offeredCharts(EmbDesign& design, const SettingsStore& settings = defaultSettings());

}  // namespace lh
