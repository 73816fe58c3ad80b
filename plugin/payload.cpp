// The design payload and its thread text.
#include "plugin/payload.h"

#include <algorithm>
#include <limits>

#include "design/design_limits.h"
#include "formats/format_table.h"
#include "threads/thread_charts.h"

namespace lh {

namespace {

constexpr std::size_t kHeaderBounds = 4 * 4;  // maxX, maxY, minX, minY
constexpr std::size_t kInt32Max = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// `text` up to its first NUL and at most `limit` bytes, backing off rather than ending inside
// a UTF-8 sequence.
std::string_view cutText(std::string_view text, std::size_t limit) {
  text = text.substr(0, text.find('\0'));
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
  std::size_t lead = end;
  while (lead > 0 && end - lead < 3 && continuation(lead)) --lead;
  const auto first = static_cast<unsigned char>(text[lead]);
  const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
  // A lead byte at `lead` whose sequence runs past the cut is left out whole.
  if (lead < end && length > 1 && lead + length > end) end = lead;
  return text.substr(0, end);
}

void writeCString(ByteWriter& w, std::string_view text) {
  w.text(text.substr(0, text.find('\0')));
  w.u8(0);
}

void writeThreadEntry(ByteWriter& w, const ThreadColor& t) {
  w.u32le(static_cast<std::uint32_t>(t.stitchCount));
  w.u32le(static_cast<std::uint32_t>(clampToInt32(t.threadLength)));
  w.u32le(t.rgb);
  w.u32le(static_cast<std::uint32_t>(t.chartCode));
  const std::string_view name = cutText(t.displayName, kDisplayNameLimit);
  w.text(name);
  w.fill(0, kDisplayNameBytes - name.size());
}

void writeStitchEntry(ByteWriter& w, const Stitch& s) {
  w.u8(s.flags);
  w.u16le(static_cast<std::uint16_t>(s.dx));
  w.u16le(static_cast<std::uint16_t>(s.dy));
}

void writeBounds(ByteWriter& w, const EmbDesign& design, PayloadSide side) {
  std::int64_t maxX = design.maxX, maxY = design.maxY, minX = design.minX, minY = design.minY;
  if (side == PayloadSide::Plugin) {
    const Bounds64 b = measureBounds(design.stitches);
    maxX = b.maxX, maxY = b.maxY, minX = b.minX, minY = b.minY;
  }
  for (std::int64_t v : {maxX, maxY, minX, minY}) w.u32le(static_cast<std::uint32_t>(clampToInt32(v)));
}

// A NUL-terminated text from the reader's position; nothing when the block has no NUL.
std::optional<std::string> readCString(ByteReader& r) {
  const ByteSpan rest = r.bytes(r.remaining());
  const auto nul = std::find(rest.begin(), rest.end(), std::uint8_t{0});
  if (nul == rest.end()) return std::nullopt;
  const auto length = static_cast<std::size_t>(nul - rest.begin());
  r.seek(r.pos() - rest.size() + length + 1);
  return std::string(rest.begin(), nul);
}

ThreadColor readThreadEntry(ByteReader& r) {
  ThreadColor t;
  t.stitchCount = r.i32le();
  t.threadLength = r.i32le();
  t.rgb = r.u32le();
  t.chartCode = r.i32le();
  const ByteSpan name = r.bytes(kDisplayNameBytes);
  t.displayName.assign(name.begin(), std::find(name.begin(), name.end(), std::uint8_t{0}));
  return t;
}

// Everything a design payload carries, read before any of it reaches the design.
struct DecodedDesign {
  std::int32_t kind = 0, modified = 0;
  std::string path;
  std::int32_t maxX = 0, maxY = 0, minX = 0, minY = 0;
  std::vector<ThreadColor> threads;
  std::vector<Stitch> stitches;
  std::string text;
};

// A count that is negative or whose entries cannot fit what remains yields nothing.
std::optional<std::size_t> fittingCount(std::int32_t count, std::size_t entrySize, std::size_t remaining) {
  if (count < 0) return std::nullopt;
  const auto n = static_cast<std::uint64_t>(count);
  if (n * entrySize > remaining) return std::nullopt;
  return static_cast<std::size_t>(n);
}

PayloadRead readStitches(ByteReader& r, DecodedDesign& out) {
  if (!r.has(4)) return PayloadRead::Partial;
  const std::int32_t count = r.i32le();
  if (count < 0) return PayloadRead::Refused;
  const std::size_t whole = r.remaining() / kStitchEntrySize;
  const std::size_t n = std::min(static_cast<std::size_t>(count), whole);
  out.stitches.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    Stitch s;
    s.flags = static_cast<std::uint8_t>(r.u8() & kPayloadFlagMask);
    s.dx = r.i16le();
    s.dy = r.i16le();
    out.stitches.push_back(s);
  }
  return n == static_cast<std::size_t>(count) ? PayloadRead::Whole : PayloadRead::Partial;
}

// The fixed part up to and including the thread entries; nothing when it is not whole.
std::optional<DecodedDesign> readDesignHead(ByteReader& r) {
  DecodedDesign d;
  if (!r.has(8)) return std::nullopt;
  d.kind = r.i32le();
  d.modified = r.i32le();
  auto path = readCString(r);
  if (!path || !r.has(kHeaderBounds + 4)) return std::nullopt;
  d.path = std::move(*path);
  d.maxX = r.i32le();
  d.maxY = r.i32le();
  d.minX = r.i32le();
  d.minY = r.i32le();
  const std::int32_t count = r.i32le();
  const auto threads = fittingCount(count, kThreadEntrySize, r.remaining());
  if (!threads) return std::nullopt;
  d.threads.reserve(*threads);
  for (std::size_t i = 0; i < *threads; ++i) d.threads.push_back(readThreadEntry(r));
  return d;
}

PayloadRead worse(PayloadRead a, PayloadRead b) { return std::max(a, b); }

// The texts a thread text gives the threads, and the host's chart guess for PES threads
// whose texts did not arrive.
PayloadRead applyText(DecodedDesign& d, PayloadSide side) {
  if (d.threads.empty()) return PayloadRead::Whole;
  std::size_t named = 0;
  PayloadRead status = PayloadRead::Whole;
  if (!d.text.empty()) {
    if (const auto read = applyThreadText(d.text, d.threads)) {
      named = *read;
      if (named < d.threads.size()) status = PayloadRead::Partial;
    }
  }
  if (side == PayloadSide::Host && formatCodeOfKind(d.kind) == FormatPes)
    for (std::size_t i = named; i < d.threads.size(); ++i) guessChartFromName(d.threads[i]);
  d.text.clear();
  return status;
}

void commit(DecodedDesign&& d, EmbDesign& design) {
  design.payloadKind = d.kind;
  design.pesVersion = pesVersionOfKind(d.kind);
  design.modifiedFlag = d.modified;
  design.path = std::move(d.path);
  design.maxX = d.maxX;
  design.maxY = d.maxY;
  design.minX = d.minX;
  design.minY = d.minY;
  design.threads = std::move(d.threads);
  design.stitches = std::move(d.stitches);
  design.text = std::move(d.text);
}

// Two decimal digits at `at`, or nothing.
std::optional<std::size_t> twoDigits(std::string_view text, std::size_t at) {
  if (at + 2 > text.size()) return std::nullopt;
  const char a = text[at], b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
  return static_cast<std::size_t>((a - '0') * 10 + (b - '0'));
}

}  // namespace

