// The expander of HUS and VIP streams: per block it reads the three Huffman tables, then
// replays literals and matches through the sliding window into the output.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "formats/hus_codec.h"
#include "formats/hus_stream.h"

namespace lh::hus {

namespace {

// MSB-first bit source over a byte span. Reads past the end supply zero bits; how many
// bytes that took is counted as if the bits came through a 16-bit look-ahead buffer filled
// one byte at a time, which is what the stop rule counts.
class BitInput {
 public:
  explicit BitInput(ByteSpan data) : data_(data) { refill(); }

  std::uint32_t peek16() {
    if (count_ < 16) refill();
    return static_cast<std::uint32_t>(buf_ >> 48);
  }
  void drop(int n) {
    buf_ <<= n;
    count_ -= n;
    consumed_ += static_cast<std::uint64_t>(n);
  }
  std::uint32_t get(int n) {
    if (n == 0) return 0;
    if (count_ < n) refill();
    auto v = static_cast<std::uint32_t>(buf_ >> (64 - n));
    drop(n);
    return v;
  }
  // Byte fetches past the end of the input so far.
  std::uint64_t exhaustions() const {
    std::uint64_t fetched = (consumed_ + 16 + 7) / 8;
    return fetched > data_.size() ? fetched - data_.size() : 0;
  }

 private:
  void refill() {
    while (count_ <= 56) {
      std::uint64_t b = next_ < data_.size() ? data_[next_] : 0;
      ++next_;
      buf_ |= b << (56 - count_);
      count_ += 8;
    }
  }

  ByteSpan data_;
  std::size_t next_ = 0;
  std::uint64_t buf_ = 0;  // valid bits left-aligned
  int count_ = 0;
  std::uint64_t consumed_ = 0;
};

// A canonical Huffman decoder: a direct lookup of the first `tableBits` bits and, for longer
// codes, a walk over the canonical first codes of each length.
class HuffDecoder {
 public:
  HuffDecoder(int alphabet, int tableBits)
      : alphabet_(alphabet),
        tableBits_(tableBits),
        fast_(std::size_t{1} << tableBits),
        sorted_(static_cast<std::size_t>(alphabet)) {}

  // A code in which `symbol` is the only one and takes no bits.
  bool setSingle(int symbol) {
    if (symbol < 0 || symbol >= alphabet_) return false;
    single_ = symbol;
    return true;
  }

  // Builds the code from lengths[0..alphabet); fails unless the lengths fill the code space
  // exactly.
  bool build(const std::uint8_t* lengths) {
    single_ = -1;
    std::array<int, kMaxCodeLen + 1> count{};
    for (int s = 0; s < alphabet_; ++s) {
      if (lengths[s] > kMaxCodeLen) return false;
      ++count[lengths[s]];
    }
    std::uint32_t kraft = 0;
    for (int len = 1; len <= kMaxCodeLen; ++len)
      kraft += static_cast<std::uint32_t>(count[static_cast<std::size_t>(len)]) << (kMaxCodeLen - len);
    if (kraft != (1u << kMaxCodeLen)) return false;

    std::uint32_t code = 0;
    int index = 0;
    for (int len = 1; len <= kMaxCodeLen; ++len) {
      const auto L = static_cast<std::size_t>(len);
      first_[L] = code;
      firstIndex_[L] = index;
      count_[L] = count[L];
      index += count[L];
      code = (code + static_cast<std::uint32_t>(count[L])) << 1;
    }
    std::array<int, kMaxCodeLen + 1> fill = firstIndex_;
    for (int s = 0; s < alphabet_; ++s)
      if (lengths[s]) sorted_[static_cast<std::size_t>(fill[lengths[s]]++)] = static_cast<std::uint16_t>(s);

    std::fill(fast_.begin(), fast_.end(), 0u);
    for (int len = 1; len <= kMaxCodeLen; ++len) {
      const auto L = static_cast<std::size_t>(len);
      for (int j = 0; j < count_[L]; ++j) {
        const std::uint32_t c = first_[L] + static_cast<std::uint32_t>(j);
        const std::uint32_t symbol = sorted_[static_cast<std::size_t>(firstIndex_[L] + j)];
        if (len <= tableBits_) {
          const std::uint32_t from = c << (tableBits_ - len);
          const std::uint32_t to = (c + 1) << (tableBits_ - len);
          for (std::uint32_t e = from; e < to; ++e)
            fast_[e] = (symbol << 5) | static_cast<std::uint32_t>(len);
        }
        // Longer codes leave their prefix entries at 0: "look further".
      }
    }
    return true;
  }

  // Decodes one symbol; -1 only if the code were incomplete, which build() rules out.
  int decode(BitInput& in) const {
    if (single_ >= 0) return single_;
    const std::uint32_t bits = in.peek16();
    const std::uint32_t e = fast_[bits >> (16 - tableBits_)];
    if (e & 31u) {
      in.drop(static_cast<int>(e & 31u));
      return static_cast<int>(e >> 5);
    }
    for (int len = tableBits_ + 1; len <= kMaxCodeLen; ++len) {
      const auto L = static_cast<std::size_t>(len);
      const std::uint32_t c = bits >> (16 - len);
      if (c - first_[L] < static_cast<std::uint32_t>(count_[L])) {
        in.drop(len);
        return sorted_[static_cast<std::size_t>(firstIndex_[L]) + (c - first_[L])];
      }
    }
    return -1;
  }

