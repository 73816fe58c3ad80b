#pragma once
// The subcommands of "loomhall-cli catalog", each over an open catalog. They print what they
// did, save the catalog when they changed it and return the exit status.
#include <string>
#include <vector>

#include "cli/catalog_session.h"
#include "cli/tool_run.h"

namespace lh::cli {

struct CatalogOptions {
  std::string file;                 // --file PATH
  bool json = false;                // show --json
  bool details = false;             // find --details
  int jobs = 0;                     // find -j N (0: one per core)
  WalkOptions walk;                 // add/remove -r, -L
  std::string category;             // CATEGORY-PATH
  std::string text;                 // NEW-NAME, find TEXT, relink FOLDER
  std::vector<std::string> inputs;  // add/remove FILE...
};

int catalogShow(CatalogSession& s, const CatalogOptions& o);
int catalogNew(CatalogSession& s, const CatalogOptions& o);
int catalogRename(CatalogSession& s, const CatalogOptions& o);
int catalogDelete(CatalogSession& s, const CatalogOptions& o);
int catalogFind(CatalogSession& s, const CatalogOptions& o);
int catalogAdd(CatalogSession& s, const CatalogOptions& o);
int catalogRemove(CatalogSession& s, const CatalogOptions& o);
int catalogCheck(CatalogSession& s, const CatalogOptions& o);
int catalogRelink(CatalogSession& s, const CatalogOptions& o);

// How an entry shows on a line: its location, and "\tdisk NAME" when it has a disk name.
std::string entryColumns(const std::string& text);
// "loomhall-cli: WHAT: message" on stderr; returns Failed.
int catalogFailure(const std::string& what, const std::string& message);
// The category at `path`, or 0 after a message on stderr.
CategoryId categoryOrComplain(const Catalog& catalog, const std::string& path);
// False after the save refusal's message when the catalog cannot be saved (a changing
// command then changes nothing).
bool savable(const CatalogSession& s);

}  // namespace lh::cli