int payloadFormatCode(std::string_view path) {
  const FormatInfo* f = findFormat(extensionOf(path));
  if (f == nullptr || f->code < FormatPes || f->code > FormatTxt) return FormatPes;
  return f->code;
}

std::int32_t payloadKindOf(const EmbDesign& design) {
  return clampToInt32(std::int64_t{design.pesVersion} * 100 + payloadFormatCode(design.path));
}

std::string threadText(std::span<const ThreadColor> threads) {
  std::string out(kThreadTextTag);
  for (const ThreadColor& t : threads) {
    for (const std::string* field : {&t.chartName, &t.brand, &t.code, &t.colorName}) {
      const std::string_view text = cutText(*field, kThreadTextFieldLimit);
      out += static_cast<char>('0' + text.size() / 10);
      out += static_cast<char>('0' + text.size() % 10);
      out += text;
    }
    out += '\n';
  }
  return out;
}

std::optional<std::size_t> applyThreadText(std::string_view text, std::span<ThreadColor> threads) {
  if (!text.starts_with(kThreadTextTag)) return std::nullopt;
  std::size_t at = kThreadTextTag.size();
  std::size_t done = 0;
  for (ThreadColor& t : threads) {
    std::string_view fields[4];
    for (std::string_view& field : fields) {
      const auto length = twoDigits(text, at);
      if (!length || at + 2 + *length > text.size()) return done;
      field = text.substr(at + 2, *length);
      at += 2 + *length;
    }
    t.chartName = fields[0];
    t.brand = fields[1];
    t.code = fields[2];
    t.colorName = fields[3];
    ++done;
    if (at >= text.size() || text[at] != '\n') break;
    ++at;
  }
  return done;
}

std::optional<ByteBuffer> writeDesignPayload(const EmbDesign& design, PayloadSide side) {
  const bool noThreads = design.threads.empty(), noStitches = design.stitches.empty();
  if (side == PayloadSide::Host ? noThreads && noStitches && design.text.empty() : noThreads || noStitches)
    return std::nullopt;
  if (design.threads.size() > kInt32Max || design.stitches.size() > kInt32Max) return std::nullopt;
  const std::string text = noThreads ? design.text : threadText(design.threads);
  ByteWriter w;
  w.reserve(8 + design.path.size() + 1 + kHeaderBounds + 8 + design.threads.size() * kThreadEntrySize +
            design.stitches.size() * kStitchEntrySize + text.size() + 1);
  w.u32le(static_cast<std::uint32_t>(payloadKindOf(design)));
  w.u32le(static_cast<std::uint32_t>(side == PayloadSide::Plugin ? 1 : design.modifiedFlag));
  writeCString(w, design.path);
  writeBounds(w, design, side);
  w.u32le(static_cast<std::uint32_t>(design.threads.size()));
  for (const ThreadColor& t : design.threads) writeThreadEntry(w, t);
  w.u32le(static_cast<std::uint32_t>(design.stitches.size()));
  for (const Stitch& s : design.stitches) writeStitchEntry(w, s);
  writeCString(w, text);
  return w.take();
}

PayloadRead readDesignPayload(ByteSpan block, EmbDesign& design, PayloadSide side) {
  ByteReader r(block);
  std::optional<DecodedDesign> d = readDesignHead(r);
  if (!d) return PayloadRead::Refused;
  PayloadRead status = readStitches(r, *d);
  if (status == PayloadRead::Refused) return status;
  if (status == PayloadRead::Whole && !r.atEnd()) {
    const std::size_t textStart = r.pos();
    if (auto text = readCString(r)) {
      d->text = std::move(*text);
    } else {
      r.seek(textStart);
      d->text = r.text(r.remaining());
      status = PayloadRead::Partial;
    }
  }
  status = worse(status, applyText(*d, side));
  commit(std::move(*d), design);
  return status;
}

}  // namespace lh
