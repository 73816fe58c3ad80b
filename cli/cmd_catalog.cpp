// loomhall-cli catalog [--file PATH] COMMAND: the catalog's tree, its categories and entries,
// finding designs in it, checking its links and mending them.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>

#include "catalog/catalog_texts.h"
#include "catalog/file_item.h"
#include "cli/catalog_commands.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/design_io.h"
#include "design/measurements.h"

namespace lh::cli {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsNoCase(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [](char a, char b) { return lowerAscii(a) == lowerAscii(b); }) != text.end();
}

// Where a new category goes: its parent and its name. The name is what follows the last "\"
// (a name may end in "\" itself); the parent is the path before it, with or without that "\"
// (a parent's name may end in one too). A path without "\" names a new top-level category.
std::optional<std::pair<CategoryId, std::string>> newCategoryPlace(const Catalog& catalog,
                                                                   std::string_view path) {
  const auto i = path.size() < 2 ? std::string_view::npos : path.rfind('\\', path.size() - 2);
  if (i == std::string_view::npos) return std::pair(CategoryId{0}, std::string(path));
  const std::string name(path.substr(i + 1));
  if (const CategoryId parent = catalog.findCategory(path.substr(0, i))) return std::pair(parent, name);
  if (const CategoryId parent = catalog.findCategory(path.substr(0, i + 1))) return std::pair(parent, name);
  return std::nullopt;
}

nlohmann::ordered_json entryJson(const std::string& text) {
  const FileItem item = parseItemText(text);
  nlohmann::ordered_json j;
  j["location"] = item.location();
  j["disk"] = item.extra.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(item.extra);
  return j;
}

struct DesignSummary {
  bool loaded = false;
  std::string size;  // size and stitch count, as info prints them
  std::size_t colors = 0;
};

// Loads every design with up to `jobs` threads, each with its own codec; a design that does
// not load is named on stderr, in input order.
std::vector<DesignSummary> summarize(const std::vector<std::string>& locations, int jobs) {
  std::vector<DesignSummary> out(locations.size());
  std::vector<std::string> failures(locations.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    CliCodec cli;
    for (std::size_t i; (i = next++) < locations.size();) {
      EmbDesign design;
      const LoadResult result = cli.codec.loadDesign(&design, locations[i]);
      if (result != LoadResult::Ok) {
        failures[i] = loadFailureText(defaultSettings(), locations[i], result);
      } else if (design.isText || !holdsStitches(design)) {
        failures[i] = "not a design with stitches";
      } else {
        out[i] = {true, sizeText(design, false, true), design.threads.size()};
      }
    }
  };
  if (jobs <= 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::thread> threads;
  for (int t = 1; t < std::min<int>(jobs, static_cast<int>(locations.size())); ++t)
    threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  for (std::size_t i = 0; i < locations.size(); ++i)
    if (!failures[i].empty()) catalogFailure(locations[i], failures[i]);
  return out;
}

}  // namespace

