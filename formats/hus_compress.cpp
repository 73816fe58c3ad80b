// The compressor of HUS and VIP streams: an LZ77 parse over hash chains, then per block the
// three Huffman tables and the coded symbols.
#include <algorithm>
#include <array>
#include <cstdint>
#include <queue>
#include <vector>

#include "formats/hus_codec.h"
#include "formats/hus_stream.h"

namespace lh::hus {

namespace {

// Number of significant bits of v (0 for 0): the distance class of v.
int bitWidth(unsigned v) {
  int k = 0;
  while (v) {
    v >>= 1;
    ++k;
  }
  return k;
}

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

  explicit HuffCode(int alphabet)
      : len(static_cast<std::size_t>(alphabet)), code(static_cast<std::size_t>(alphabet)) {}

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
  std::vector<int> parent(static_cast<std::size_t>(2 * n), -1);
  using Entry = std::pair<std::uint64_t, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
  for (int s = 0; s < n; ++s)
    if (freq[static_cast<std::size_t>(s)]) heap.push({freq[static_cast<std::size_t>(s)], s});
  int next = n;
  while (heap.size() > 1) {
    const Entry a = heap.top();
    heap.pop();
    const Entry b = heap.top();
    heap.pop();
    parent[static_cast<std::size_t>(a.second)] = next;
    parent[static_cast<std::size_t>(b.second)] = next;
    heap.push({a.first + b.first, next});
    ++next;
  }
  std::vector<int> depth(static_cast<std::size_t>(next), 0);
  for (int node = next - 2; node >= 0; --node)
    if (parent[static_cast<std::size_t>(node)] >= 0)
      depth[static_cast<std::size_t>(node)] =
          depth[static_cast<std::size_t>(parent[static_cast<std::size_t>(node)])] + 1;

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
    for (int l = 1; l <= kMaxCodeLen; ++l)
      kraft += static_cast<std::uint32_t>(lenCount[static_cast<std::size_t>(l)]) << (kMaxCodeLen - l);
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
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return freq[static_cast<std::size_t>(a)] > freq[static_cast<std::size_t>(b)];
    });
    std::size_t k = 0;
    for (int l = 1; l <= kMaxCodeLen; ++l)
      for (int j = 0; j < lenCount[static_cast<std::size_t>(l)]; ++j)
        hc.len[static_cast<std::size_t>(order[k++])] = static_cast<std::uint8_t>(l);
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
    if (l)
      hc.code[static_cast<std::size_t>(s)] =
          static_cast<std::uint16_t>(nextCode[static_cast<std::size_t>(l)]++);
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
        tCode_(kNT) {}

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

void compressStream(int level, ByteSpan input, ByteBuffer& output) {
  Compressor compressor(level, input, output);
  compressor.run();
}

}  // namespace lh::hus
