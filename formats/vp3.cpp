#include "formats/vp3.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "threads/format_palettes.h"
#include "threads/thread_charts.h"

namespace lh {

namespace {

// ---- Layout constants --------------------------------------------------------------------

constexpr std::string_view kProducer = "Produced by VSM Software Ltd";
// Fixed byte groups of the layout; their meaning is not used here.
constexpr std::array<std::uint8_t, 2> kAfterProducer{0x02, 0x00};
constexpr std::array<std::uint8_t, 6> kAfterColorCount{0x0C, 0x00, 0x01, 0x00, 0x03, 0x00};
constexpr std::array<std::uint8_t, 4> kAfterExtents{0x00, 0x00, 0x64, 0x64};
constexpr std::array<std::uint8_t, 23> kHeaderGroup{0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                    0x78, 0x78, 0x50, 0x50, 0x01, 0x00, 0x00};
constexpr std::array<std::uint8_t, 2> kBlockSeparator{0x00, 0x00};
constexpr std::array<std::uint8_t, 2> kBlockTag{0x05, 0x00};
constexpr std::array<std::uint8_t, 3> kBeforeDataLength{0x00, 0x01, 0x00};
constexpr std::array<std::uint8_t, 3> kDataPrefix{0x0A, 0xF6, 0x00};
constexpr std::size_t kHeaderZeros = 11;

constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kLongOn = 0x01;
constexpr std::uint8_t kLongOff = 0x02;
constexpr std::uint8_t kTrimCode = 0x03;

// Reader offsets: where the header block's variable fields sit relative to the design block,
// and where the next design section's colour count sits relative to the end of a section.
constexpr std::size_t kHeaderSkipField = 67;
constexpr std::size_t kHeaderSkipBase = 93;
constexpr std::size_t kBlockStart = 7;
constexpr std::size_t kBlockRgbCount = 15;
constexpr std::size_t kNeedleEndAndGroup = 11;
constexpr std::size_t kSectionMinRemaining = 69;
constexpr std::size_t kSectionSkipField = 69;
constexpr std::size_t kSectionSkipBase = 71;
constexpr std::size_t kTailBytes = 18;

std::string indexedKey(std::string_view base, int i) { return std::string(base) + std::to_string(i); }

// ---- Reading -----------------------------------------------------------------------------

std::string readText(ByteReader& in) {
  const std::size_t length = in.u16be();
  const ByteSpan s = in.bytes(length);
  return std::string(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(std::min(s.size(), kVp3MaxText)));
}

void appendPart(std::string& out, const std::string& part) {
  if (part.empty()) return;
  if (!out.empty()) out += ' ';
  out += part;
}

// The thread description of a colour block; `in` stands at the block header. False when the
// description runs past the end of the file.
bool readThread(ByteReader& in, ThreadColor& t) {
  const std::size_t header = in.pos();
  if (!in.seek(header + kBlockRgbCount)) return false;
  int rgbCount = in.u8();
  if (rgbCount > kVp3MaxRgbEntries) rgbCount = 1;
  const int smoothing = in.u8();
  t.attributes.setInt("RGB Count", rgbCount);
  t.attributes.setInt("VarSmooth", smoothing);
  for (int i = 0; i < rgbCount; ++i) {
    const int r = in.u8(), g = in.u8(), b = in.u8();
    const int divisor = in.u8();
    const int length = in.u16be();
    t.rgb = rgbOf(r, g, b);
    t.attributes.setInt(indexedKey("RGB", i), static_cast<std::int32_t>(t.rgb));
    t.attributes.setInt(indexedKey("VarDiv", i), divisor);
    t.attributes.setInt(indexedKey("VarLen", i), length);
    // A zero divisor states no length per millimetre.
    if (rgbCount > 1 && divisor != 0) t.attributes.setInt(indexedKey("VarLenMM", i), length * 10 / divisor);
  }
  t.attributes.setInt("Material", in.u8());
  t.attributes.setInt("Weight", in.u8());
  t.code = readText(in);
  t.colorName = readText(in);
  t.brand = readText(in);
  appendPart(t.displayName, t.brand);
  appendPart(t.displayName, t.code);
  appendPart(t.displayName, t.colorName);
  return in.good();
}

// Decodes one block's stitch data [begin, end) onto the design's records.
void decodeStitches(const std::uint8_t* p, const std::uint8_t* end, std::vector<Stitch>& out) {
  bool longRecords = false;
  while (p < end) {
    const std::ptrdiff_t left = end - p;
    if (p[0] == kEscape) {
      if (left < 2) break;
      if (p[1] == kLongOn) {
        longRecords = true;
      } else if (p[1] == kLongOff) {
        longRecords = false;
      } else if (p[1] == kTrimCode) {
        out.push_back(Stitch::withFlags(Trim));
      }
      p += 2;
    } else if (longRecords) {
      if (left < 4) break;
      const int dx = static_cast<std::int16_t>((p[0] << 8) | p[1]);
      const int dy = static_cast<std::int16_t>((p[2] << 8) | p[3]);
      out.emplace_back(dx, -dy, true);
      p += 4;
    } else {
      if (left < 2) break;
      out.emplace_back(static_cast<std::int8_t>(p[0]), -static_cast<std::int8_t>(p[1]));
      p += 2;
    }
  }
}

// Where the reader stands: the running needle position over the records read so far, and the
// frame the current design section places its blocks in.
class Placement {
 public:
  explicit Placement(std::vector<Stitch>& records) : records_(records) {}

