// loomhall-thumbnailer -s SIZE INPUT OUTPUT.png: the file managers' thumbnailer for design
// files (see loomhall.thumbnailer). Writes OUTPUT only when the whole picture was made and
// exits 0; on any failure nothing is written and the exit status is 1 (2 for a usage error).
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "desktop/thumbnail.h"
#include "files/save_file.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int usage(const char* why) {
  if (why != nullptr) std::fprintf(stderr, "loomhall-thumbnailer: %s\n", why);
  std::fprintf(stderr,
               "usage: loomhall-thumbnailer -s SIZE INPUT OUTPUT.png\n"
               "Draws the design INPUT into a PNG of at most SIZE (%d to %d) pixels on its longer side.\n",
               lh::kMinThumbnailSize, lh::kMaxThumbnailSize);
  return why != nullptr ? kUsage : kOk;
}

// The PNG goes to a staged file that takes OUTPUT's name in one step (replacing a file the
// caller left there), so a reader never sees half a picture. A thumbnail is a cache the file
// manager makes again when it is lost, so it is not flushed to disk (that would cost more
// than drawing it).
bool writeOutput(const std::string& path, const std::vector<std::uint8_t>& png) {
  lh::FolderSync notFlushed;
  auto staged = lh::StagedFile::create(path, std::nullopt, &notFlushed);
  return staged && staged->write(png) && staged->replace(path);
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<int> size;
  std::vector<std::string> files;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options || arg.size() < 2 || arg.front() != '-') {
      files.emplace_back(arg);
    } else if (arg == "--") {
      options = false;
    } else if (arg == "-h" || arg == "--help") {
      return usage(nullptr);
    } else if (arg == "-s" || arg == "--size") {
      if (++i == argc) return usage("-s needs a size");
      size = lh::parseThumbnailSize(argv[i]);
      if (!size) return usage("the size must be a whole number of pixels in the range");
    } else {
      return usage("unknown option");
    }
  }
  if (!size) return usage("-s SIZE is required");
  if (files.size() != 2) return usage("give one INPUT and one OUTPUT");

  lh::DesignCodec codec;
  auto made = lh::designThumbnail(codec, files[0], *size);
  if (auto* why = std::get_if<lh::ThumbnailFailure>(&made)) {
    std::fprintf(stderr, "loomhall-thumbnailer: %s: %s\n", files[0].c_str(), why->c_str());
    return kFailed;
  }
  if (!writeOutput(files[1], std::get<std::vector<std::uint8_t>>(made))) {
    std::fprintf(stderr, "loomhall-thumbnailer: %s: could not be written\n", files[1].c_str());
    return kFailed;
  }
  return kOk;
}
