#include "formats/hus_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <queue>
#include <vector>

namespace lh {

namespace {

constexpr int kNC = 511;          // literals 0..255, lengths 3..256 as 256..509, 510 ends
constexpr int kNP = 15;           // distance classes
constexpr int kNT = 19;           // code-length alphabet
constexpr int kTBit = 5;          // count width of the code-length alphabet header
constexpr int kCBit = 9;          // count width of the literal/length header
constexpr int kPBit = 5;          // count width of the distance-class header
constexpr int kMaxCodeLen = 16;
constexpr int kEndOfStream = 510;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kLengthBase = 253;  // symbol = match length + 253
constexpr int kSpecialPosition = 3;
constexpr int kNoSpecial = -1;
constexpr int kMaxExhaustions = 5;

constexpr bool validLevel(int level) { return level >= HusCodec::kMinLevel && level <= HusCodec::kMaxLevel; }

// Number of significant bits of v (0 for 0): the distance class of v.
int bitWidth(unsigned v) {
  int k = 0;
  while (v) {
    v >>= 1;
    ++k;
  }
  return k;
}

// ---------------------------------------------------------------------------------------
// Decoding

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
      : alphabet_(alphabet), tableBits_(tableBits), fast_(std::size_t{1} << tableBits), sorted_(static_cast<std::size_t>(alphabet)) {}

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
    for (int len = 1; len <= kMaxCodeLen; ++len) kraft += static_cast<std::uint32_t>(count[static_cast<std::size_t>(len)]) << (kMaxCodeLen - len);
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
          for (std::uint32_t e = from; e < to; ++e) fast_[e] = (symbol << 5) | static_cast<std::uint32_t>(len);
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

  int run() {
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
          return finish(b, HusCodec::kBadTable);
      }
      if (blockLeft == 0) break;
      --blockLeft;
      const int c = cCode_.decode(in_);
      if (c < 0) return finish(b, HusCodec::kBadTable);
      if (c < 256) {
        win[b++] = static_cast<std::uint8_t>(c);
        if (b == w) {
          if (!flush(b)) return HusCodec::kOutputFull;
          b = 0;
        }
        continue;
      }
      if (c == kEndOfStream) break;
      std::size_t length = static_cast<std::size_t>(c - kLengthBase);
      const int k = pCode_.decode(in_);
      if (k < 0) return finish(b, HusCodec::kBadTable);
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
          if (!flush(b)) return HusCodec::kOutputFull;
          b = 0;
        }
      }
    }
    return finish(b, HusCodec::kOk);
  }

 private:
  // Writes out the partly filled window and returns `status` (or kOutputFull).
  int finish(std::size_t b, int status) { return flush(b) ? status : HusCodec::kOutputFull; }

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
      const int zeros = t == 0 ? 1 : t == 1 ? static_cast<int>(in_.get(4)) + 3 : static_cast<int>(in_.get(kCBit)) + 20;
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

// ---------------------------------------------------------------------------------------
// Encoding

// MSB-first bit sink appending whole bytes to a buffer; a final partial byte is dropped.
class BitOutput {
 public:
  explicit BitOutput(ByteBuffer& out) : out_(out) {}
  void put(int n, std::uint32_t v) {
    if (n == 0) return;
    acc_ = (acc_ << n) | (v & ((1u << n) - 1u));
    count_ += n;
    while (count_ >= 8) {
      count_ -= 8;
      out_.push_back(static_cast<std::uint8_t>(acc_ >> count_));
    }
  }

 private:
  ByteBuffer& out_;
  std::uint64_t acc_ = 0;
  int count_ = 0;
};

// Code lengths and canonical codes of one alphabet for one block.
struct HuffCode {
  std::vector<std::uint8_t> len;
  std::vector<std::uint16_t> code;
  int used = 0;    // symbols with a non-zero frequency
  int single = 0;  // the symbol when used == 1

  explicit HuffCode(int alphabet) : len(static_cast<std::size_t>(alphabet)), code(static_cast<std::size_t>(alphabet)) {}

  void put(BitOutput& out, int symbol) const {
    out.put(len[static_cast<std::size_t>(symbol)], code[static_cast<std::size_t>(symbol)]);
  }
  // Index of the last non-zero length + 1.
  int count() const {
    int n = static_cast<int>(len.size());
    while (n > 0 && len[static_cast<std::size_t>(n - 1)] == 0) --n;
    return n;
  }
};