int catalogShow(CatalogSession& s, const CatalogOptions& o) {
  if (o.json) {
    nlohmann::ordered_json j;
    j["file"] = s.path;
    j["categories"] = nlohmann::ordered_json::array();
    s.catalog.forEach([&](const Category& c, const std::string& path) {
      nlohmann::ordered_json cat;
      cat["path"] = path;
      cat["name"] = c.name();
      cat["depth"] = c.depth();
      cat["entries"] = nlohmann::ordered_json::array();
      for (const std::string& e : c.entries()) cat["entries"].push_back(entryJson(e));
      j["categories"].push_back(std::move(cat));
    });
    std::printf("%s\n", j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return Ok;
  }
  s.catalog.forEach([&](const Category& c, const std::string&) {
    const std::string indent(2 * static_cast<std::size_t>(c.depth()), ' ');
    std::printf("%s%s\n", indent.c_str(), c.name().c_str());
    for (const std::string& e : c.entries())
      std::printf("%s  - %s\n", indent.c_str(), entryColumns(e).c_str());
  });
  return Ok;
}

int catalogNew(CatalogSession& s, const CatalogOptions& o) {
  if (!savable(s)) return Failed;
  if (s.catalog.findCategory(o.category)) return catalogFailure(o.category, "this category exists already");
  const auto place = newCategoryPlace(s.catalog, o.category);
  if (!place) return catalogFailure(o.category, "no category holds it (the parent must exist)");
  if (!isStorableCategoryName(place->second))
    return catalogFailure(o.category, std::string(catalog_texts::kBadCategoryName));
  const CategoryId id = s.catalog.addCategory(place->first, place->second);
  if (!id) return catalogFailure(o.category, std::string(catalog_texts::kBadCategoryName));
  if (!s.save()) return Failed;
  std::printf("%s\n", s.catalog.pathOf(id).c_str());
  return Ok;
}

int catalogRename(CatalogSession& s, const CatalogOptions& o) {
  if (!savable(s)) return Failed;
  const CategoryId id = categoryOrComplain(s.catalog, o.category);
  if (!id) return Failed;
  if (o.text.empty()) return usageError("catalog rename: the new name is empty");
  if (const auto refusal = s.catalog.renameCategory(id, o.text))
    return catalogFailure(o.category, refusal->text);
  if (!s.save()) return Failed;
  std::printf("%s\n", s.catalog.pathOf(id).c_str());
  return Ok;
}

int catalogDelete(CatalogSession& s, const CatalogOptions& o) {
  if (!savable(s)) return Failed;
  const CategoryId id = categoryOrComplain(s.catalog, o.category);
  if (!id) return Failed;
  if (const auto refusal = s.catalog.deleteCategory(id))
    return catalogFailure(refusal->caption, refusal->text);
  return s.save() ? Ok : Failed;
}

int catalogFind(CatalogSession& s, const CatalogOptions& o) {
  struct Hit {
    std::string text, category;
  };
  std::vector<Hit> hits;
  s.catalog.forEach([&](const Category& c, const std::string& path) {
    for (const std::string& e : c.entries())
      if (containsNoCase(parseItemText(e).name, o.text)) hits.push_back({e, path});
  });
  std::vector<DesignSummary> summaries;
  if (o.details) {
    std::vector<std::string> locations;
    for (const Hit& h : hits) locations.push_back(parseItemText(h.text).location());
    summaries = summarize(locations, o.jobs);
  }
  for (std::size_t i = 0; i < hits.size(); ++i) {
    const FileItem item = parseItemText(hits[i].text);
    std::string line = item.location() + "\t" + hits[i].category;
    if (o.details)
      line += summaries[i].loaded ? "\t" + summaries[i].size + "\t" + std::to_string(summaries[i].colors)
                                  : "\t-\t-";
    if (!item.extra.empty()) line += "\tdisk " + item.extra;
    std::printf("%s\n", line.c_str());
  }
  return hits.empty() ? Failed : Ok;
}

int runCatalog(Args args) {
  CatalogOptions o;
  CommandLine line("catalog", "Shows and changes the catalog: categories of designs wherever they lie.");
  CLI::App& app = line.app;
  app.add_option("--file", o.file,
                 "the catalog file (*.QY); default: Catalog.QY in the stored catalog folder")
      ->type_name("PATH");
  app.require_subcommand(1);
  app.fallthrough();
  int (*run)(CatalogSession&, const CatalogOptions&) = nullptr;
  auto sub = [&](const char* name, const char* what, int (*fn)(CatalogSession&, const CatalogOptions&)) {
    CLI::App* c = app.add_subcommand(name, what);
    c->callback([&run, fn] { run = fn; });
    return c;
  };
  auto category = [&](CLI::App* c) {
    c->add_option("CATEGORY-PATH", o.category, "names from the top category down, joined by \\")->required();
  };
  auto files = [&](CLI::App* c) {
    c->add_option("FILE", o.inputs, "design files, \"Zip:ARCHIVE:MEMBER\" paths, zip archives or folders")
        ->required();
    c->add_flag("-r,--recursive", o.walk.recursive, "look into sub-folders of folder inputs");
    c->add_flag("-L", o.walk.followLinks, "with -r, also follow symbolic links to folders");
  };
  sub("show", "the categories and their entries", catalogShow)
      ->add_flag("--json", o.json, "as JSON: each category with its path, depth and entries");
  category(sub("new", "a new category (the last part of the path is its name)", catalogNew));
  CLI::App* rename = sub("rename", "give a category a new name", catalogRename);
  category(rename);
  rename->add_option("NEW-NAME", o.text, "the category's new name")->required();
  category(sub("delete", "delete a category with its sub-categories and entries", catalogDelete));
  CLI::App* add = sub("add", "catalog designs in a category", catalogAdd);
  category(add);
  files(add);
  CLI::App* remove = sub("remove", "take designs out of a category", catalogRemove);
  category(remove);
  files(remove);
  CLI::App* find =
      sub("find", "the entries whose name contains TEXT (any case), with their categories", catalogFind);
  find->add_option("TEXT", o.text, "part of a file name")->required();
  find->add_flag("--details", o.details, "also each design's size, stitch count and colour count");
  find->add_option("-j,--jobs", o.jobs, "designs loaded in parallel (default: one per core)")
      ->check(CLI::Range(1, 256))
      ->type_name("N");
  sub("check", "the entries whose file is missing; exit 1 when any is", catalogCheck);
  sub("relink", "find missing entries' files in FOLDER and point the entries there", catalogRelink)
      ->add_option("FOLDER", o.text, "the folder to look in (not its sub-folders)")
      ->required();
  if (const auto status = line.parse(args)) return *status;
  CatalogSession session;
  if (const auto status = session.open(o.file)) return *status;
  return run(session, o);
}

}  // namespace lh::cli
