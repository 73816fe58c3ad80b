#pragma once
// Converting a loaded design into files of a target format: the target, hoop fitting,
// splitting, the writers' dispatch and never-overwriting saves (plain files and zip members).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/emb_design.h"
#include "files/save_file.h"
#include "formats/bytes.h"
#include "formats/design_codec.h"
#include "tools/archive_batch.h"
#include "tools/conversion_settings.h"
#include "tools/hoop_fit.h"
#include "tools/design_notes.h"
#include "tools/tool_report.h"

namespace lh {

// Everything a conversion reads besides the design: the writers (through the codec, which
// also carries the writers' own settings), the per-format records, the tool format, and the
// companion outputs' settings.
struct ConversionContext {
  DesignCodec* codec = nullptr;
  ConversionTable table{};
  ToolFormat tools;
  bool inches = true;
  PreviewSettings preview;
  // When set, new archive members are gathered here (to write each archive once) instead
  // of being stored at once.
  ArchiveBatch* archives = nullptr;
  // Set by a run that makes its files durable at its end: plain files are then written
  // without a flush each, and their folders are noted here.
  FolderSync* deferredSync = nullptr;

  // Everything read from one store.
  static ConversionContext fromSettings(const SettingsStore& store, DesignCodec* codec);
};

// The file image of the design in format `target` (0 to 9); the extension of the design's
// path becomes the target's. Nothing for a design without records, for a current extension
// that names no design type (or BMP or TXT), or when the writer cannot build the file.
std::optional<ByteBuffer> writeDesignBuffer(DesignCodec& codec, EmbDesign& design, int target);

// Saves a file image under `path` or, when taken, the next free name of the "(2)" rule; a
// "Zip:" path is stored as a new member of its archive. Never replaces anything. Returns the
// path used, nothing when saving failed.
// With `deferred`, a plain file is flushed to disk by the caller (FolderSync::syncAll).
std::optional<std::string> saveFileImage(const std::string& path, ByteSpan bytes, FolderSync* deferred = nullptr);

// Where a conversion stands. The failures each add their line to the report, naming the
// design's own path (the source), or the file that could not be written:
// NotConvertible "<source> could not be converted.", TooBig "<source> is too big for the new
// format.", NotSaved "<output> could not be saved.".
enum class ConversionStatus { Unchanged, Ready, Saved, NotConvertible, TooBig, NotSaved };
constexpr bool isFailure(ConversionStatus s) {
  return s == ConversionStatus::NotConvertible || s == ConversionStatus::TooBig || s == ConversionStatus::NotSaved;
}

// Why a conversion failed, for callers that explain the report's line.
enum class FailureCause {
  None,
  NoWriter,        // the format to write has no writer (the tool format is the design's own)
  NotADesign,      // the source's type is no design type
  TooBig,          // larger than the target's hoop even after turning and shrinking
  NoRecords,       // nothing to write
  NoColors,       // the writer needs colour information the design does not have
  TooManyRecords,  // more records than any design file holds (`limit`)
  WriterRefused,   // the writer would not encode the design
  NotSaved,        // the file could not be saved
};
struct ConversionFailure {
  FailureCause cause = FailureCause::None;
  int target = -1;                     // the FormatCode being written
  int hoopWidth = 0, hoopHeight = 0;   // TooBig: the target's largest hoop, whole mm
  std::int64_t width = 0, height = 0;  // TooBig: the design before fitting, 0.1 mm
  std::uint64_t limit = 0;             // TooManyRecords: the most a file holds
  std::string path;                    // NotSaved: the file that could not be written
};

// A conversion prepared up to its first file image; the rest (saving, and the later parts of
// a split design, whose writers see the name the previous part was saved under) happens in
// saveConversion. Preparing designs in parallel and saving them in input order gives the same
// files as converting one after the other.
struct PreparedConversion {
  int target = -1;
  std::string source;               // the design's own path, named in the report's lines
  std::string path;                 // the first file's wanted name (target extension)
  std::optional<ByteBuffer> image;  // nothing: the first part could not be written
  std::optional<StagedFile> staged; // the first image already on disk under a temporary name
  ConversionStatus status = ConversionStatus::Unchanged;  // Ready: there is something to save
  EmbDesign remainder;              // later parts of a split design
  int maxStitches = 0;
  int maxColors = 0;                // the smaller of the split setting and the format's limit
  ConversionFailure failure;        // set with a failure status
  HoopFit fit;                      // what hoop fitting did (also when it refused: TooBig)
};

// The format a conversion of the design at `path` writes: `target`, or for -1 the tool format
// (the design's own with "Tools keep").
int conversionTarget(std::string_view path, int target, const ToolFormat& tools);
// True when a plain file or "Zip:" member exists under `path` (the first name a conversion wants).
bool outputExists(const std::string& path);

// Steps up to the first part: target choice, re-labelling (a design read as another format
// than its extension names converts as that format), hoop fitting ("<source> is too big for
// the new format." on refusal), the first split and its file image. A design is split by
// colours wherever the format holds fewer than it has, also with splitting switched off.
// `design` is changed.
PreparedConversion prepareConversion(EmbDesign& design, int target, bool force, const ConversionContext& ctx,
                                     ToolReport& report);
// Writes the first file image to a temporary file beside its wanted name (a plain path),
// so that saving only has to name it; false (the image kept) when that is not possible.
// With `deferred`, the file is flushed to disk by the caller (FolderSync::syncAll).
bool stageConversion(PreparedConversion& prepared, FolderSync* deferred = nullptr);
// Saves a prepared conversion, writing and saving the later parts of a split design; each
// saved path is appended to `created` (when given). Returns Saved when every part was saved,
// the failure that stopped it, or the prepared status when there was nothing to save.
ConversionStatus saveConversion(PreparedConversion& prepared, std::vector<std::string>* created, const ConversionContext& ctx,
                   ToolReport& report);

// Both steps at once: converts `design` (its path gives folder, name and source type) into
// `target` (-1: the tool format), writing even an unchanged format when `force` is set.
int convertDesign(EmbDesign& design, std::vector<std::string>* created, int target, bool force,
                  const ConversionContext& ctx, ToolReport& report);

// The conversion step of opening a design with the system's "open" action when that failed:
// unless "Tools keep" is set, a design whose type differs from "Tools selected" is loaded
// and converted into `tempDir`. A "Zip:" member is first extracted there. `openPath` is the
// file to open; `temporaries` lists every file made (to delete when the program closes).
struct OnTheFly {
  std::string openPath;
  std::vector<std::string> temporaries;
};
OnTheFly convertForOpening(const std::string& path, const std::string& tempDir, const ConversionContext& ctx,
                           ToolReport& report);

// "rose.pes" + " Sorted" -> "rose Sorted.pes" (the member title for "Zip:" paths).
std::string appendToTitle(std::string_view path, std::string_view suffix);
// The last component of a plain path or of a "Zip:" member's path.
std::string fileNameOf(std::string_view path);
// `folder` + "/" + the file name of `path`; a member's name is made safe to use as a file.
std::string pathInFolder(std::string_view folder, std::string_view path);

}  // namespace lh