// Huffman lengths (at most 16) and canonical codes for `freq`. With fewer than two symbols
// in use every length is 0 and the only symbol (or 0) is `single`.
void buildCode(const std::vector<std::uint32_t>& freq, HuffCode& hc) {
  const int n = static_cast<int>(freq.size());
  std::fill(hc.len.begin(), hc.len.end(), 0);
  std::fill(hc.code.begin(), hc.code.end(), 0);
  hc.used = 0;
  hc.single = 0;
  for (int s = 0; s < n; ++s)
    if (freq[static_cast<std::size_t>(s)]) {
      if (hc.used++ == 0) hc.single = s;
    }
  if (hc.used < 2) return;

  // Tree over a binary heap ordered by (weight, node number).
  std::vector<std::uint64_t> weight(static_cast<std::size_t>(2 * n), 0);
  std::vector<int> parent(static_cast<std::size_t>(2 * n), -1);
  using Entry = std::pair<std::uint64_t, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
  for (int s = 0; s < n; ++s)
    if (freq[static_cast<std::size_t>(s)]) {
      weight[static_cast<std::size_t>(s)] = freq[static_cast<std::size_t>(s)];
      heap.push({freq[static_cast<std::size_t>(s)], s});
    }
  int next = n;
  while (heap.size() > 1) {
    const Entry a = heap.top();
    heap.pop();
    const Entry b = heap.top();
    heap.pop();
    weight[static_cast<std::size_t>(next)] = a.first + b.first;
    parent[static_cast<std::size_t>(a.second)] = next;
    parent[static_cast<std::size_t>(b.second)] = next;
    heap.push({a.first + b.first, next});
    ++next;
  }
  std::vector<int> depth(static_cast<std::size_t>(next), 0);
  for (int node = next - 2; node >= 0; --node)
    if (parent[static_cast<std::size_t>(node)] >= 0)
      depth[static_cast<std::size_t>(node)] = depth[static_cast<std::size_t>(parent[static_cast<std::size_t>(node)])] + 1;

  std::array<int, kMaxCodeLen + 1> lenCount{};
  bool overflow = false;
  for (int s = 0; s < n; ++s)
    if (freq[static_cast<std::size_t>(s)]) {
      int d = depth[static_cast<std::size_t>(s)];
      if (d > kMaxCodeLen) {
        d = kMaxCodeLen;
        overflow = true;
      }
      hc.len[static_cast<std::size_t>(s)] = static_cast<std::uint8_t>(d);
      ++lenCount[static_cast<std::size_t>(d)];
    }
  if (overflow) {
    // Clamping oversubscribed the code space: each round removes one leaf from the deepest
    // level and splits a shallower leaf into two, lowering the Kraft sum by one unit.
    std::uint32_t kraft = 0;
    for (int l = 1; l <= kMaxCodeLen; ++l) kraft += static_cast<std::uint32_t>(lenCount[static_cast<std::size_t>(l)]) << (kMaxCodeLen - l);
    while (kraft > (1u << kMaxCodeLen)) {
      --lenCount[kMaxCodeLen];
      for (int l = kMaxCodeLen - 1; l > 0; --l)
        if (lenCount[static_cast<std::size_t>(l)]) {
          --lenCount[static_cast<std::size_t>(l)];
          lenCount[static_cast<std::size_t>(l + 1)] += 2;
          break;
        }
      --kraft;
    }
    // The most frequent symbols take the shortest lengths.
    std::vector<int> order;
    for (int s = 0; s < n; ++s)
      if (freq[static_cast<std::size_t>(s)]) order.push_back(s);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return freq[static_cast<std::size_t>(a)] > freq[static_cast<std::size_t>(b)]; });
    std::size_t k = 0;
    for (int l = 1; l <= kMaxCodeLen; ++l)
      for (int j = 0; j < lenCount[static_cast<std::size_t>(l)]; ++j) hc.len[static_cast<std::size_t>(order[k++])] = static_cast<std::uint8_t>(l);
  }

  // Canonical codes: by increasing length, then by symbol number.
  std::array<std::uint32_t, kMaxCodeLen + 2> nextCode{};
  std::array<int, kMaxCodeLen + 1> count{};
  for (int s = 0; s < n; ++s) ++count[hc.len[static_cast<std::size_t>(s)]];
  count[0] = 0;
  std::uint32_t code = 0;
  for (int l = 1; l <= kMaxCodeLen; ++l) {
    code = (code + static_cast<std::uint32_t>(count[static_cast<std::size_t>(l - 1)])) << 1;
    nextCode[static_cast<std::size_t>(l)] = code;
  }
  for (int s = 0; s < n; ++s) {
    const int l = hc.len[static_cast<std::size_t>(s)];
    if (l) hc.code[static_cast<std::size_t>(s)] = static_cast<std::uint16_t>(nextCode[static_cast<std::size_t>(l)]++);
  }
}

