// Frames written out byte by byte as docs/plugin-bus.md lays them out, so that the codec is
// held to the document a plug-in writer in another language works from.
#include "plugin/bus/bus_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lh {
namespace {

using Bytes = std::vector<std::uint8_t>;

void append(Bytes& bytes, const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

// "LHGetFirst", wParam 1, lParam 4242, no block: 30 + 10 = 40 bytes.
Bytes getFirstBytes() {
  Bytes bytes = {'L',  'H',  'B',  'F',                           // magic
                 0x01, 0x00,                                      // version 1
                 0x00, 0x00,                                      // flags: no block
                 0x28, 0x00, 0x00, 0x00,                          // frame length 40
                 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // wParam 1
                 0x92, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // lParam 4242
                 0x0A, 0x00};                                     // name length 10
  append(bytes, "LHGetFirst");
  return bytes;
}

// "LHCallback", wParam 1, lParam -2, block "LHEmbroideryFile" of 3 bytes:
// 30 + 10 + 2 + 16 + 4 + 3 = 65 bytes.
Bytes callbackBytes() {
  Bytes bytes = {'L',  'H',  'B',  'F',   // magic
                 0x01, 0x00,              // version 1
                 0x01, 0x00,              // flags: a block follows
                 0x41, 0x00, 0x00, 0x00,  // frame length 65
                 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // lParam -2
                 0x0A, 0x00};
  append(bytes, "LHCallback");
  bytes.insert(bytes.end(), {0x10, 0x00});  // format name length 16
  append(bytes, "LHEmbroideryFile");
  bytes.insert(bytes.end(), {0x03, 0x00, 0x00, 0x00,  // block length 3
                             0x01, 0x00, 0xFF});
  return bytes;
}

BusFrame getFirstFrame() { return BusFrame{"LHGetFirst", 1, 4242, std::nullopt}; }
BusFrame callbackFrame() {
  return BusFrame{"LHCallback", 1, -2, BusBlock{"LHEmbroideryFile", {0x01, 0x00, 0xFF}}};
}

TEST(BusFrame, DocumentedBytesDecodeAndEncodeBothWays) {
  EXPECT_EQ(decodeBusFrame(getFirstBytes()), getFirstFrame());
  EXPECT_EQ(decodeBusFrame(callbackBytes()), callbackFrame());
  EXPECT_EQ(encodeBusFrame(getFirstFrame()), getFirstBytes());
  EXPECT_EQ(encodeBusFrame(callbackFrame()), callbackBytes());

  // One frame exactly: a byte too many or too few is not a frame.
  Bytes longer = getFirstBytes();
  longer.push_back(0);
  EXPECT_EQ(decodeBusFrame(longer), std::nullopt);
  const Bytes whole = getFirstBytes();
  EXPECT_EQ(decodeBusFrame(std::span(whole).first(39)), std::nullopt);
}

TEST(BusFrame, EncoderKeepsNamesWithinTheirLengths) {
  const std::string longest(255, 'n');
  const std::vector<BusFrame> sendable = {
      {longest, INT64_MIN, INT64_MAX, std::nullopt},
      {"LHWholeFile", 0, 0, BusBlock{longest, {}}},  // an empty block is still a block
  };
  for (const BusFrame& frame : sendable) {
    const auto bytes = encodeBusFrame(frame);
    ASSERT_TRUE(bytes.has_value()) << frame.name;
    EXPECT_EQ(decodeBusFrame(*bytes), frame);
  }
  const std::vector<BusFrame> refused = {
      {"", 1, 1, std::nullopt},
      {longest + "n", 1, 1, std::nullopt},
      {"LHCallback", 1, 1, BusBlock{"", {1}}},
      {"LHCallback", 1, 1, BusBlock{longest + "n", {1}}},
  };
  for (const BusFrame& frame : refused) EXPECT_EQ(encodeBusFrame(frame), std::nullopt) << frame.name.size();
}

TEST(BusFrameDecoder, YieldsTheSameFramesForAnyChunking) {
  Bytes stream = getFirstBytes();
  for (const Bytes& part : {callbackBytes(), getFirstBytes()})
    stream.insert(stream.end(), part.begin(), part.end());
  const std::vector<BusFrame> expected = {getFirstFrame(), callbackFrame(), getFirstFrame()};

  for (std::size_t chunk = 1; chunk <= stream.size(); ++chunk) {
    BusFrameDecoder decoder;
    std::vector<BusFrame> frames;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      decoder.feed(std::span(stream).subspan(at, std::min(chunk, stream.size() - at)));
      BusFrame frame;
      BusDecode result;
      while ((result = decoder.next(frame)) == BusDecode::Frame) frames.push_back(frame);
      ASSERT_EQ(result, BusDecode::NeedMore) << "chunk " << chunk << " at " << at;
    }
    EXPECT_EQ(frames, expected) << "chunk " << chunk;
    EXPECT_EQ(decoder.pendingBytes(), 0u);
  }
}

struct Patch {
  const char* what;
  bool withBlock;
  std::size_t offset;
  std::vector<std::uint8_t> bytes;
  std::size_t keep;  // bytes fed: the fault must be seen without waiting for the rest
};

TEST(BusFrameDecoder, RefusesMalformedFramesForGood) {
  const std::vector<Patch> cases = {
      {"magic", false, 0, {'X'}, 1},
      {"version 2", false, 4, {0x02}, 6},
      {"unknown flag", false, 6, {0x02}, 8},
      {"length beyond 256 MiB", false, 8, {0x01, 0x00, 0x00, 0x10}, 12},
      {"length below the smallest frame", false, 8, {0x1E}, 12},
      {"length one more than the fields", false, 8, {0x29}, 30},
      {"length one less than the fields", false, 8, {0x27}, 30},
      {"empty name", false, 28, {0x00}, 30},
      {"block flag on a frame without block", false, 6, {0x01}, 30},
      {"empty format name", true, 40, {0x00}, 42},
      {"format name past the frame", true, 40, {0x30}, 42},
      {"block length one more", true, 58, {0x04}, 62},
      {"block length one less", true, 58, {0x02}, 62},
  };
  for (const Patch& patch : cases) {
    Bytes bytes = patch.withBlock ? callbackBytes() : getFirstBytes();
    std::copy(patch.bytes.begin(), patch.bytes.end(),
              bytes.begin() + static_cast<std::ptrdiff_t>(patch.offset));
    BusFrameDecoder decoder;
    decoder.feed(std::span(bytes).first(patch.keep));
    BusFrame frame;
    EXPECT_EQ(decoder.next(frame), BusDecode::Malformed) << patch.what;
    decoder.feed(getFirstBytes());
    EXPECT_EQ(decoder.next(frame), BusDecode::Malformed)
        << patch.what << ": a dropped connection stays dropped";
    EXPECT_EQ(decodeBusFrame(bytes), std::nullopt) << patch.what;
  }
}

TEST(BusFrameDecoder, TakesFramesUpToTheLimitAndNotOneByteMore) {
  struct Case {
    std::vector<std::uint8_t> frameLength, blockLength;
    BusDecode result;
  };
  const std::vector<Case> cases = {
      // 268,435,456 bytes in all: the block holds 268,435,456 - 62 bytes.
      {{0x00, 0x00, 0x00, 0x10}, {0xC2, 0xFF, 0xFF, 0x0F}, BusDecode::NeedMore},
      {{0x01, 0x00, 0x00, 0x10}, {0xC3, 0xFF, 0xFF, 0x0F}, BusDecode::Malformed},
  };
  for (const Case& c : cases) {
    Bytes bytes = callbackBytes();
    std::copy(c.frameLength.begin(), c.frameLength.end(), bytes.begin() + 8);
    std::copy(c.blockLength.begin(), c.blockLength.end(), bytes.begin() + 58);
    BusFrameDecoder decoder;
    decoder.feed(std::span(bytes).first(62));
    BusFrame frame;
    EXPECT_EQ(decoder.next(frame), c.result);
  }
}

}  // namespace
}  // namespace lh