  // The running position after every record appended so far.
  std::pair<long long, long long> position() {
    for (; summed_ < records_.size(); ++summed_) {
      x_ += records_[summed_].dx;
      y_ += records_[summed_].dy;
    }
    return {x_, y_};
  }

  // Appends a jump that brings the running position to (x, y), unless it is there already.
  void jumpTo(long long x, long long y) {
    const auto [ax, ay] = position();
    if (ax == x && ay == y) return;
    records_.emplace_back(clampMove(x - ax), clampMove(y - ay), true);
  }

  // The first block of a section starts at (sectionX, 0); its header start becomes the
  // section's reference.
  void startSection(int sectionX, Point headerStart) {
    jumpTo(sectionX, 0);
    originX_ = sectionX;
    originY_ = 0;
    reference_ = headerStart;
  }

  // Later blocks start where their header puts them relative to the section's first block
  // (micrometres, Y up). Files whose stitch data already leads there get no extra record.
  void startBlock(Point headerStart) {
    jumpTo(originX_ + micrometresToUnits(static_cast<long long>(headerStart.x) - reference_.x),
           originY_ + micrometresToUnits(static_cast<long long>(headerStart.y) - reference_.y));
  }

 private:
  static long long micrometresToUnits(long long um) {
    return um >= 0 ? (um + 50) / 100 : -((-um + 50) / 100);
  }
  static int clampMove(long long v) { return static_cast<int>(std::clamp(v, -32767LL, 32767LL)); }