class Compressor {
 public:
  Compressor(int level, ByteSpan input, ByteBuffer& output)
      : in_(input),
        window_(HusCodec::windowSize(level)),
        mask_(window_ - 1),
        bits_(output),
        head_(kHashSize, -1),
        prev_(window_, -1),
        cFreq_(kNC, 0),
        pFreq_(kNP, 0),
        tFreq_(kNT, 0),
        cCode_(kNC),
        pCode_(kNP),
        tCode_(kNT) {
  }

  void run() {
    const std::size_t n = in_.size();
    std::size_t pos = 0;
    while (pos < n) {
      std::size_t dist = 0;
      const std::size_t len = longestMatch(pos, dist);
      if (len >= kMinMatch) {
        addSymbol(static_cast<int>(len) + kLengthBase, static_cast<std::uint32_t>(dist - 1));
        for (std::size_t i = 0; i < len; ++i) insert(pos + i);
        pos += len;
      } else {
        addSymbol(in_[pos], 0);
        insert(pos);
        ++pos;
      }
    }
    addSymbol(kEndOfStream, 0);
    sendBlock();
    bits_.put(7, 0);
  }

 private:
  static constexpr std::size_t kHashSize = 4096;
  static constexpr std::size_t kBlockFlush = 8162;
  static constexpr int kMaxCandidates = 128;

  std::size_t hashAt(std::size_t p) const {
    return ((((std::size_t{in_[p]} << 4) ^ in_[p + 1]) & 0xFF) << 4) ^ in_[p + 2];
  }

  void insert(std::size_t p) {
    if (p + 2 >= in_.size()) return;
    const std::size_t h = hashAt(p);
    prev_[p & mask_] = head_[h];
    head_[h] = static_cast<std::int64_t>(p);
  }

  // Longest earlier match of at least 3 bytes at `pos` within the window (newest wins ties).
  std::size_t longestMatch(std::size_t pos, std::size_t& bestDist) const {
    const std::size_t left = in_.size() - pos;
    if (left < kMinMatch) return 0;
    const std::size_t maxLen = std::min<std::size_t>(kMaxMatch, left);
    const std::uint8_t* cur = in_.data() + pos;
    std::size_t best = kMinMatch - 1;
    std::int64_t cand = head_[hashAt(pos)];
    for (int tries = 0; cand >= 0 && tries < kMaxCandidates; ++tries) {
      const std::size_t dist = pos - static_cast<std::size_t>(cand);
      if (dist >= window_) break;
      const std::uint8_t* p = in_.data() + cand;
      if (p[best] == cur[best] && p[0] == cur[0] && p[1] == cur[1] && p[2] == cur[2]) {
        std::size_t len = kMinMatch;
        while (len < maxLen && p[len] == cur[len]) ++len;
        if (len > best) {
          best = len;
          bestDist = dist;
          if (len == maxLen) break;
        }
      }
      cand = prev_[static_cast<std::size_t>(cand) & mask_];
    }
    return best >= kMinMatch ? best : 0;
  }

  // Queues one symbol; a block is sent when its buffer is full at the start of a group of
  // eight symbols (each group carries a flag byte; a match takes three bytes).
  void addSymbol(int symbol, std::uint32_t v) {
    if (symbols_.size() % 8 == 0) {
      if (blockBytes_ >= kBlockFlush) sendBlock();
      ++blockBytes_;
    }
    symbols_.push_back(static_cast<std::uint32_t>(symbol) | (v << 9));
    ++cFreq_[static_cast<std::size_t>(symbol)];
    if (symbol > 255 && symbol != kEndOfStream) {
      ++pFreq_[static_cast<std::size_t>(bitWidth(v))];
      blockBytes_ += 3;
    } else {
      blockBytes_ += 1;
    }
  }

  void writeShortLengths(const HuffCode& hc, int nbit, int special) {
    const int n = hc.count();
    bits_.put(nbit, static_cast<std::uint32_t>(n));
    int i = 0;
    while (i < n) {
      const int l = hc.len[static_cast<std::size_t>(i++)];
      if (l <= 6)
        bits_.put(3, static_cast<std::uint32_t>(l));
      else
        bits_.put(l - 3, (1u << (l - 3)) - 2);  // l - 4 one bits, then a zero
      if (i == special) {
        while (i < 6 && hc.len[static_cast<std::size_t>(i)] == 0) ++i;
        bits_.put(2, static_cast<std::uint32_t>(i - special));
      }
    }
  }

