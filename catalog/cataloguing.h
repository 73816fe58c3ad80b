#pragma once
// Putting designs into the catalog: the entry a design is catalogued under (with the disk
// name of a removable or optical medium), the designs that are refused (temporary files,
// files on a removable disk without a name) and the messages that tell about them, and
// keeping the catalog following the files a tool run creates from catalogued designs.
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/file_item.h"
#include "files/drives.h"

namespace lh {

// The drives as another service listed them once: one look at the mount table serves many
// files. Labels cannot be set through it.
class DriveSnapshot final : public DriveService {
 public:
  explicit DriveSnapshot(const DriveService& from) : drives_(from.drives()) {}
  std::vector<DriveInfo> drives() const override { return drives_; }
  std::string setLabel(const DriveInfo&, std::string_view) override { return "the drive list is a snapshot"; }

 private:
  std::vector<DriveInfo> drives_;
};

// A plain or "Zip:" path made absolute against the current folder (the archive of a "Zip:"
// path; the member path stays), with "." and ".." folded away. Entries name files absolutely.
std::string absoluteLocation(std::string_view location);

enum class CatalogRefusalKind {
  None,
  Temporary,  // the file (or its archive) is in the temporary folder
  Unnamed,    // the file (or its archive) is on a removable or optical medium without a name
};

struct CatalogCandidate {
  FileItem item;  // absolute, with the medium's name as `extra` on removable and optical drives
  CatalogRefusalKind refused = CatalogRefusalKind::None;
};

// The item a design at `location` is catalogued as, and whether cataloguing it is refused.
// An empty `temporaryFolder` refuses nothing as temporary.
CatalogCandidate catalogCandidate(std::string_view location, const DriveService& drives,
                                  std::string_view temporaryFolder);

struct CataloguingResult {
  std::vector<std::string> added;      // entry texts added, in order
  std::vector<std::string> present;    // entry texts the category held already
  std::vector<std::string> temporary;  // locations refused as temporary
  std::vector<std::string> unnamed;    // locations refused for an unnamed disk
};

// Adds every candidate that is not refused to the category (addEntry: a text the category
// holds already is not added again).
CataloguingResult catalogueInto(Catalog& catalog, CategoryId category,
                                std::span<const CatalogCandidate> candidates);

// The messages that report the refusals, each once: first the unnamed disk (with the question
// whether to name it when `askToName`), then the temporary files. Each begins with "Some files
// were cataloged fine, ..." when something was added.
std::vector<CatalogRefusal> refusalMessages(const CataloguingResult& result, bool askToName);

// Keeps a catalog following a tool run: every file the run creates outside the temporary
// folder is listed in each category that lists its source, right after the source
// (Catalog::addEntryAfter). The caller saves the catalog once the run has ended, when
// insertions() is not 0.
class CatalogFollower {
 public:
  // `drives` must outlive the follower; a DriveSnapshot suits a run.
  CatalogFollower(Catalog& catalog, const DriveService& drives, std::string temporaryFolder);

  // `source` gave `created` (plain or "Zip:" paths, as the runner names them).
  void fileCreated(const std::string& source, const std::string& created);
  // fileCreated as the callback a tool run takes.
  std::function<void(const std::string&, const std::string&)> callback();

  // Entries inserted so far.
  std::size_t insertions() const { return insertions_; }

 private:
  Catalog& catalog_;
  const DriveService& drives_;
  std::string temporaryFolder_;
  std::size_t insertions_ = 0;
};

}  // namespace lh