 private:
  int alphabet_;
  int tableBits_;
  int single_ = -1;
  std::vector<std::uint32_t> fast_;  // symbol << 5 | length, 0 for longer codes
  std::vector<std::uint16_t> sorted_;
  std::array<std::uint32_t, kMaxCodeLen + 1> first_{};
  std::array<int, kMaxCodeLen + 1> firstIndex_{};
  std::array<int, kMaxCodeLen + 1> count_{};
};

class Expander {
 public:
  Expander(int level, ByteSpan input, ByteBuffer& output, std::size_t maxOutput)
      : window_(HusCodec::windowSize(level), 0),
        mask_(HusCodec::windowSize(level) - 1),
        in_(input),
        out_(output),
        room_(maxOutput),
        cCode_(kNC, 12),
        tCode_(kNT, 8),
        pCode_(kNP, 8) {}

  HusCodec::Status run() {
    std::uint32_t blockLeft = 0;
    std::size_t b = 0;
    const std::size_t w = window_.size();
    std::uint8_t* win = window_.data();
    while (in_.exhaustions() < kMaxExhaustions) {
      // A block that claims no symbols holds none: the next header follows.
      while (blockLeft == 0 && in_.exhaustions() < kMaxExhaustions) {
        blockLeft = in_.get(16);
        if (!readShortLengths(tCode_, kNT, kTBit, kSpecialPosition) || !readSymbolLengths() ||
            !readShortLengths(pCode_, kNP, kPBit, kNoSpecial))
          return finish(b, HusCodec::Status::BadTable);
      }
      if (blockLeft == 0) break;
      --blockLeft;
      const int c = cCode_.decode(in_);
      if (c < 0) return finish(b, HusCodec::Status::BadTable);
      if (c < 256) {
        win[b++] = static_cast<std::uint8_t>(c);
        if (b == w) {
          if (!flush(b)) return HusCodec::Status::OutputFull;
          b = 0;
        }
        continue;
      }
      if (c == kEndOfStream) break;
      std::size_t length = static_cast<std::size_t>(c - kLengthBase);
      const int k = pCode_.decode(in_);
      if (k < 0) return finish(b, HusCodec::Status::BadTable);
      const std::size_t v = k == 0 ? 0 : ((std::size_t{1} << (k - 1)) | in_.get(k - 1));
      std::size_t from = (b - v - 1) & mask_;
      while (length > 0) {
        // Byte by byte: the source may overlap the bytes being written.
        std::size_t n = std::min(length, w - b);
        length -= n;
        while (n--) {
          win[b++] = win[from];
          from = (from + 1) & mask_;
        }
        if (b == w) {
          if (!flush(b)) return HusCodec::Status::OutputFull;
          b = 0;
        }
      }
    }
    return finish(b, HusCodec::Status::Ok);
  }

 private:
  // Writes out the partly filled window and returns `status` (or OutputFull).
  HusCodec::Status finish(std::size_t b, HusCodec::Status status) {
    return flush(b) ? status : HusCodec::Status::OutputFull;
  }

  // Appends window[0..n) within the output limit; false when it did not all fit.
  bool flush(std::size_t n) {
    const std::size_t take = std::min(n, room_);
    out_.insert(out_.end(), window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(take));
    room_ -= take;
    return take == n;
  }

  // One length of a short length list: 3 bits, and when they are 7 one more per 1 bit.
  int readShortLength() {
    int len = static_cast<int>(in_.get(3));
    if (len == 7) {
      while (in_.get(1)) {
        if (++len > kMaxCodeLen) return -1;
      }
    }
    return len;
  }

  bool readShortLengths(HuffDecoder& code, int alphabet, int nbit, int special) {
    const int n = static_cast<int>(in_.get(nbit));
    if (n == 0) return code.setSingle(static_cast<int>(in_.get(nbit)));
    if (n > alphabet) return false;
    std::array<std::uint8_t, kNT> lengths{};
    int i = 0;
    while (i < n) {
      const int len = readShortLength();
      if (len < 0) return false;
      lengths[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(len);
      if (i == special) {
        int zeros = static_cast<int>(in_.get(2));
        while (zeros-- > 0 && i < alphabet) lengths[static_cast<std::size_t>(i++)] = 0;
      }
    }
    return code.build(lengths.data());
  }

  bool readSymbolLengths() {
    const int n = static_cast<int>(in_.get(kCBit));
    if (n == 0) return cCode_.setSingle(static_cast<int>(in_.get(kCBit)));
    std::array<std::uint8_t, kNC> lengths{};
    int i = 0;
    while (i < n) {
      const int t = tCode_.decode(in_);
      if (t < 0) return false;
      if (t > 2) {
        lengths[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(t - 2);
        continue;
      }
      const int zeros = t == 0   ? 1
                        : t == 1 ? static_cast<int>(in_.get(4)) + 3
                                 : static_cast<int>(in_.get(kCBit)) + 20;
      if (i + zeros > kNC) return false;  // a run past the alphabet
      i += zeros;                         // lengths are already zero
    }
    return cCode_.build(lengths.data());
  }

  std::vector<std::uint8_t> window_;
  std::size_t mask_;
  BitInput in_;
  ByteBuffer& out_;
  std::size_t room_;
  HuffDecoder cCode_;
  HuffDecoder tCode_;
  HuffDecoder pCode_;
};

}  // namespace

HusCodec::Status expandStream(int level, ByteSpan input, ByteBuffer& output, std::size_t maxOutput) {
  Expander expander(level, input, output, maxOutput);
  return expander.run();
}

}  // namespace lh::hus