  // Visits the code-length symbols of the literal/length lengths: (symbol, extra bits, count).
  template <typename Visit>
  void eachLengthSymbol(Visit visit) const {
    const int n = cCode_.count();
    int i = 0;
    while (i < n) {
      const int l = cCode_.len[static_cast<std::size_t>(i++)];
      if (l != 0) {
        visit(l + 2, 0, 0u);
        continue;
      }
      int zeros = 1;
      while (i < n && cCode_.len[static_cast<std::size_t>(i)] == 0) {
        ++i;
        ++zeros;
      }
      if (zeros <= 2) {
        for (int z = 0; z < zeros; ++z) visit(0, 0, 0u);
      } else if (zeros <= 18) {
        visit(1, 4, static_cast<std::uint32_t>(zeros - 3));
      } else if (zeros == 19) {
        visit(0, 0, 0u);
        visit(1, 4, 15u);
      } else {
        visit(2, kCBit, static_cast<std::uint32_t>(zeros - 20));
      }
    }
  }

  void sendBlock() {
    buildCode(cFreq_, cCode_);
    bits_.put(16, static_cast<std::uint32_t>(symbols_.size()));
    if (cCode_.used > 1) {
      std::fill(tFreq_.begin(), tFreq_.end(), 0u);
      eachLengthSymbol([&](int t, int, std::uint32_t) { ++tFreq_[static_cast<std::size_t>(t)]; });
      buildCode(tFreq_, tCode_);
      if (tCode_.used > 1) {
        writeShortLengths(tCode_, kTBit, kSpecialPosition);
      } else {
        bits_.put(kTBit, 0);
        bits_.put(kTBit, static_cast<std::uint32_t>(tCode_.single));
      }
      bits_.put(kCBit, static_cast<std::uint32_t>(cCode_.count()));
      eachLengthSymbol([&](int t, int extraBits, std::uint32_t extra) {
        tCode_.put(bits_, t);
        bits_.put(extraBits, extra);
      });
    } else {
      bits_.put(kTBit, 0);
      bits_.put(kTBit, 0);
      bits_.put(kCBit, 0);
      bits_.put(kCBit, static_cast<std::uint32_t>(cCode_.single));
    }
    buildCode(pFreq_, pCode_);
    if (pCode_.used > 1) {
      writeShortLengths(pCode_, kPBit, kNoSpecial);
    } else {
      bits_.put(kPBit, 0);
      bits_.put(kPBit, static_cast<std::uint32_t>(pCode_.single));
    }
    for (const std::uint32_t e : symbols_) {
      const int symbol = static_cast<int>(e & 0x1FF);
      cCode_.put(bits_, symbol);
      if (symbol > 255 && symbol != kEndOfStream) {
        const std::uint32_t v = e >> 9;
        const int k = bitWidth(v);
        pCode_.put(bits_, k);
        if (k > 1) bits_.put(k - 1, v);
      }
    }
    symbols_.clear();
    blockBytes_ = 0;
    std::fill(cFreq_.begin(), cFreq_.end(), 0u);
    std::fill(pFreq_.begin(), pFreq_.end(), 0u);
  }

  ByteSpan in_;
  std::size_t window_;
  std::size_t mask_;
  BitOutput bits_;
  std::vector<std::int64_t> head_;
  std::vector<std::int64_t> prev_;
  std::vector<std::uint32_t> symbols_;  // symbol | distance value << 9
  std::size_t blockBytes_ = 0;
  std::vector<std::uint32_t> cFreq_;
  std::vector<std::uint32_t> pFreq_;
  std::vector<std::uint32_t> tFreq_;
  HuffCode cCode_;
  HuffCode pCode_;
  HuffCode tCode_;
};

}  // namespace

int HusCodec::fail(int status, int level, bool expanding) {
  switch (status) {
    case kBadLevel:
      message_ = "Incorrect compression level parameter passed to compressor.  Compression level = " +
                 std::to_string(level - 10);
      break;
    case kNoMemory:
      message_ = expanding ? "Memory allocation failure in expansion startup" : "Memory allocation failure in compression startup";
      break;
    case kBadTable:
      message_ = "Bad code table in compressed data";
      break;
    case kOutputFull:
      message_ = "Expanded data is longer than expected";
      break;
    default:
      message_.clear();
      break;
  }
  return status;
}

int HusCodec::expand(int level, ByteSpan input, ByteBuffer& output, std::size_t maxOutput) {
  message_.clear();
  if (!validLevel(level)) return fail(kBadLevel, level, true);
  try {
    Expander expander(level, input, output, maxOutput);
    const int status = expander.run();
    return status == kOk ? kOk : fail(status, level, true);
  } catch (const std::bad_alloc&) {
    return fail(kNoMemory, level, true);
  }
}

int HusCodec::compress(int level, ByteSpan input, ByteBuffer& output) {
  message_.clear();
  if (!validLevel(level)) return fail(kBadLevel, level, false);
  try {
    Compressor compressor(level, input, output);
    compressor.run();
    return kOk;
  } catch (const std::bad_alloc&) {
    return fail(kNoMemory, level, false);
  }
}

}  // namespace lh
