#include "cli/design_io.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "design/thread_color.h"
#include "files/regular_file.h"
#include "formats/format_table.h"
#include "zip/zip_archive.h"

namespace lh::cli {

void StderrMessages::showMessage(std::string_view text, std::string_view caption) {
  std::fprintf(stderr, "loomhall-cli: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}

std::string_view loadResultText(LoadResult result) {
  switch (result) {
    case LoadResult::Ok:
      return "loaded";
    case LoadResult::NoDesign:
      return "no design";
    case LoadResult::Unsupported:
      return "file version not supported";
    case LoadResult::NoMedium:
      return "no medium in the drive";
    case LoadResult::Failed:
      break;
  }
  return "missing, unreadable or not a valid design";
}

bool isViewed(std::string_view path, const std::vector<std::string>& viewed) {
  const std::string_view ext = extensionOf(path);
  return std::any_of(viewed.begin(), viewed.end(), [&](const std::string& t) { return equalsNoCase(ext, t); });
}

namespace {

// What a file that gave no design is, when that can be told from the file itself.
std::optional<std::string> whatTheFileIs(const SettingsStore& settings, const std::string& path) {
  if (isZipPath(path)) return std::nullopt;
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0 && !ec)
    return "an empty file";
  if (equalsNoCase(extensionOf(path), "zip")) {
    std::size_t designs = 0;
    return describeArchive(path, viewedTypes(settings), designs);
  }
  if (formatOfPath(path) == nullptr && std::filesystem::is_regular_file(path, ec))
    return "not a type of file loomhall-cli reads";
  return std::nullopt;
}

}  // namespace

std::string describeArchive(const std::string& path, const std::vector<std::string>& viewed, std::size_t& designs) {
  designs = 0;
  char head[2] = {};
  std::ifstream in(path, std::ios::binary);
  if (!in.read(head, 2) || head[0] != 'P' || head[1] != 'K') return "not a zip archive";
  const std::vector<std::string> members = ZipArchive::listMembers(path);
  if (members.empty()) return "a damaged or empty zip archive";
  for (const std::string& m : members)
    if (const FormatInfo* f = formatOfPath(m); f != nullptr && f->kind == FormatKind::Design && isViewed(m, viewed))
      ++designs;
  if (designs == 0) return "an archive without designs";
  return "an archive with " + std::to_string(designs) + (designs == 1 ? " design" : " designs") +
         " (name one as Zip:" + path + ":MEMBER)";
}

std::string loadFailureText(const SettingsStore& settings, const std::string& path, LoadResult result) {
  const auto zip = splitZipPath(path);
  const std::size_t named = zip ? ZipArchive::membersNamed(zip->archive, zip->member) : 0;
  if (named > 1) return std::to_string(named) + " members have this name; none of them is read";
  if (result == LoadResult::Failed && !zip && checkRegularFile(path) == OpenCheck::NotRegular)
    return std::string(openCheckText(OpenCheck::NotRegular));
  if (result == LoadResult::Failed && !zip) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::uint64_t>(st.st_size) > kMaxLoadedFileSize)
      return "too large: design files over " + std::to_string(kMaxLoadedFileSize >> 20) + " MiB are not read";
  }
  if (result == LoadResult::Failed)
    if (auto what = whatTheFileIs(settings, path)) return *what;
  return std::string(loadResultText(result));
}

void complainLoadFailed(const std::string& path, LoadResult result, const SettingsStore& settings) {
  std::fprintf(stderr, "loomhall-cli: %s: %s (result %d)\n", path.c_str(),
               loadFailureText(settings, path, result).c_str(), static_cast<int>(loadCode(result)));
}

LoadResult loadOrComplain(DesignCodec& codec, EmbDesign& design, const std::string& path) {
  ++codec.busyCount;
  const LoadResult result = codec.loadDesign(&design, path);
  if (const auto readAs = design.attributes.getText(kReadAsAttribute))
    complain(path, "read as " + *readAs + ": the file starts with that format's signature");
  if (result != LoadResult::Ok) {
    complainLoadFailed(path, result, codec.settings());
    return result;
  }
  const FormatInfo* format = formatOfPath(path);
  if (design.isText) {
    complain(path, "a text document, not a design");
    return LoadResult::NoDesign;
  }
  if (format != nullptr && format->kind == FormatKind::Picture) {
    complain(path, "a picture, not a design");
    return LoadResult::NoDesign;
  }
  if (!holdsStitches(design)) complain(path, "an empty design (no stitches)");
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

void complain(const std::string& path, std::string_view what) {
  std::fprintf(stderr, "loomhall-cli: %s: %.*s\n", path.c_str(), static_cast<int>(what.size()), what.data());
}

std::string oneLine(std::string_view text) {
  std::string out(text);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  for (char& c : out)
    if (c == '\n') c = ' ';
  return out;
}

}  // namespace lh::cli
