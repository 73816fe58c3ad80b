// make-desktop-files: writes the build's desktop integration files from the format table.
//   make-desktop-files --mime OUT.xml        the shared-mime-info package
//   make-desktop-files --fill IN OUT         IN with @MIME_TYPES@ filled in (desktop entries,
//                                            the .thumbnailer file)
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "desktop/desktop_data.h"
#include "files/save_file.h"

namespace {

// Replaces OUT in one step, so that a build stopped half-way leaves the old file whole.
bool writeFile(const std::string& path, const std::string& text) {
  auto staged = lh::StagedFile::create(path);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return staged && staged->write({bytes, text.size()}) && staged->replace(path);
}

}  // namespace

int main(int argc, char** argv) {
  const auto types = lh::designMimeTypes();
  const std::string_view mode = argc > 1 ? argv[1] : "";
  std::string text;
  std::string out;
  if (mode == "--mime" && argc == 3) {
    text = lh::mimeInfoXml(types);
    out = argv[2];
  } else if (mode == "--fill" && argc == 4) {
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "make-desktop-files: cannot read %s\n", argv[2]);
      return 1;
    }
    text = lh::fillMimeTypes(std::string(std::istreambuf_iterator<char>(in), {}), types);
    out = argv[3];
  } else {
    std::fprintf(stderr, "usage: make-desktop-files --mime OUT.xml | --fill IN OUT\n");
    return 2;
  }
  if (!writeFile(out, text)) {
    std::fprintf(stderr, "make-desktop-files: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
