#include "formats/pes_reader.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "formats/pec.h"
#include "threads/pec_palette.h"
#include "threads/thread_charts.h"

namespace lh {

namespace {

// Offsets inside a PEC block.
constexpr std::size_t kPlacementAt = 36;
constexpr std::size_t kStitchLengthAt = 514;
constexpr std::size_t kCursorBase = 517;   // stitch cursors count from here
constexpr std::size_t kFirstCursor = 11;
// A PEC block spans 740 + 228 x N + L bytes (headers, design picture, colour pictures).
constexpr std::size_t kBlockFixed = 740;
// After the PEC blocks of a version 50 file: 128 bytes per design, 144 per colour block.
constexpr std::size_t kIndexBlockSize = 128;
constexpr std::size_t kLabelSize = 144;

struct PecBlockInfo {
  std::size_t colors = 0;
  std::uint32_t length = 0;
  std::size_t records = 0;
};

// The value of the decimal digits at `from` (at most `count` of them), stopping at the first
// other character.
int decimalAt(ByteSpan file, std::size_t from, std::size_t count) {
  int v = 0;
  for (std::size_t i = from; i < file.size() && i < from + count; ++i) {
    if (file[i] < '0' || file[i] > '9') break;
    v = v * 10 + (file[i] - '0');
  }
  return v;
}

// The number written in decimal at the start of a text (0 when none).
int leadingNumber(std::string_view text) {
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    v = v * 10 + (c - '0');
    if (v > 1000000) break;
  }
  return v;
}

std::uint32_t u24At(ByteSpan file, std::size_t at) {
  ByteReader in(file);
  if (!in.seek(at)) return 0;
  const std::uint32_t v = in.u24le();
  return in.good() ? v : 0;
}

std::string counted(ByteReader& in) {
  const std::uint8_t n = in.u8();
  return in.text(n);
}

// Reads the PEC block at p: its colour blocks, then its stitches, closed by a jump back to
// where the block started.
PecBlockInfo readPecBlock(EmbDesign& d, ByteSpan file, std::size_t p) {
  PecBlockInfo info;
  ByteReader head(file);
  info.colors = static_cast<std::size_t>(head.peek(p + kPecColorCountOffset)) + 1;
  std::array<std::uint8_t, 256> indexes{};
  for (std::size_t i = 0; i < info.colors; ++i) indexes[i] = head.peek(p + kPecColorListOffset + i);
  pecBlockColors(d, ByteSpan(indexes.data(), info.colors));

  info.length = u24At(file, p + kStitchLengthAt);
  if (file.size() < p + info.length || p + kCursorBase > file.size()) return info;
  const ByteSpan section = file.subspan(p + kCursorBase);
  const std::int64_t lastCursor = static_cast<std::int64_t>(info.length) - 4;
  const std::size_t before = d.stitches.size();
  d.stitches.reserve(before + info.length / 2);
  long sumX = 0, sumY = 0;
  std::size_t cursor = kFirstCursor;
  bool endByteLast = false;
  while (static_cast<std::int64_t>(cursor) <= lastCursor) {
    const bool atEndByte = cursor < section.size() && section[cursor] == kPecEndByte;
    const std::optional<Stitch> s = decodePecStitch(section, cursor);
    if (!s) break;
    endByteLast = atEndByte;
    d.stitches.push_back(*s);
    sumX += s->dx;
    sumY += s->dy;
  }
  info.records = d.stitches.size() - before;
  // The walk reads the end byte as a jump, which the closing below corrects; a section that
  // holds nothing else has no stitches.
  if (info.records == 1 && endByteLast) {
    d.stitches.pop_back();
    info.records = 0;
  }
  if (info.records == 0) {
    d.clear();
    return info;
  }
  Stitch& last = d.stitches.back();
  if (last.isJump()) {
    last.addMove(static_cast<int>(-sumX), static_cast<int>(-sumY));
  } else {
    d.stitches.push_back(Stitch(static_cast<int>(-sumX), static_cast<int>(-sumY), true));
  }
  return info;
}

// Turns a design for the hoop it was stored with (versions 40 and later).
void turnForHoop(EmbDesign& d, int w, int h) {
  if (w == 200 && h == 300) {
    d.hoopRotation = 1;
    d.rotateQuarter(1);
  } else if ((w == 300 && h == 200) || (w == 130 && h == 50) || (w == 60 && h == 40)) {
    // hoops used in their own orientation
  } else if (w > h) {
    d.hoopRotation = -1;
    d.rotateQuarter(-1);
  }
}

// Offset of the thread table's count when the computed place T does not hold it.
std::size_t locateThreadTable(ByteSpan file, std::size_t t, std::optional<std::size_t> colorList) {
  bool zeros = t >= 6;
  for (std::size_t i = 1; zeros && i <= 6; ++i) zeros = file[t - i] == 0;
  if (zeros) return t;
  auto find = [&](std::string_view key) -> std::optional<std::size_t> {
    if (file.size() < key.size()) return std::nullopt;
    for (std::size_t i = t; i + key.size() <= file.size(); ++i)
      if (std::memcmp(file.data() + i, key.data(), key.size()) == 0) return i;
    return std::nullopt;
  };
  std::optional<std::size_t> mark = find("CEmb");
  if (!mark) mark = find("CSew");
  if (!mark || !colorList || *colorList + 3 > file.size()) return t;
  const std::uint8_t* color = file.data() + *colorList;
  std::optional<std::size_t> found;
  for (std::size_t i = *mark; i-- > 0;) {
    if (i + 3 <= file.size() && std::memcmp(file.data() + i, color, 3) == 0) {
      found = i;
      break;
    }
  }
  if (!found) return t;
  for (std::size_t i = *found; i-- > 1;)
    if (file[i] == 0) return i - 1;
  return t;
}

// One thread record, its brand translated and its display name built; nothing when the file
// ends inside it.
std::optional<ThreadColor> readThreadRecord(ByteReader& in) {
  ThreadColor t;
  t.code = counted(in);
  const int r = in.u8(), g = in.u8(), b = in.u8();
  t.rgb = rgbOf(r, g, b);
  in.skip(1);
  t.threadType = in.i8();
  in.skip(3);
  t.colorName = counted(in);
  t.brand = counted(in);
  t.chartName = counted(in);
  if (!in.good()) return std::nullopt;

  const bool brandRead = !t.brand.empty();
  const PesBrand brand = translatePesBrand(t.brand);
  if (brand.kind != 0) {
    t.brand = std::string(brand.kept);
    t.chartCode = brand.chartCode;
  }
  std::string appliqueName;
  if (t.brand.empty() && t.chartName.empty()) {
    static constexpr std::string_view codes[] = {"100", "101", "102"};
    for (int k = 0; k < 3; ++k) {
      if (t.code == codes[k]) {
        t.chartCode = 62 + k;
        appliqueName = std::string(pecColorName(62 + k));
        t.displayName = appliqueName;
      }
    }
  }
  if (brand.kind >= 1 && brand.kind <= 3) {
    const std::string_view name = pecColorName(leadingNumber(t.colorName));
    t.displayName = brand.kind == 2 ? t.brand + " " + std::string(name) : std::string(name);
  } else {
    std::string name = appliqueName;
    auto add = [&](const std::string& part, bool present) {
      if (!present) return;
      if (!name.empty()) name += ' ';
      name += part;
    };
    add(t.brand, brandRead);
    add(t.code, !t.code.empty());
    add(t.colorName, !t.colorName.empty());
    t.displayName = std::move(name);
  }
  return t;
}

// The block's colour from its brand chart, matched by catalogue code.
void lookUpBrandChart(ThreadColor& block) {
  static constexpr std::pair<std::string_view, Chart> charts[] = {
      {"MA Polyneon", Chart::MaPolyneon}, {"SU RAYON", Chart::SulkyRayon}, {"MA RAYON", Chart::MaRayon},
      {"RA RAYON", Chart::RaRayon},       {"RA Polyester", Chart::RaPoly}, {"ISACORD", Chart::Isacord},
      {"Guterman Dekor", Chart::GuDekor},
  };
  if (block.code.empty()) return;
  for (const auto& [brand, chart] : charts) {
    if (!equalsNoCase(block.brand, brand)) continue;
    for (const ThreadColor& row : chartRows(chart)) {
      if (equalsNoCase(row.code, block.code)) {
        block.rgb = row.rgb;
        break;
      }
    }
    return;
  }
}

// Version 50 and later: the thread table, the blocks mapped onto it through the colour list,
// and the brand chart colours.
void readThreads(EmbDesign& d, ByteSpan file, std::size_t t, std::optional<std::size_t> colorList) {
  d.fileThreads.clear();
  ByteReader in(file);
  if (!in.seek(locateThreadTable(file, t, colorList))) return;
  const int count = in.i16le();
  for (int i = 0; i < count && in.good(); ++i) {
    std::optional<ThreadColor> rec = readThreadRecord(in);
    if (!rec) break;
    rec->attributes.setInt("threadIndex", i);
    d.fileThreads.push_back(std::move(*rec));
  }

  if (!d.fileThreads.empty() && colorList && *colorList < file.size()) {
    auto entryOf = [&](std::uint32_t rgb) -> const ThreadColor* {
      for (const ThreadColor& e : d.fileThreads)
        if (e.rgb == rgb) return &e;
      return nullptr;
    };
    std::size_t at = *colorList;
    for (std::size_t i = 0; i < d.threads.size() && at + 3 <= file.size(); ++i, at += 3) {
      const std::uint32_t rgb = rgbOf(file[at], file[at + 1], file[at + 2]);
      const ThreadColor* entry = entryOf(rgb);
      if (i == 0 && entry == nullptr) break;
      ThreadColor& block = d.threads[i];
      block.rgb = rgb;
      if (entry != nullptr) {
        block = *entry;
        continue;
      }
      static constexpr std::string_view names[] = {"Applique Mat.", "Applique Pos.", "Applique"};
      static constexpr std::string_view codes[] = {"100", "101", "102"};
      for (int k = 0; k < 3; ++k) {
        if (equalsNoCase(block.displayName, names[k])) {
          block.chartCode = 62 + k;
          block.displayName = std::string(codes[k]);
          block.brand = "EMBROIDERY";
          block.attributes.setInt("threadIndex", 10);
          break;
        }
      }
    }
  }
  for (ThreadColor& block : d.threads) lookUpBrandChart(block);
}

// Version 40 and later: the five texts and the hoop; version 50 and later go on to the
// thread table. Returns the offset of the thread table's count (0 when the file ends first).
std::size_t readHeaderFields(EmbDesign& d, ByteSpan file, int version) {
  ByteReader in(file, 16);
  d.name = counted(in);
  d.category = counted(in);
  d.author = counted(in);
  d.keywords = counted(in);
  d.comments = counted(in);
  in.skip(version >= 60 ? 4 : 2);
  const int w = in.i16le();
  const int h = in.i16le();
  if (!in.good()) return 0;
  d.hoopWidth = w;
  d.hoopHeight = h;
  turnForHoop(d, w, h);
  if (version < 50) return 0;
  in.skip(version >= 60 ? 12 : 2);
  in.skip(16);
  counted(in);
  in.skip(24 + 6);
  return in.good() ? in.pos() : 0;
}

}  // namespace

