#include "formats/hus_codec.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>

#include "tests/support/stitch_bytes.h"

namespace lh {
namespace {

constexpr std::size_t kNoLimit = std::size_t{1} << 30;

ByteBuffer bytesOf(std::string_view s) { return ByteBuffer(s.begin(), s.end()); }

ByteBuffer randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  ByteBuffer b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

// Symbol i occurring about fib(i) times, shuffled: skewed enough to need codes longer than
// 12 bits and to hit the 16-bit length limit.
ByteBuffer skewedBytes() {
  ByteBuffer b;
  std::uint32_t f0 = 1, f1 = 1;
  for (int sym = 0; sym < 22; ++sym) {
    b.insert(b.end(), f0, static_cast<std::uint8_t>(sym * 11));
    const std::uint32_t f2 = f0 + f1;
    f0 = f1;
    f1 = f2;
  }
  std::shuffle(b.begin(), b.end(), std::mt19937(3));
  return b;
}

// MSB-first bit writer for building streams by hand.
class Bits {
 public:
  Bits& put(int n, std::uint32_t v) {
    for (int i = n - 1; i >= 0; --i) bits_.push_back(((v >> i) & 1u) != 0);
    return *this;
  }
  Bits& put(std::string_view pattern) {
    for (char c : pattern)
      if (c == '0' || c == '1') bits_.push_back(c == '1');
    return *this;
  }
  ByteBuffer bytes() const {
    ByteBuffer out((bits_.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits_.size(); ++i)
      if (bits_[i]) out[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
    return out;
  }

 private:
  std::vector<bool> bits_;
};

struct Expanded {
  HusCodec::Status status;
  ByteBuffer bytes;
};

Expanded expand(int level, const ByteBuffer& stream, std::size_t limit = kNoLimit) {
  HusCodec codec;
  Expanded e;
  e.status = codec.expand(level, stream, e.bytes, limit);
  return e;
}

ByteBuffer compress(int level, const ByteBuffer& input) {
  HusCodec codec;
  ByteBuffer out;
  EXPECT_EQ(codec.compress(level, input, out), HusCodec::Status::Ok);
  return out;
}

struct RoundTripCase {
  const char* name;
  ByteBuffer input;
};

std::vector<RoundTripCase> roundTripCases() {
  ByteBuffer allValues(256);
  std::iota(allValues.begin(), allValues.end(), 0);
  ByteBuffer farRepeat = randomBytes(20000, 9);  // repeats at every distance up to 16 K
  for (std::size_t i = 0; i < 3000; ++i) farRepeat.push_back(farRepeat[i * 5 % 17000]);
  const std::string text =
      "Few programs write these files at all; machines read them from cards and sticks. "
      "The quick brown fox jumps over the lazy dog, and the lazy dog jumps back again. ";
  std::string longText;
  for (int i = 0; i < 60; ++i) longText += text.substr(static_cast<std::size_t>(i) % 40) + std::to_string(i * i);
  return {
      {"empty", {}},
      {"one byte", {0x42}},
      {"two bytes", {0x80, 0x80}},
      {"run of 0x80", ByteBuffer(1000, 0x80)},
      {"long run", ByteBuffer(70000, 0)},
      {"all byte values", allValues},
      {"random", randomBytes(5000, 1)},
      {"random across blocks", randomBytes(40000, 2)},
      {"text", bytesOf(longText)},
      {"skewed frequencies", skewedBytes()},
      {"far repeats", farRepeat},
      {"stitch-like 100 KB", test::stitchLikeBytes(100 * 1024)},
  };
}

TEST(HusCodec, RoundTripsEveryInputAtEveryLevelAndDecodesAtLevel4) {
  for (const auto& c : roundTripCases()) {
    for (int level = HusCodec::kMinLevel; level <= HusCodec::kMaxLevel; ++level) {
      SCOPED_TRACE(std::string(c.name) + " at level " + std::to_string(level));
      const ByteBuffer stream = compress(level, c.input);
      const Expanded same = expand(level, stream);
      EXPECT_EQ(same.status, HusCodec::Status::Ok);
      EXPECT_EQ(same.bytes, c.input);
      if (level != HusCodec::kReadLevel) {
        const Expanded wide = expand(HusCodec::kReadLevel, stream);
        EXPECT_EQ(wide.status, HusCodec::Status::Ok);
        EXPECT_EQ(wide.bytes, c.input);
      }
    }
  }
}

TEST(HusCodec, CompressesRepetitiveStitchDataWell) {
  const ByteBuffer input = test::stitchLikeBytes(100 * 1024);
  EXPECT_LT(compress(HusCodec::kWriteLevel, input).size(), input.size() / 4);
}

TEST(HusCodec, EmptyInputIsTheSevenByteStream) {
  const ByteBuffer stream = compress(0, {});
  EXPECT_EQ(stream, (ByteBuffer{0x00, 0x01, 0x00, 0x00, 0x1F, 0xE0, 0x00}));
  const Expanded e = expand(4, stream);
  EXPECT_EQ(e.status, HusCodec::Status::Ok);
  EXPECT_TRUE(e.bytes.empty());
}

TEST(HusCodec, RunOfCommandBytesIsOneLiteralThenDistanceOneMatches) {
  const ByteBuffer stream = compress(0, ByteBuffer(1000, 0x80));
  // Block symbol count: the literal, matches of 256, 256, 256 and 231 bytes, end of stream.
  ASSERT_GE(stream.size(), 2u);
  EXPECT_EQ(stream[0], 0x00);
  EXPECT_EQ(stream[1], 0x06);
  EXPECT_LT(stream.size(), 30u);
}

// "ABC" with four codes of length 2: code lengths sent through the code-length alphabet
// (runs of zeros as symbol 2 with 9 extra bits), no distances.
TEST(HusCodec, DecodesHandBuiltLiteralStream) {
  Bits b;
  b.put(16, 4);                                     // symbols in block
  b.put("00101 000 000 001 01 001");                // code-length code: t2 and t4 of length 1
  b.put(9, 511);                                    // literal/length code lengths
  b.put("0").put(9, 65 - 20).put("1 1 1");          // 65 zeros, then 65..67 of length 2
  b.put("0").put(9, 510 - 68 - 20).put("1");        // zeros up to 510, which has length 2
  b.put("00000 00000");                             // no distance classes
  b.put("00 01 10 11").put(7, 0);                   // A B C, end
  const Expanded e = expand(4, b.bytes());
  EXPECT_EQ(e.status, HusCodec::Status::Ok);
  EXPECT_EQ(e.bytes, bytesOf("ABC"));
}

// All literals of length 9 (code 1 followed by the byte), match length 3 and end of stream
// of length 2, one distance class sent as a single symbol.
ByteBuffer literalsThenMatch(const ByteBuffer& literals, int distanceClass, std::uint32_t extra) {
  Bits b;
  b.put(16, static_cast<std::uint32_t>(literals.size() + 2));
  // Code-length code: t11 (length 9) '0', t2 '10', t4 (length 2) '11'.
  b.put("01100 000 000 010 01 010 000 000 000 000 000 000 001");
  b.put(9, 511);
  for (int i = 0; i < 256; ++i) b.put("0");
  b.put("11");                      // 256 (match of 3)
  b.put("10").put(9, 253 - 20);     // 257..509 absent
  b.put("11");                      // 510
  b.put(5, 0).put(5, static_cast<std::uint32_t>(distanceClass));
  for (std::uint8_t v : literals) b.put("1").put(8, v);
  b.put("00");
  if (distanceClass > 1) b.put(distanceClass - 1, extra);
  b.put("01").put(7, 0);
  return b.bytes();
}

TEST(HusCodec, DecodesHandBuiltMatches) {
  // "ABCD" then a match of 3 at distance 4 (value 3: class 2, one extra bit 1).
  const Expanded near = expand(4, literalsThenMatch(bytesOf("ABCD"), 2, 1));
  EXPECT_EQ(near.status, HusCodec::Status::Ok);
  EXPECT_EQ(near.bytes, bytesOf("ABCDABC"));

  // 1024 bytes then a match at distance 1024 (value 1023: class 10 with 9 extra bits), read
  // with the 1024-byte window (the source wraps round the ring) and with the widest one.
  ByteBuffer lead(1024);
  for (std::size_t i = 0; i < lead.size(); ++i) lead[i] = static_cast<std::uint8_t>(i * 7 + 3);
  ByteBuffer want = lead;
  want.insert(want.end(), lead.begin(), lead.begin() + 3);
  for (int level : {0, 1, 4}) {
    const Expanded far = expand(level, literalsThenMatch(lead, 10, 1023 - 512));
    EXPECT_EQ(far.status, HusCodec::Status::Ok) << level;
    EXPECT_EQ(far.bytes, want) << level;
  }
}

TEST(HusCodec, RejectsBadCodeLengthSets) {
  struct Case {
    const char* name;
    Bits bits;
  };
  const Case cases[] = {
      {"incomplete code-length code", Bits().put(16, 1).put("00010 001 000")},
      {"oversubscribed code-length code", Bits().put(16, 1).put("00011 001 001 001 00")},
      {"code length above 16", Bits().put(16, 1).put("00001 111 1111111111 0")},
      {"count beyond the code-length alphabet", Bits().put(16, 1).put("10100")},
      {"single code-length symbol out of range", Bits().put(16, 1).put("00000 11001")},
      {"zero run past the alphabet", Bits().put(16, 1).put("00000 00010").put(9, 511).put(9, 400).put(9, 400)},
      {"single literal/length symbol out of range", Bits().put(16, 1).put("00000 00000").put(9, 0).put(9, 511)},
      {"all literal/length lengths zero", Bits().put(16, 1).put("00000 00000").put(9, 5)},
      {"single distance class out of range", Bits().put(16, 1).put("00000 00000").put(9, 0).put(9, 65).put("00000 11111")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bits padded = c.bits;
    padded.put(32, 0);
    EXPECT_EQ(expand(4, padded.bytes()).status, HusCodec::Status::BadTable);
  }
}

TEST(HusCodec, BadLevelIsRefusedWithItsMessage) {
  for (int level : {-1, 5, 14}) {
    HusCodec codec;
    ByteBuffer out;
    EXPECT_EQ(codec.expand(level, ByteBuffer{1, 2, 3}, out, kNoLimit), HusCodec::Status::BadLevel);
    EXPECT_EQ(codec.message(), "Incorrect compression level parameter passed to compressor.  Compression level = " +
                                   std::to_string(level - 10));
    EXPECT_EQ(codec.compress(level, ByteBuffer{1, 2, 3}, out), HusCodec::Status::BadLevel);
    EXPECT_EQ(codec.message(), "Incorrect compression level parameter passed to compressor.  Compression level = " +
                                   std::to_string(level - 10));
    EXPECT_TRUE(out.empty());
  }
}

TEST(HusCodec, TruncatedStreamYieldsAPrefixAndStops) {
  const ByteBuffer input = test::stitchLikeBytes(30000);
  const ByteBuffer stream = compress(0, input);
  for (std::size_t cut : {stream.size() / 3, stream.size() / 2, stream.size() - 3}) {
    SCOPED_TRACE(cut);
    const Expanded e = expand(4, ByteBuffer(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_EQ(e.status, HusCodec::Status::Ok);
    // Bytes decoded from real bits agree; what the zero padding decodes to follows.
    std::size_t same = 0;
    while (same < e.bytes.size() && e.bytes[same] == input[same]) ++same;
    EXPECT_GT(same, cut);
    EXPECT_GE(same + 8192, e.bytes.size());
  }
  // Cut inside the first block header: the tables may come out bad, but decoding stops.
  for (std::size_t cut : {0, 1, 2, 9}) {
    const Expanded e = expand(4, ByteBuffer(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_TRUE(e.status == HusCodec::Status::Ok || e.status == HusCodec::Status::BadTable) << cut;
    EXPECT_LE(e.bytes.size(), 0x10000u * 256) << cut;
  }
  EXPECT_TRUE(expand(4, {}).bytes.empty());
}

TEST(HusCodec, OutputNeverExceedsTheLimit) {
  const ByteBuffer input = test::stitchLikeBytes(50000);
  const ByteBuffer stream = compress(0, input);
  for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{16383}, std::size_t{16384}, std::size_t{49999}}) {
    const Expanded e = expand(4, stream, limit);
    EXPECT_EQ(e.status, HusCodec::Status::OutputFull) << limit;
    EXPECT_EQ(e.bytes, ByteBuffer(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(limit)));
  }
  EXPECT_EQ(expand(4, stream, input.size()).status, HusCodec::Status::Ok);
}

// A block of one literal symbol with a zero-length code claims 65535 symbols: the limit, not
// the claim, bounds the output.
TEST(HusCodec, ClaimedSymbolCountIsBoundedByTheLimit) {
  const ByteBuffer stream = Bits().put(16, 0xFFFF).put("00000 00000").put(9, 0).put(9, 'x').put("00000 00000").bytes();
  const Expanded e = expand(4, stream, 1000);
  EXPECT_EQ(e.status, HusCodec::Status::OutputFull);
  EXPECT_EQ(e.bytes, ByteBuffer(1000, 'x'));
}

TEST(HusCodec, GarbageNeverReadsOrWritesOutOfBounds) {
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    const ByteBuffer junk = randomBytes(1 + rng() % 400, static_cast<unsigned>(i));
    const Expanded e = expand(static_cast<int>(rng() % 5), junk, 70000);
    EXPECT_LE(e.bytes.size(), 70000u);
  }
}

}  // namespace
}  // namespace lh
