#pragma once
// A temporary folder with files and zip archives built by the tests.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/file_item.h"
#include "files/drives.h"
#include "tests/zip/temp_dir.h"
#include "zip/zip_archive.h"

namespace lh::test {

inline FileItem fileItem(const std::string& folder, const std::string& name,
                         const std::string& archive = {}) {
  FileItem item;
  item.archive = archive;
  item.folder = folder;
  item.name = name;
  return item;
}

inline DriveInfo drive(const std::string& root, DriveKind kind, const std::string& label = {},
                       bool ready = true) {
  DriveInfo d;
  d.root = root;
  d.kind = kind;
  d.label = label;
  d.ready = ready;
  return d;
}

inline std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

class DesignFolder : public TempDir {
 public:
  // A small file whose bytes are its own name, so a copy shows where it came from.
  std::string add(const std::string& name) const {
    write(name, bytesOf(name));
    return file(name);
  }
  // An archive holding the named members, each with its name as bytes.
  std::string addZip(const std::string& name, const std::vector<std::string>& members) const {
    std::vector<std::vector<std::uint8_t>> data;
    for (const std::string& m : members) data.push_back(bytesOf(m));
    std::vector<ZipArchive::NewMember> batch;
    for (std::size_t i = 0; i < members.size(); ++i) batch.push_back({members[i], data[i]});
    ZipArchive::storeMembers(file(name), batch, ZipPlain);
    return file(name);
  }
  std::string folder() const { return path().string() + "/"; }
};

}  // namespace lh::test
