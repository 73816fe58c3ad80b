#include "cli/design_io.h"

#include <charconv>
#include <cstdio>

#include "design/thread_color.h"
#include "files/regular_file.h"
#include "zip/zip_archive.h"

namespace lh::cli {

void StderrMessages::showMessage(std::string_view text, std::string_view caption) {
  std::fprintf(stderr, "loomhall-cli: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}

std::string_view loadResultText(std::int32_t result) {
  switch (result) {
    case kLoadOk:
      return "loaded";
    case kLoadNoDesign:
      return "no design";
    case kLoadUnsupported:
      return "file version not supported";
    case kLoadNoMedium:
      return "no medium in the drive";
    default:
      return "missing, unreadable or not a valid design";
  }
}

std::string_view loadFailureText(const std::string& path, std::int32_t result) {
  if (result == kLoadFailed && !isZipPath(path) && checkRegularFile(path) == OpenCheck::NotRegular)
    return openCheckText(OpenCheck::NotRegular);
  return loadResultText(result);
}

void complainLoadFailed(const std::string& path, std::int32_t result) {
  const auto zip = splitZipPath(path);
  const std::size_t named = zip ? ZipArchive::membersNamed(zip->archive, zip->member) : 0;
  const std::string why = named > 1 ? std::to_string(named) + " members have this name; none of them is read"
                                    : std::string(loadFailureText(path, result));
  std::fprintf(stderr, "loomhall-cli: %s: %s (result %d)\n", path.c_str(), why.c_str(), static_cast<int>(result));
}

std::int32_t loadOrComplain(DesignCodec& codec, EmbDesign& design, const std::string& path) {
  ++codec.busyCount;
  const std::int32_t result = codec.loadDesign(&design, path);
  if (result != kLoadOk) complainLoadFailed(path, result);
  return result;
}

bool parseRgb(std::string_view text, std::uint32_t& rgb) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6) return false;
  unsigned v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  rgb = rgbOf(static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF));
  return true;
}

bool parseInt(std::string_view text, int min, int max, int& value) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
  value = v;
  return true;
}

}  // namespace lh::cli