PesBrand translatePesBrand(std::string_view brand) {
  static constexpr struct {
    std::string_view read;
    PesBrand brand;
  } table[] = {
      {"EMBROIDERY", {"Embroidery", ChartEmbroidery, 1}},
      {"COUNTRY", {"Country", ChartCountry, 2}},
      {"Option Color", {"PES v.4 Color", ChartEmbroidery, 3}},
      {"Flesh Tone(EMBROIDERY)", {"Flesh Tone", ChartFleshTone, 4}},
      {"SU RAYON", {"Sulky Rayon", ChartSulkyRayon, 5}},
      {"MA RAYON", {"Madeira Rayon", ChartMadeiraRayon, 6}},
      {"MA Polyneon", {"Madeira Poly", ChartMadeiraPoly, 7}},
      {"RA RAYON", {"RA Rayon", ChartRaRayon, 8}},
      {"RA Polyester", {"RA Poly", ChartRaPoly, 9}},
      {"ISACORD", {"Isacord", ChartIsacord, 10}},
      {"GU Dekor", {"Guterman Dekor", ChartGutermannDekor, 11}},
  };
  for (const auto& row : table)
    if (equalsNoCase(brand, row.read)) return row.brand;
  return {};
}

ReadResult readPes(DesignCodec& /*codec*/, EmbDesign& design, ByteSpan file) {
  if (file.size() < kPesMinimumSize) return ReadResult::Failed;
  design.stitches.clear();
  design.threads.clear();
  design.fileThreads.clear();
  design.hoopWidth = design.hoopHeight = 0;  // a reused design must not keep another file's hoop

  std::size_t p = 0;
  bool isPes = false;
  if (std::memcmp(file.data(), "#PES", 4) == 0) {
    isPes = true;
    p = u24At(file, 8);
  } else if (std::memcmp(file.data(), "#PEC", 4) == 0) {
    p = 8;
  } else {
    return ReadResult::Failed;
  }
  const int version = decimalAt(file, 4, 4);
  const std::size_t designs = isPes && version >= 25 ? file[12] : 1;

  Stitch previousEnd;
  int previousPlacement = 1;  // neither above (0) nor below (2)
  PecBlockInfo last;
  std::size_t lastP = p;
  for (std::size_t i = 0; i < designs; ++i) {
    if (p >= file.size()) return ReadResult::Failed;
    const std::size_t first = design.stitches.size() + (designs > 1 && i > 0 ? 1 : 0);
    if (designs > 1 && i > 0) design.stitches.push_back(Stitch(0, 0, false, true));
    last = readPecBlock(design, file, p);
    if (last.records == 0 || design.stitches.empty()) return ReadResult::Failed;
    Stitch end = design.stitches.back();
    design.stitches.pop_back();
    end.setColorChange(false);
    if (designs > 1) {
      if (design.stitches.size() == first) design.stitches.push_back(Stitch(0, 0, true));
      const int placement = file.size() > p + kPlacementAt ? file[p + kPlacementAt] : 0;
      int dy = previousEnd.dy;
      if (placement == 0) dy += kPesPlacementOffset;
      if (placement == 2) dy -= kPesPlacementOffset;
      if (previousPlacement == 0) dy -= kPesPlacementOffset;
      if (previousPlacement == 2) dy += kPesPlacementOffset;
      design.stitches[first].addMove(previousEnd.dx, dy);
      previousEnd = end;
      previousPlacement = placement;
    }
    lastP = p;
    p += kBlockFixed + kPecPictureSize * last.colors + last.length;
  }

  design.mergeJumps(true);
  design.centreDesign(EmbDesign::kNone);
  design.hoopRotation = 0;
  design.pesVersion = version;
  if (!isPes) return ReadResult::Ok;

  if (version == 20 || (version >= 25 && version <= 39)) {
    ByteReader in(file, version == 20 ? 12 : 16);
    const int w = in.i16le();
    const int h = in.i16le();
    design.hoopWidth = w;
    design.hoopHeight = h;
    if (w > h) {
      design.hoopRotation = -1;
      design.rotateQuarter(-1);
    }
  } else if (version >= 40) {
    const std::size_t t = readHeaderFields(design, file, version);
    if (version >= 50 && t != 0) {
      std::optional<std::size_t> colorList;
      if (designs > 0) {
        colorList = lastP + kBlockFixed + kPecPictureSize * last.colors + last.length +
                     kLabelSize * design.threads.size() + kIndexBlockSize * designs;
      }
      readThreads(design, file, t, colorList);
    }
  }
  return ReadResult::Ok;
}

}  // namespace lh
