#include "formats/hus_vip.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "design/design_limits.h"
#include "formats/hus_codec.h"
#include "formats/jump_landing.h"
#include "threads/format_palettes.h"

namespace lh {

namespace {

constexpr std::size_t kStreamSlack = 500;  // decoded stream room beyond the record count

constexpr std::size_t kHeaderSize = 42;    // both formats; the HUS colour table follows it
constexpr std::size_t kVipColorArea = 46;  // after the header and the colour area's offset
constexpr std::size_t kVipTrailerSize = 6;

constexpr int kHusLargestIndex = 28;  // palette indexes above it read as index 0
constexpr int kMaxMove = 127;         // one signed byte per move
constexpr int kVipMaxStitch = 120;

constexpr std::uint8_t kCmdBase = 0x80;
constexpr std::uint8_t kCmdJump = 0x01;
constexpr std::uint8_t kCmdColorChange = 0x04;
constexpr std::uint8_t kCmdJumpNext = 0x02 | 0x08;  // HUS: the next record is a jump

constexpr std::string_view kCaption = "Loomhall";

// The VIP key, generated at build time from data/vip-key.txt.
constexpr std::uint8_t kVipKey[] = {
#include "formats/vip_key.inc"
};

const HusqvarnaThreadType kThreadTypes[] = {
    {1, Chart::MadeiraRayon, 4}, {2, Chart::SulkyRayonNamed, 4}, {3, Chart::IsafilRayon, 4},
    {4, Chart::RaRayonNamed, 4}, {5, Chart::RaPolyNamed, 4},     {6, Chart::StickmaPoly, 5},
    {7, Chart::MadeiraPoly, 4},  {8, Chart::IsacordPoly, 4},     {9, Chart::AlcazarRayon, 3},
};
constexpr int kDefaultThreadType = 2;

struct Streams {
  ByteBuffer commands, xs, ys;
};

struct StreamOffsets {
  std::uint32_t commands = 0, xs = 0, ys = 0;
};

// Expands one stream into a zeroed buffer of records + slack bytes. The stream is the bytes
// from `from` to `to` (cut at the end of the file); offsets out of order or past the file
// are a failing stream.
bool expandStream(ByteSpan file, std::size_t from, std::size_t to, std::uint32_t records, ByteBuffer& out) {
  to = std::min(to, file.size());
  if (from > to) return false;
  ByteBuffer decoded;
  HusCodec codec;
  if (codec.expand(HusCodec::kReadLevel, file.subspan(from, to - from), decoded, records + kStreamSlack) !=
      HusCodec::Status::Ok)
    return false;
  out.assign(records + kStreamSlack, 0);
  std::copy(decoded.begin(), decoded.end(), out.begin());
  return true;
}

// The three streams of a HUS or VIP file; on a failing stream the design is cleared and the
// message for that stream is shown.
bool expandStreams(DesignCodec& codec, EmbDesign& design, ByteSpan file, std::uint32_t records,
                   const StreamOffsets& at, Streams& s) {
  const char* failed = nullptr;
  if (!expandStream(file, at.commands, at.xs, records, s.commands))
    failed = ": Failure processing command data.";
  else if (!expandStream(file, at.xs, at.ys, records, s.xs))
    failed = ": Failure processing x-stitch data.";
  else if (!expandStream(file, at.ys, file.size(), records, s.ys))
    failed = ": Failure processing y-stitch data.";
  if (!failed) return true;
  const std::string path = design.path;
  design.clear();
  codec.messages().showMessage(path + failed, kCaption);
  return false;
}

StreamOffsets readOffsets(ByteReader& r) {
  r.seek(20);
  StreamOffsets at;
  at.commands = r.u32le();
  at.xs = r.u32le();
  at.ys = r.u32le();
  return at;
}

void finishRead(EmbDesign& design) {
  design.mergeJumps(false);
  design.classifyJumps();
  design.centreDesign(EmbDesign::kNone);
}

std::uint8_t moveByte(int v) { return static_cast<std::uint8_t>(static_cast<std::int8_t>(v)); }

void clampMove(Stitch& record, Stitch& excess) {
  const int cx = std::clamp<int>(record.dx, -kMaxMove, kMaxMove);
  const int cy = std::clamp<int>(record.dy, -kMaxMove, kMaxMove);
  excess = Stitch(record.dx - cx, record.dy - cy);
  record.setMove(cx, cy);
  record.setJump(true);
}

bool beyondByte(const Stitch& s) { return std::abs(s.dx) > kMaxMove || std::abs(s.dy) > kMaxMove; }

// The HUS record walk: a colour change with a move is split into a zero-move colour change
// and the move, a move beyond one byte becomes a jump followed by a record carrying the
// excess (a stitch or a jump as the record was), and a run of jumps ends in one landing
// stitch before the stitch after it (readers fold that record into the jumps). Records
// inserted are walked too. `onColorChange` runs once per colour change.
template <typename OnColorChange>
std::vector<Stitch> husRecords(const std::vector<Stitch>& in, OnColorChange onColorChange) {
  std::vector<Stitch> out;
  out.reserve(in.size() + in.size() / 8);
  for (Stitch r : in) {
    if (r.isColorChange()) {
      onColorChange();
      if (!r.isZeroMove()) {
        // The move sews nothing: it goes on as a jump.
        out.push_back(Stitch::withFlags(ColorChange));
        r.setColorChange(false);
        r.setJump(true);
      }
    }
    while (beyondByte(r)) {
      const bool wasJump = r.isJump();
      Stitch excess;
      clampMove(r, excess);
      excess.setJump(wasJump);
      out.push_back(r);
      r = excess;
    }
    out.push_back(r);
  }
  addJumpLandings(out);
  return out;
}

Streams buildStreams(const std::vector<Stitch>& records) {
  Streams s;
  s.commands.reserve(records.size());
  s.xs.reserve(records.size());
  s.ys.reserve(records.size());
  for (const Stitch& r : records) {
    std::uint8_t cmd = kCmdBase;
    if (r.isColorChange()) cmd |= kCmdColorChange;
    if (r.isJump()) cmd |= kCmdJump;
    s.commands.push_back(cmd);
    s.xs.push_back(moveByte(r.dx));
    s.ys.push_back(moveByte(r.dy));
  }
  return s;
}

struct Compressed {
  ByteBuffer commands, xs, ys;
};

bool compressStreams(const Streams& s, Compressed& c) {
  HusCodec codec;
  return codec.compress(HusCodec::kWriteLevel, s.commands, c.commands) == HusCodec::Status::Ok &&
         codec.compress(HusCodec::kWriteLevel, s.xs, c.xs) == HusCodec::Status::Ok &&
         codec.compress(HusCodec::kWriteLevel, s.ys, c.ys) == HusCodec::Status::Ok;
}

// Magic, counts, bounds and the three stream offsets, then ten zero bytes.
void writeHeader(ByteWriter& w, std::span<const std::uint8_t> magic, std::size_t records, std::size_t colors,
                 const EmbDesign& design, std::size_t commandsAt, const Compressed& c) {
  w.bytes(magic);
  w.u32le(static_cast<std::uint32_t>(records));
  w.u32le(static_cast<std::uint32_t>(colors));
  for (int v : {design.maxX, design.maxY, design.minX, design.minY}) w.u16le(static_cast<std::uint16_t>(v));
  w.u32le(static_cast<std::uint32_t>(commandsAt));
  w.u32le(static_cast<std::uint32_t>(commandsAt + c.commands.size()));
  w.u32le(static_cast<std::uint32_t>(commandsAt + c.commands.size() + c.xs.size()));
  w.fill(0, 10);
}

void writeStreams(ByteWriter& w, const Compressed& c) {
  w.bytes(c.commands);
  w.bytes(c.xs);
  w.bytes(c.ys);
}

std::uint8_t vipKeyAt(std::size_t i) { return i < std::size(kVipKey) ? kVipKey[i] : 0; }

}  // namespace

// ---------------------------------------------------------------------------------------

const HusqvarnaThreadType& husqvarnaThreadType(int number) {
  if (!isHusqvarnaThreadType(number)) number = kDefaultThreadType;
  return kThreadTypes[number - 1];
}

ChartColor nearestChartColor(std::uint32_t rgb, int threadType) {
  ChartColor best;
  int bestDistance = std::numeric_limits<int>::max();
  for (const ThreadColor& row : chartRows(husqvarnaThreadType(threadType).chart)) {
    const int d = channelDistance(rgb, row.rgb);
    if (d < bestDistance) {
      bestDistance = d;
      best = {row.displayName, row.rgb};
      if (d == 0) break;
    }
  }
  return best;
}

std::span<const std::uint8_t> vipColorKey() { return kVipKey; }

void scrambleVipColors(std::span<std::uint8_t> area) {
  std::uint8_t acc = 0;
  for (std::size_t i = 0; i < area.size(); ++i) {
    const std::uint8_t plain = area[i];
    area[i] = static_cast<std::uint8_t>(plain ^ vipKeyAt(i) ^ acc);
    acc ^= plain;
  }
}

void descrambleVipColors(std::span<std::uint8_t> area) {
  std::uint8_t acc = 0;
  for (std::size_t i = 0; i < area.size(); ++i) {
    const std::uint8_t plain = static_cast<std::uint8_t>(area[i] ^ vipKeyAt(i) ^ acc);
    area[i] = plain;
    acc ^= plain;
  }
}

// ---------------------------------------------------------------------------------------

ReadResult readHus(DesignCodec& codec, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  ByteReader r(file);
  r.seek(4);
  const std::uint32_t records = r.u32le();
  const std::uint32_t colors = r.u32le();
  if (records > kMaxDesignRecords || colors > kMaxHusColors) return ReadResult::Failed;
  // A file cut inside its header or colour table is not a design.
  if (file.size() < kHeaderSize + 2 * std::size_t{colors}) return ReadResult::Failed;
  const StreamOffsets at = readOffsets(r);

  for (std::uint32_t k = 0; k < colors; ++k) {
    const int index = file[kHeaderSize + 2 * k];
    design.threads.push_back(husqvarnaColor(index > kHusLargestIndex ? 0 : index));
  }

  Streams s;
  if (!expandStreams(codec, design, file, records, at, s)) return ReadResult::Failed;

  design.stitches.reserve(records);
  bool jumpNext = false;
  std::size_t block = 0;
  for (std::uint32_t i = 0; i < records; ++i) {
    const std::uint8_t cmd = s.commands[i];
    Stitch st(static_cast<std::int8_t>(s.xs[i]), static_cast<std::int8_t>(s.ys[i]));
    st.setJump((cmd & kCmdJump) || jumpNext);
    jumpNext = (cmd & kCmdJumpNext) != 0;
    // A colour change with no colour left to move on to is dropped.
    if ((cmd & kCmdColorChange) && block + 1 < design.threads.size()) {
      st.setColorChange(true);
      ++block;
    }
    design.stitches.push_back(st);
  }
  finishRead(design);
  return ReadResult::Ok;
}

ReadResult readVip(DesignCodec& codec, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  ByteReader r(file);
  r.seek(4);
  const std::uint32_t records = r.u32le();
  const std::uint32_t colors = r.u32le();
  if (colors > kMaxVipColors || records > kMaxDesignRecords) return ReadResult::Failed;
  const std::size_t typesAt = kVipColorArea + 4 * std::size_t{colors};
  if (file.size() < typesAt + 4 * std::size_t{colors}) return ReadResult::Failed;
  const StreamOffsets at = readOffsets(r);

  ByteBuffer area(file.begin() + kVipColorArea, file.begin() + static_cast<std::ptrdiff_t>(typesAt));
  descrambleVipColors(area);
  for (std::uint32_t k = 0; k < colors; ++k) {
    const std::uint32_t rgb = rgbOf(area[4 * k], area[4 * k + 1], area[4 * k + 2]);
    const int type = file[typesAt + 4 * k] + 1;
    design.threads.emplace_back(nearestChartColor(rgb, type).name, rgb, type);
  }

  Streams s;
  if (!expandStreams(codec, design, file, records, at, s)) return ReadResult::Failed;

  design.stitches.reserve(records);
  for (std::uint32_t i = 0; i < records; ++i) {
    const std::uint8_t cmd = s.commands[i];
    Stitch st(static_cast<std::int8_t>(s.xs[i]), static_cast<std::int8_t>(s.ys[i]));
    st.setJump(cmd & kCmdJump);
    st.setColorChange(cmd & kCmdColorChange);
    design.stitches.push_back(st);
  }
  finishRead(design);
  return ReadResult::Ok;
}

std::optional<ByteBuffer> writeHus(DesignCodec& codec, EmbDesign& design) {
  if (design.threads.empty()) {
    codec.messages().showMessage(design.path + ": Could not create HUS file due to lack of color information.",
                                 kCaption);
    return std::nullopt;
  }
  // One palette index per colour block: the first colour, then the next at every colour
  // change (the last colour again if the design has more blocks than colours).
  std::vector<std::uint16_t> indexes{static_cast<std::uint16_t>(nearestHusqvarnaIndex(design.threads[0].rgb))};
  const std::vector<Stitch> records = husRecords(design.stitches, [&] {
    const std::size_t k = std::min(indexes.size(), design.threads.size() - 1);
    indexes.push_back(static_cast<std::uint16_t>(nearestHusqvarnaIndex(design.threads[k].rgb)));
  });

  // Never write a file our own reader would refuse.
  if (indexes.size() > kMaxHusColors || records.size() > kMaxDesignRecords) return std::nullopt;
  Compressed c;
  if (!compressStreams(buildStreams(records), c)) return std::nullopt;
  // The streams follow the colour table actually written.
  const std::size_t commandsAt = kHeaderSize + 2 * indexes.size();
  ByteWriter w;
  w.reserve(commandsAt + c.commands.size() + c.xs.size() + c.ys.size());
  writeHeader(w, kHusMagic, records.size(), indexes.size(), design, commandsAt, c);
  for (std::uint16_t index : indexes) w.u16le(index);
  writeStreams(w, c);
  return w.take();
}

std::optional<ByteBuffer> writeVip(DesignCodec&, EmbDesign& design) {
  if (design.threads.empty() || design.stitches.empty()) return std::nullopt;
  const std::size_t colors = design.threads.size();

  // Every colour is snapped to its thread chart; a chart code that is no Husqvarna thread
  // type is written as the type of the chart the colour was snapped to (Sulky Rayon).
  ByteBuffer area(4 * colors, 0);
  ByteBuffer types(4 * colors, 0);
  for (std::size_t k = 0; k < colors; ++k) {
    ThreadColor& t = design.threads[k];
    const ChartColor snapped = nearestChartColor(t.rgb, t.chartCode);
    t.rgb = snapped.rgb;
    t.displayName = snapped.name;
    area[4 * k] = static_cast<std::uint8_t>(redOf(snapped.rgb));
    area[4 * k + 1] = static_cast<std::uint8_t>(greenOf(snapped.rgb));
    area[4 * k + 2] = static_cast<std::uint8_t>(blueOf(snapped.rgb));
    types[4 * k] = static_cast<std::uint8_t>(isHusqvarnaThreadType(t.chartCode) ? t.chartCode - 1 : kDefaultThreadType - 1);
  }
  scrambleVipColors(area);

  design.splitLongStitches(kVipMaxStitch, false, false);
  // The split's last piece of a very long move takes the rounding left over from the others
  // and can still be beyond a byte: it is cut again, every part a jump like the piece.
  std::vector<Stitch> records;
  records.reserve(design.stitches.size());
  for (Stitch r : design.stitches) {
    while (beyondByte(r)) {
      const bool wasJump = r.isJump();
      Stitch excess;
      clampMove(r, excess);
      excess.setJump(wasJump);
      records.push_back(r);
      r = excess;
    }
    records.push_back(r);
  }
  addJumpLandings(records);
  if (colors > kMaxVipColors || records.size() > kMaxDesignRecords) return std::nullopt;

  Compressed c;
  if (!compressStreams(buildStreams(records), c)) return std::nullopt;
  const std::size_t trailerAt = kVipColorArea + 8 * colors;
  const std::size_t commandsAt = trailerAt + kVipTrailerSize;
  ByteWriter w;
  w.reserve(commandsAt + c.commands.size() + c.xs.size() + c.ys.size());
  writeHeader(w, kVipMagic, records.size(), colors, design, commandsAt, c);
  w.u32le(static_cast<std::uint32_t>(trailerAt));
  w.bytes(area);
  w.bytes(types);
  w.u8(0x01);
  w.fill(0, kVipTrailerSize - 1);
  writeStreams(w, c);
  return w.take();
}

}  // namespace lh
