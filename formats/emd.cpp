#include "formats/emd.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "threads/format_palettes.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"

namespace lh {
namespace {

constexpr std::size_t kHeaderSize = 50;
constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kColorChange = 0x2A;
constexpr std::uint8_t kJump = 0x80;            // the move follows
constexpr std::uint8_t kZeroJumpFirst = 0x90;   // 90, 91 and 92 are zero-move jumps
constexpr std::uint8_t kZeroJumpLast = 0x92;
constexpr std::uint8_t kEnd = 0xFD;

// The lines of a text, without their line ends.
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

// The leading decimal number of a field (0 when there is none).
long numberOf(std::string_view field) {
  field = trimmed(field);
  long v = 0;
  std::from_chars(field.data(), field.data() + field.size(), v);
  return v;
}

int channelOf(std::string_view field) { return static_cast<int>(std::clamp<long>(numberOf(field), 0, 255)); }

void decodeStream(EmbDesign& design, ByteSpan file) {
  if (file.size() <= kHeaderSize) return;
  ByteReader r(file, kHeaderSize);
  design.stitches.reserve(r.remaining() / 2);
  while (r.has(2)) {
    const std::uint8_t x = r.u8();
    const std::uint8_t y = r.u8();
    Stitch s;
    if (x != kEscape) {
      s.setMove(static_cast<std::int8_t>(x), static_cast<std::int8_t>(y));
    } else if (y == kEnd) {
      break;
    } else if (y == kColorChange) {
      s.setColorChange(true);
    } else if (y == kJump) {
      s.setJump(true);
      if (r.has(2)) {
        const std::int8_t mx = r.i8();
        s.setMove(mx, r.i8());
      }
    } else if (y >= kZeroJumpFirst && y <= kZeroJumpLast) {
      s.setJump(true);
    } else {
      s.setMove(-128, static_cast<std::int8_t>(y));
    }
    design.stitches.push_back(s);
  }
}

}  // namespace

std::string emdColorPath(std::string_view designPath, std::string_view extension) {
  const std::string_view ext = extensionOf(designPath);
  if (ext.empty()) return {};
  std::string path(designPath.substr(0, designPath.size() - ext.size()));
  path += extension;
  return path;
}

void applyEmdColors(EmbDesign& design, std::string_view text) {
  const std::vector<std::string_view> lines = linesOf(text);
  if (lines.empty()) return;
  const long listed = numberOf(lines.front());
  const std::size_t count = std::min({static_cast<std::size_t>(std::max(listed, 0L)), design.threads.size(),
                                      lines.size() - 1});
  for (std::size_t n = 0; n < count; ++n) {
    std::vector<std::string_view> fields;
    std::string_view line = lines[n + 1];
    for (std::size_t comma; (comma = line.find(',')) != std::string_view::npos; line.remove_prefix(comma + 1))
      fields.push_back(line.substr(0, comma));
    fields.push_back(line);
    if (fields.size() < 4) break;
    const int red = channelOf(fields[1]), green = channelOf(fields[2]), blue = channelOf(fields[3]);
    ThreadColor& t = design.threads[n];
    t.rgb = rgbOf(red, green, blue);
    const std::string_view name = pecColorName(nearestPecColor(red, green, blue, false, false));
    t.colorName = name;
    t.displayName = name;
  }
}

ReadResult readEmd(DesignCodec& codec, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  decodeStream(design, file);
  design.mergeJumps(false);
  design.classifyJumps();
  design.centreDesign(EmbDesign::kNone);
  // One colour per block; counted after the merge, which clears a colour change that ends
  // the data, since such a change opens no block.
  const std::size_t colors = design.colorChangeCount() + 1;
  design.threads.reserve(colors);
  for (std::size_t n = 0; n < colors; ++n) design.threads.push_back(husqvarnaColor(static_cast<int>(n)));

  // The companion's extension is written in lower case; a case-sensitive file system may
  // hold it in upper case beside an upper-case design name.
  for (std::string_view ext : {"col", "COL"}) {
    const std::string colorPath = emdColorPath(design.path, ext);
    if (colorPath.empty()) break;
    if (std::optional<ByteBuffer> block = codec.readFileBlock(colorPath)) {
      std::string_view text(reinterpret_cast<const char*>(block->data()), block->size());
      if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
      applyEmdColors(design, text);
      break;
    }
  }
  return ReadResult::Ok;
}

}  // namespace lh
