#pragma once
// The catalog file "Catalog.QY": 8-bit text, one line per category or entry, lines ending in
// CR LF.
//   - A category line is the category's depth in tab characters, then its name.
//   - A category's entries follow it, one per line, without leading tabs.
//   - Categories come in depth-first order.
// Reading takes CR LF or LF line ends. A line is an entry when isEntryLine says so; lines of
// fewer than two characters, and lines of tabs alone, are skipped; any other line is a
// category line. Depths count from the tabs of the first line, a category line with more tabs
// than one level deeper is a child of the category before it, and entries before the first
// category have no category to go to. A NUL byte ends a line like a line feed (a file that
// was cut short by a crash often ends in a run of NULs; those are read as empty lines).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"

namespace lh {

struct CatalogReadStats {
  std::size_t droppedEntries = 0;  // entry lines before the first category line
  std::size_t nulBytes = 0;
};

// The catalog the bytes describe; never reads outside them.
Catalog readCatalog(std::span<const std::uint8_t> bytes, CatalogReadStats* stats = nullptr);
// The catalog file's bytes. Reading them gives the same tree. The tabs written are the
// depths, unless a category name would read back as something else at its depth (a one-
// character top-level name, one that looks like an entry): then every category line gets
// two tabs more, which the relative depths of the reader take away again.
std::string writeCatalog(const Catalog& catalog);

// A catalog file larger than this is not read: no catalog comes near it.
inline constexpr std::uint64_t kMaxCatalogFileSize = 256ull * 1024 * 1024;

enum class CatalogLoad {
  Loaded,      // read (see stats for lines that could not be placed)
  Missing,     // no file: the catalog is empty, and saving creates the file
  Unreadable,  // the file exists but could not be read
  TooLarge,    // larger than kMaxCatalogFileSize
  NotCatalog,  // the name's extension is not "QY": nothing is read
};

struct CatalogLoadResult {
  CatalogLoad status = CatalogLoad::Missing;
  std::string error;  // the system's text for Unreadable
  CatalogReadStats stats;
  bool ok() const { return status == CatalogLoad::Loaded || status == CatalogLoad::Missing; }
};

// Empties `catalog` and reads it from `path`. Afterwards the catalog's filePath() is `path`,
// and saving is refused (saveRefusal()) when the file exists but could not be read whole:
// when it was not read at all, or entry lines had no category to go to. The refusal goes
// with the next load that succeeds (or with Catalog::allowSaving()).
CatalogLoadResult loadCatalogFile(Catalog& catalog, const std::string& path);

struct CatalogSaveResult {
  bool ok = false;
  std::string error;  // the message for the user when not ok
};

// Writes the whole catalog to `path`, replacing the file in one step: the old file stays
// whole until the new one is complete and on disk. A symbolic link at `path` stays and its
// target is replaced; the file keeps its permissions. Refused while saveRefusal() is set.
// On success the catalog's filePath() becomes `path`.
CatalogSaveResult saveCatalogFile(Catalog& catalog, const std::string& path);

// The bytes of the file at `path`, or nothing with the reason in `result` (Missing,
// Unreadable with the system's text, TooLarge).
std::optional<std::vector<std::uint8_t>> readCatalogBytes(const std::string& path, CatalogLoadResult& result);
// Puts a file of `bytes` in place of the one at `path` (or creates it) in one step, as
// saveCatalogFile does; "" on success, otherwise the system's text for the failure.
std::string replaceCatalogBytes(const std::string& path, std::string_view bytes);

}  // namespace lh