  std::vector<Stitch>& records_;
  std::size_t summed_ = 0;
  long long x_ = 0, y_ = 0;
  long long originX_ = 0, originY_ = 0;
  Point reference_;
};

// Reads the colour block whose header starts at q and moves q past its stitch data. False
// when the block's description runs past the end of the file.
bool readBlock(ByteSpan file, std::size_t& q, EmbDesign& design, Placement& place, bool sectionStart,
               int sectionX) {
  ByteReader in(file);
  if (!in.seek(q + kBlockStart)) return false;
  const int startX = in.i32be();
  const int startY = in.i32be();
  in.seek(q);
  ThreadColor t;
  if (!readThread(in, t)) return false;
  const bool firstColor = design.threads.empty();
  design.threads.push_back(std::move(t));
  if (!firstColor) design.stitches.push_back(Stitch::withFlags(ColorChange));
  if (sectionStart) {
    place.startSection(sectionX, {startX, startY});
  } else {
    place.startBlock({startX, startY});
  }
  in.skip(kNeedleEndAndGroup);
  const std::uint64_t length = in.u32be();
  if (!in.good()) return false;
  const std::uint64_t dataEnd = std::min<std::uint64_t>(in.pos() + length, file.size());
  const std::size_t dataStart =
      std::min<std::size_t>(in.pos() + kDataPrefix.size(), static_cast<std::size_t>(dataEnd));
  decodeStitches(file.data() + dataStart, file.data() + dataEnd, design.stitches);
  q = static_cast<std::size_t>(dataEnd);
  return true;
}

// Reads the colour blocks of every design section, the first section's colour count being
// `colors` with its first block at q. Stops where a block runs past the end of the file.
void readSections(ByteSpan file, std::size_t q, std::size_t colors, EmbDesign& design) {
  ByteReader in(file);
  Placement place(design.stitches);
  for (int section = 0;; ++section) {
    for (std::size_t c = 0; c < colors; ++c) {
      if (!readBlock(file, q, design, place, c == 0, section == 0 ? 0 : kVp3LaterSectionX)) return;
      if (c + 1 < colors) ++q;
    }
    if (q + kSectionMinRemaining > file.size()) return;
    in.seek(q + kSectionSkipField);
    q += in.u16be() + kSectionSkipBase;
    if (!in.good() || q + kTailBytes >= file.size()) return;
    in.seek(q);
    colors = in.u16be();
    q += 2;
  }
}

// ---- Writing -----------------------------------------------------------------------------

// Long stitches become jumps followed by a stitch on the spot, and the records are given the
// shapes the stitch data can carry: a trim never moves and never changes colour, and a colour
// change does not move. A colour change's move becomes a jump at the head of the new block,
// so that each block's data starts where its header places the block.
std::vector<Stitch> prepareRecords(const std::vector<Stitch>& records) {
  std::vector<Stitch> out;
  out.reserve(records.size() + records.size() / 8 + 2);
  out.push_back(Stitch::withFlags(Trim));
  for (Stitch s : records) {
    s.flags &= ColorChange | Jump | Trim;
    if (s.isTrim()) {
      // The trim first; a move it carried sews nothing, so it goes on as a jump.
      out.push_back(Stitch::withFlags(Trim));
      s.setTrim(false);
      if (s.isZeroMove() && !s.isColorChange()) continue;
      if (!s.isZeroMove()) s.setJump(true);
    }
    if (s.isColorChange() && !s.isZeroMove()) {
      out.push_back(Stitch::withFlags(ColorChange));
      s.setColorChange(false);
      s.setJump(true);
    }
    out.push_back(s);
    if ((std::abs(s.dx) > kVp3MaxShortMove || std::abs(s.dy) > kVp3MaxShortMove) && !s.isJump()) {
      // Long moves are written as jumps: a stitch keeps its penetration at the end point.
      out.back().setJump(true);
      out.push_back(Stitch());
    }
  }
  return out;
}

struct ColorEntry {
  std::uint32_t rgb = 0;
  int divisor = 0;
  int length = 0;
};

struct ThreadDescription {
  std::vector<ColorEntry> entries;
  int smoothing = 0;
  int material = kVp3DefaultMaterial;
  int weight = kVp3DefaultWeight;
  std::string code, colorName, brand;
};

// The colour entries a thread read from a VP3 file carries, when they still describe it: a
// colour changed since (by a tool that keeps the block's attributes) no longer matches its
// last entry and is written like any other colour.
bool vp3Entries(const ThreadColor& t, ThreadDescription& d) {
  const auto count = t.attributes.getInt("RGB Count");
  if (!count || *count < 1 || *count > kVp3MaxRgbEntries) return false;
  for (int i = 0; i < *count; ++i) {
    ColorEntry e;
    const auto rgb = t.attributes.getInt(indexedKey("RGB", i));
    e.rgb = rgb ? static_cast<std::uint32_t>(*rgb) & 0xFFFFFF : t.rgb;
    e.divisor = t.attributes.getInt(indexedKey("VarDiv", i)).value_or(0);
    e.length = t.attributes.getInt(indexedKey("VarLen", i)).value_or(0);
    d.entries.push_back(e);
  }
  return d.entries.back().rgb == t.rgb;
}

ThreadDescription describe(const ThreadColor& t) {
  ThreadDescription d;
  if (vp3Entries(t, d)) {
    d.smoothing = t.attributes.getInt("VarSmooth").value_or(0);
    d.material = t.attributes.getInt("Material").value_or(kVp3DefaultMaterial);
    d.weight = t.attributes.getInt("Weight").value_or(kVp3DefaultWeight);
    d.code = t.code;
    d.colorName = t.colorName;
    d.brand = t.brand;
    return d;
  }
  const ThreadColor chart = resolveVp3Thread(t);
  d.entries.assign(1, ColorEntry{chart.rgb, 0, 0});
  d.material = chart.attributes.getInt("Material").value_or(kVp3DefaultMaterial);
  d.code = chart.code;
  d.colorName = chart.colorName;
  d.brand = chart.brand;
  return d;
}

void putBytes(ByteWriter& out, std::span<const std::uint8_t> bytes) { out.bytes(bytes); }
void putI32(ByteWriter& out, long long v) {
  out.u32be(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
}

void putProducer(ByteWriter& out) {
  out.u8(static_cast<unsigned>(kProducer.size() * 2));
  out.u8(0);
  for (char c : kProducer) {
    out.u8(static_cast<unsigned char>(c));
    out.u8(0);
  }
}

void putText(ByteWriter& out, const std::string& s) {
  const std::size_t n = std::min<std::size_t>(s.size(), 0xFFFF);
  out.u16be(static_cast<unsigned>(n));
  out.text(std::string_view(s).substr(0, n));
}

// Half the extent on one axis in micrometres, and the block-start offset c of the layout.
struct Axis {
  long long half;
  long long centre;
};
Axis axisOf(int maxV, int minV) {
  if (maxV > 0 && minV < 0)
    return {static_cast<long long>(maxV - minV) * 50, static_cast<long long>(maxV) + minV};
  return {static_cast<long long>(maxV) * 50, maxV};
}

class StitchEncoder {
 public:
  explicit StitchEncoder(ByteWriter& out) : out_(out) {}
  int escapes() const { return escapes_; }

  // Writes one record; true when it ends the colour block.
  bool put(const Stitch& s) {
    if (s.isColorChange()) {
      setLong(false);
    } else if (s.isTrim()) {
      escape(kTrimCode);
      return false;
    } else if (s.isJump()) {
      setLong(true);
    } else {
      setLong(false);
    }
    if (long_) {
      out_.u16be(static_cast<std::uint16_t>(s.dx));
      out_.u16be(static_cast<std::uint16_t>(-s.dy));
    } else {
      out_.u8(static_cast<std::uint8_t>(s.dx));
      out_.u8(static_cast<std::uint8_t>(-s.dy));
    }
    return s.isColorChange();
  }

 private:
  void escape(std::uint8_t code) {
    out_.u8(kEscape);
    out_.u8(code);
    ++escapes_;
  }
  void setLong(bool on) {
    if (on == long_) return;
    escape(on ? kLongOn : kLongOff);
    long_ = on;
  }

  ByteWriter& out_;
  bool long_ = false;
  int escapes_ = 0;
};

}  // namespace

ReadResult readVp3(DesignCodec& /*codec*/, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  ByteReader in(file);
  if (!in.seek(6)) return ReadResult::Failed;
  const std::size_t producerLength = in.u16be();
  if (!in.seek(15 + producerLength)) return ReadResult::Failed;
  const std::size_t keywordLength = std::min<std::size_t>(in.u16be(), kVp3MaxKeywordBytes);
  const ByteSpan keywords = in.bytes(keywordLength);
  if (!in.good()) return ReadResult::Failed;
  design.attributes.set("vp3keywords", std::vector<std::uint8_t>(keywords.begin(), keywords.end()));

  // Step over the header block's variable parts to the colour count.
  std::size_t p = in.pos();
  in.seek(p + kHeaderSkipField);
  p += in.u16be() + kHeaderSkipBase;
  in.seek(p);
  p += in.u16be() + 2;
  in.seek(p);
  std::size_t colors = in.u16be();
  if (!in.good()) return ReadResult::Failed;
  std::size_t q = p + 2;

  design.stitches.reserve(file.size() / 2);
  readSections(file, q, colors, design);
  if (design.threads.empty()) return ReadResult::Failed;
  design.stitches.shrink_to_fit();
  design.computeBlockStats();
  design.computeBounds(EmbDesign::kNone);
  design.centreDesign(EmbDesign::kNone);
  return ReadResult::Ok;
}

std::optional<ByteBuffer> writeVp3(DesignCodec& /*codec*/, EmbDesign& design) {
  if (design.stitches.empty()) return std::nullopt;
  design.stitches = prepareRecords(design.stitches);
  const std::size_t blocks = design.colorChangeCount() + 1;
  if (blocks > kVp3MaxColors) return std::nullopt;
  // Every colour block needs a thread: extra blocks repeat the last one.
  if (design.threads.empty()) design.threads.emplace_back();
  while (design.threads.size() < blocks) design.threads.push_back(design.threads.back());
  design.computeBounds(EmbDesign::kNone);
  design.computeBlockStats();

  const Axis ax = axisOf(design.maxX, design.minX);
  const Axis ay = axisOf(design.maxY, design.minY);

  ByteWriter out;
  out.reserve(design.stitches.size() * 2 + blocks * 128 + 256);
  putBytes(out, kVp3Signature);
  putProducer(out);
  putBytes(out, kAfterProducer);
  const std::size_t designLengthAt = out.size();
  out.u32be(0);
  const std::size_t designStart = out.size();
  out.u16be(0);  // no keywords
  putI32(out, ax.half);
  putI32(out, ay.half);
  putI32(out, -ax.half);
  putI32(out, -ay.half);
  const std::size_t countAt = out.size();
  out.u32be(0);
  out.u16be(static_cast<unsigned>(blocks));
  putBytes(out, kAfterColorCount);
  const std::size_t headerLengthAt = out.size();
  out.u32be(0);
  const std::size_t headerStart = out.size();
  out.fill(0, kHeaderZeros);
  putI32(out, -ax.half);
  putI32(out, ax.half);
  putI32(out, -ay.half);
  putI32(out, ay.half);
  putI32(out, 2 * ax.half);
  putI32(out, 2 * ay.half);
  putBytes(out, kAfterExtents);
  putBytes(out, kHeaderGroup);
  putProducer(out);
  out.u16le(static_cast<unsigned>(blocks));

  StitchEncoder encoder(out);
  std::size_t next = 0;
  for (std::size_t b = 0; b < blocks; ++b) {
    const ThreadColor& t = design.threads[b];
    const ThreadDescription d = describe(t);
    if (b > 0) putBytes(out, kBlockSeparator);
    putBytes(out, kBlockTag);
    const std::size_t blockLengthAt = out.size();
    out.u32be(0);
    const std::size_t blockStart = out.size();
    putI32(out, static_cast<long long>(t.startX) * 100 - ax.centre * 50);
    putI32(out, static_cast<long long>(t.startY) * 100 - ay.centre * 50);
    out.u8(static_cast<unsigned>(d.entries.size()));
    out.u8(static_cast<unsigned>(d.smoothing));
    for (const ColorEntry& e : d.entries) {
      out.u8(static_cast<unsigned>(redOf(e.rgb)));
      out.u8(static_cast<unsigned>(greenOf(e.rgb)));
      out.u8(static_cast<unsigned>(blueOf(e.rgb)));
      out.u8(static_cast<unsigned>(e.divisor));
      out.u16be(static_cast<unsigned>(e.length));
    }
    out.u8(static_cast<unsigned>(d.material));
    out.u8(static_cast<unsigned>(d.weight));
    putText(out, d.code);
    putText(out, d.colorName);
    putText(out, d.brand);
    const auto end = t.attributes.getPoint("NeedleEnds").value_or(std::pair{t.startX, t.startY});
    putI32(out, static_cast<long long>(end.first - t.startX) * 100);
    putI32(out, static_cast<long long>(end.second - t.startY) * 100);
    putBytes(out, kBeforeDataLength);
    const std::size_t dataLengthAt = out.size();
    out.u32be(0);
    const std::size_t dataStart = out.size();
    putBytes(out, kDataPrefix);
    while (next < design.stitches.size())
      if (encoder.put(design.stitches[next++])) break;
    out.u32beAt(dataLengthAt, static_cast<std::uint32_t>(out.size() - dataStart));
    out.u32beAt(blockLengthAt, static_cast<std::uint32_t>(out.size() - blockStart + 1));
  }
  out.u32beAt(headerLengthAt, static_cast<std::uint32_t>(out.size() - headerStart + 1));
  out.u32beAt(designLengthAt, static_cast<std::uint32_t>(out.size() - designStart + 1));
  out.u32beAt(countAt,
              static_cast<std::uint32_t>(design.stitches.size() +
                                         2 * static_cast<std::size_t>(encoder.escapes()) + blocks - 1));
  out.u8(0);
  return out.take();
}

// ---- Thread resolution -------------------------------------------------------------------

namespace {

enum class Brand { None, Madeira, Sulky, Isafil, Isacord, RobisonAnton, Stickma, Alcazar };

struct ThreadLine {
  Chart chart;
  std::string_view text;
  std::size_t codeWidth;
};

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool contains(std::string_view s, std::string_view p) { return s.find(p) != std::string_view::npos; }

Brand brandOf(std::string_view n) {
  Brand b = Brand::None;
  if (startsWith(n, "MA") || contains(n, "MADEIRA")) b = Brand::Madeira;
  if (startsWith(n, "SU") || contains(n, "SULKY")) b = Brand::Sulky;
  if (contains(n, "ISAFIL")) b = Brand::Isafil;
  if (contains(n, "ISACORD")) b = Brand::Isacord;
  if (startsWith(n, "RA") || startsWith(n, "R-A") || contains(n, "ROBISON")) b = Brand::RobisonAnton;
  if (contains(n, "STICKMA")) b = Brand::Stickma;
  if (contains(n, "ALCAZAR")) b = Brand::Alcazar;
  return b;
}

ThreadLine lineOf(Brand brand, bool poly) {
  switch (brand) {
    case Brand::Madeira:
      return poly ? ThreadLine{Chart::MadeiraPoly, "Madeira Poly Neon 40", 4}
                  : ThreadLine{Chart::MadeiraRayon, "Madeira Rayon 40", 4};
    case Brand::Sulky:
      return {Chart::SulkyRayonNamed, "Sulky Rayon 40", 4};
    case Brand::Isafil:
      return {Chart::IsafilRayon, "Isafil Rayon 40", 4};
    case Brand::Isacord:
      return {Chart::IsacordPoly, "Icord Poly 40", 4};
    case Brand::RobisonAnton:
      return poly ? ThreadLine{Chart::RaPolyNamed, "Robison-Anton Poly 40", 4}
                  : ThreadLine{Chart::RaRayonNamed, "Robison-Anton Rayon 40", 4};
    case Brand::Stickma:
      return {Chart::StickmaPoly, "Stickma", 5};
    case Brand::Alcazar:
      return {Chart::AlcazarRayon, "Alcazar", 3};
    case Brand::None:
      break;
  }
  return {Chart::RaPolyNamed, "Robison-Anton Poly 40", 4};
}

}  // namespace

ThreadColor resolveVp3Thread(const ThreadColor& color) {
  std::string n = color.displayName;
  for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const Brand brand = brandOf(n);
  int material = kVp3DefaultMaterial;
  if (contains(n, "POLY")) material = kVp3PolyMaterial;
  if (contains(n, "RAYON")) material = kVp3DefaultMaterial;
  const ThreadLine line = lineOf(brand, material == kVp3PolyMaterial);

  const std::span<const ThreadColor> rows = chartRows(line.chart);
  if (rows.empty()) return color;
  // Among equally near rows the later one wins; an exact match ends the search.
  int best = 10000;
  std::size_t found = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int d = channelDistance(color.rgb, rows[i].rgb);
    if (d <= best) {
      best = d;
      found = i;
      if (d == 0) break;
    }
  }
  ThreadColor result = rows[found];
  result.brand = std::string(line.text);
  const std::string& name = result.displayName;
  result.code = name.substr(name.size() - std::min(line.codeWidth, name.size()));
  result.attributes.setInt("Material", material);
  return result;
}

}  // namespace lh
