#include "browser_grid_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "design/emb_design.h"
#include "design/settings.h"
#include "formats/format_table.h"
#include "zip/zip_archive.h"

namespace lh::gridbench {
namespace {

namespace fs = std::filesystem;

struct Source {
  std::string name;  // the file's own name, kept in the copies' names
  std::vector<std::uint8_t> bytes;
};

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The corpus of real designs: LH_CORPUS_DIR from the environment, else the build's default.
fs::path corpusFolder() {
  if (const char* env = std::getenv("LH_CORPUS_DIR"); env != nullptr && *env != '\0') return env;
  return LH_CORPUS_DIR;
}

// Every file under `folder` (its sub-folders too when `deep`) of a type the browser shows.
void addSources(const fs::path& folder, bool deep, const std::set<std::string>& viewed, std::vector<Source>& out) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return;
  std::vector<fs::path> files;
  auto take = [&](const fs::directory_entry& e) {
    if (e.is_regular_file() && viewed.contains(upper(extensionOf(e.path().filename().string()))))
      files.push_back(e.path());
  };
  if (deep) {
    for (const auto& e : fs::recursive_directory_iterator(folder, ec)) take(e);
  } else {
    for (const auto& e : fs::directory_iterator(folder, ec)) take(e);
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& p : files) {
    std::ifstream in(p, std::ios::binary);
    Source s{p.filename().string(), {std::istreambuf_iterator<char>(in), {}}};
    if (!s.bytes.empty()) out.push_back(std::move(s));
  }
}

std::vector<Source> sourceDesigns() {
  const std::vector<std::string> types = viewedTypes(MemorySettings{});
  std::set<std::string> viewed(types.begin(), types.end());
  viewed.erase("ZIP");
  std::vector<Source> sources;
  addSources(LH_SAMPLES_DIR, false, viewed, sources);
  addSources(corpusFolder(), true, viewed, sources);
  return sources;
}

std::string numbered(int i) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%05d", i);
  return digits;
}

}  // namespace

DesignFolders::DesignFolders() {
  root_ = (fs::temp_directory_path() / ("lh-browser-grid-bench-" + std::to_string(::getpid()))).string();
  build();
}

DesignFolders::~DesignFolders() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void DesignFolders::build() {
  const std::vector<Source> sources = sourceDesigns();
  sources_ = sources.size();
  if (sources.empty()) {
    error_ = "no sample designs";
    return;
  }
  const std::string folder = this->folder(0);
  fs::create_directories(folder);
  for (int i = 0; i < kDesignFiles; ++i) {
    const Source& s = sources[static_cast<std::size_t>(i) % sources.size()];
    std::ofstream out(folder + "/design " + numbered(i) + " " + s.name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(s.bytes.data()), static_cast<std::streamsize>(s.bytes.size()));
    if (!out) {
      error_ = "cannot write the designs";
      return;
    }
  }
  for (int a = 0; a < kArchives; ++a) {
    std::vector<ZipArchive::NewMember> members;
    for (int m = 0; m < kArchiveMembers; ++m) {
      // Start each archive elsewhere in the sources so that the archives differ.
      const Source& s = sources[static_cast<std::size_t>(m + a * 37) % sources.size()];
      members.push_back({"set/member " + numbered(m) + " " + s.name, s.bytes});
    }
    const std::string archive = folder + "/archive " + std::to_string(a) + ".zip";
    if (!ZipArchive::storeMembers(archive, members, ZipPlain)) {
      error_ = "cannot write " + archive;
      return;
    }
  }
}

std::string DesignFolders::folder(int k) {
  const std::string path = root_ + "/folder " + std::to_string(k);
  for (; error_.empty() && linked_ <= k; ++linked_) {
    const fs::path to = root_ + "/folder " + std::to_string(linked_);
    std::error_code ec;
    fs::create_directories(to, ec);
    for (const auto& e : fs::directory_iterator(folder(0), ec)) {
      if (!ec) fs::create_hard_link(e.path(), to / e.path().filename(), ec);
      if (ec) error_ = "cannot link " + e.path().string() + ": " + ec.message();
    }
  }
  return path;
}

}  // namespace lh::gridbench
