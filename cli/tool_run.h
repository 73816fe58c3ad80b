#pragma once
// The commands that run the tool runner (convert, sort, baste, recover, notes, preview,
// reduce) and the options they share.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalog/cataloguing.h"
#include "cli/catalog_session.h"
#include "cli/commands.h"
#include "design/settings.h"
#include "tools/setting_keys.h"
#include "tools/tool_runner.h"

namespace lh::cli {

struct ToolOptions {
  std::optional<int> to;        // --to TYPE: a FormatCode
  bool keep = false;            // --keep
  bool force = false;           // --force
  std::string out;              // --out DIR
  int jobs = 0;                 // -j N (0: one per core)
  bool recursive = false;       // -r
  bool followLinks = false;     // -L: follow links to folders (with -r)
  bool defaults = false;        // --defaults
  std::vector<std::string> sets;  // --set Section/key=value, in order
  int needles = 0;              // --needles N (reduce)
  bool noShrink = false;        // --no-shrink: refuse what would have to be shrunk
  bool noTurn = false;          // --no-turn: refuse what would have to be turned
  bool json = false;            // --json: one JSON record per input on stdout
  bool skipExisting = false;    // --skip-existing
  bool catalog = false;         // --catalog: new files follow their sources in the stored catalog
  std::string catalogFile;      // --catalog-file PATH: ... in that catalog
  std::vector<std::string> inputs;
};

// The names --to accepts, in code order: "pes sew jef hus pcs dst xxx exp vip vp3 bmp txt".
std::string targetTypeNames();

// Parses the shared options of `command` (with --needles for reduce): nothing when the
// command should run, otherwise the exit status (after --help, or a usage message).
std::optional<int> parseToolOptions(std::string_view command, std::string_view description, Args args,
                                    bool needles, ToolOptions& options);

// The settings of one run: the stored preferences (unless --defaults), then every --set, then
// --no-shrink and --no-turn. False (after a usage message) for a --set that is malformed,
// names a setting no tool reads, or gives a value outside the setting's range.
bool runSettings(const ToolOptions& options, MemorySettings& settings);
// Checks and stores each "Section/key=value" against `known` (the settings a command reads);
// false after a usage message.
bool applySets(const std::vector<std::string>& sets, std::span<const KnownSetting> known, MemorySettings& settings);

// An input that gives no design item, and why.
struct UnusableInput {
  std::string input;
  std::string reason;
};

struct WalkOptions {
  bool recursive = false;    // look into sub-folders
  bool followLinks = false;  // also into sub-folders reached through symbolic links
};

// Expands inputs into design items: a file or "Zip:" member as given, a zip archive into its
// viewed members, a folder into its viewed files and the viewed members of its archives
// (sub-folders with `recursive`), each folder in name order and each folder once, however
// many links lead to it. Only regular files are taken from folders. Missing inputs, inputs
// that are not regular files or folders, member names an archive holds more than once (such
// a name designates none of them), and folders and archives that give no design (empty,
// damaged, not an archive) are reported on stderr and added to `unusable` with the
// reason. Ctrl-C (while
// runOverInputs listens for it) ends the walk early.
std::vector<std::string> expandInputs(const std::vector<std::string>& inputs, const WalkOptions& walk,
                                      const SettingsStore& settings, std::vector<UnusableInput>& unusable);

// The command "convert" runs: a conversion for a design type, notes for txt, the preview
// for bmp, and the tool format ("Convert to On-The-Fly Setting") without --to.
ToolCommandId convertCommandFor(std::optional<int> to);

// The stderr text for a failed conversion: the hoop and the design's size for a design too
// big, the format's limit or the writer's refusal for one that could not be converted.
std::string failureReason(ConversionStatus status, const ConversionFailure& why);

// Runs the tools-menu command over the inputs through the tool runner and prints the
// created files, then the report. Exit status 1 when an input failed or was too big.
int runOverInputs(ToolCommandId command, const ToolOptions& options);

// --to and --keep over the stored tool format: `to` becomes "Tools selected" (and clears
// "Tools keep"); `keep` sets "Tools keep".
void setToolFormat(MemorySettings& settings, std::optional<int> to, bool keep);

// Makes the --out folder when it is missing: nothing when it is there, a usage error when it
// names a file or an archive member, Failed when it cannot be made.
std::optional<int> makeOutFolder(const std::string& out);

// The catalog a run keeps up to date (--catalog, --catalog-file); nothing in it when the run
// follows none. Its parts refer to each other: it stays where it was filled.
struct CatalogFollowing {
  std::optional<CatalogSession> session;
  std::optional<DriveSnapshot> drives;
  std::optional<CatalogFollower> follower;
};
// Opens and checks the catalog before anything is written: a catalog that cannot be read or
// saved ends the command (its exit status). Files in the stored temporary folder are not
// catalogued.
std::optional<int> followCatalog(const ToolOptions& options, const SettingsStore& settings,
                                 CatalogFollowing& following);

// The report's CR LF lines with LF ends.
std::string withLf(const std::string& text);

}  // namespace lh::cli
