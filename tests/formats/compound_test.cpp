#include "formats/compound.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/formats/janome_corpus.h"

namespace lh {
namespace {

constexpr std::uint32_t kEnd = CompoundFile::kEndOfChain;
constexpr std::uint32_t kFree = CompoundFile::kFreeSector;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::size_t kSector = 512;

struct Stream {
  std::u16string name;
  ByteBuffer data;
};

// A version 3 container image built the way writers lay it out: table sectors first, then
// the directory, the mini-sector table, the mini stream and the large streams.
struct BuiltCompound {
  ByteBuffer bytes;
  std::size_t directoryAt = 0;  // file offset of the directory's first sector
  std::uint32_t directorySector = 0;
  std::uint32_t bigStreamSector = 0;  // first sector of the first large stream
  std::size_t fatAt(std::uint32_t sector) const { return kSector + 4 * sector; }  // FAT sector 0's entry
};

BuiltCompound buildCompound(const std::vector<Stream>& streams, std::uint32_t fatSectors = 1) {
  std::vector<ByteBuffer> sectors;
  std::vector<std::uint32_t> fat;
  auto chainOf = [&](const ByteBuffer& data, std::size_t unit) {
    const std::size_t n = std::max<std::size_t>(1, (data.size() + unit - 1) / unit);
    const auto first = static_cast<std::uint32_t>(sectors.size());
    for (std::size_t i = 0; i < n; ++i) {
      ByteBuffer s(kSector, 0);
      const std::size_t from = i * kSector;
      if (from < data.size()) std::copy_n(data.begin() + from, std::min(kSector, data.size() - from), s.begin());
      sectors.push_back(s);
      fat.push_back(i + 1 < n ? first + static_cast<std::uint32_t>(i) + 1 : kEnd);
    }
    return first;
  };
  for (std::uint32_t i = 0; i < fatSectors; ++i) {
    sectors.emplace_back(kSector, 0);
    fat.push_back(kFatSector);
  }
  const bool difat = fatSectors > 109;
  if (difat) {
    sectors.emplace_back(kSector, 0);
    fat.push_back(kDifatSector);
  }

  // Small streams go into the mini stream, 64-byte sectors chained in the mini table.
  ByteBuffer mini;
  std::vector<std::uint32_t> miniFat;
  std::vector<std::uint32_t> starts(streams.size(), kEnd);
  for (std::size_t k = 0; k < streams.size(); ++k) {
    const ByteBuffer& d = streams[k].data;
    if (d.size() >= 4096 || d.empty()) continue;
    const std::size_t n = (d.size() + 63) / 64;
    starts[k] = static_cast<std::uint32_t>(miniFat.size());
    for (std::size_t i = 0; i < n; ++i)
      miniFat.push_back(i + 1 < n ? starts[k] + static_cast<std::uint32_t>(i) + 1 : kEnd);
    mini.insert(mini.end(), d.begin(), d.end());
    mini.resize(miniFat.size() * 64, 0);
  }

  ByteBuffer dir;
  auto entry = [&](std::u16string_view name, std::uint8_t type, std::uint32_t start, std::uint32_t size, std::uint32_t child,
                   std::uint32_t right) {
    ByteWriter w;
    for (char16_t c : name) w.u16le(c);
    w.fill(0, 64 - 2 * name.size());
    w.u16le(static_cast<unsigned>(2 * name.size() + 2));
    w.u8(type);
    w.u8(1);
    w.u32le(kFree);
    w.u32le(right);
    w.u32le(child);
    w.fill(0, 116 - 80);
    w.u32le(start);
    w.u32le(size);
    w.u32le(0);
    dir.insert(dir.end(), w.buffer().begin(), w.buffer().end());
  };
  const std::uint32_t dirSector = static_cast<std::uint32_t>(sectors.size());
  const std::size_t entries = streams.size() + 1;
  const std::size_t dirSectors = (entries * 128 + kSector - 1) / kSector;
  // The directory is placed first so that its sector numbers are known; entries follow.
  ByteBuffer placeholder(dirSectors * kSector, 0);
  chainOf(placeholder, kSector);
  const std::uint32_t miniFatStart = miniFat.empty() ? kEnd : [&] {
    ByteWriter w;
    for (std::uint32_t v : miniFat) w.u32le(v);
    return chainOf(w.buffer(), kSector);
  }();
  const std::uint32_t miniStart = mini.empty() ? kEnd : chainOf(mini, kSector);
  BuiltCompound out;
  out.bigStreamSector = kEnd;
  for (std::size_t k = 0; k < streams.size(); ++k) {
    if (streams[k].data.size() < 4096) continue;
    starts[k] = chainOf(streams[k].data, kSector);
    if (out.bigStreamSector == kEnd) out.bigStreamSector = starts[k];
  }
  entry(u"Root Entry", 5, miniStart, static_cast<std::uint32_t>(mini.size()), streams.empty() ? kFree : 1, kFree);
  for (std::size_t k = 0; k < streams.size(); ++k)
    entry(streams[k].name, 2, starts[k], static_cast<std::uint32_t>(streams[k].data.size()), kFree,
          k + 1 < streams.size() ? static_cast<std::uint32_t>(k + 2) : kFree);
  dir.resize(dirSectors * kSector, 0);
  for (std::size_t i = 0; i < dirSectors; ++i)
    std::copy_n(dir.begin() + static_cast<std::ptrdiff_t>(i * kSector), kSector, sectors[dirSector + i].begin());

  // The allocation table itself.
  fat.resize(fatSectors * (kSector / 4), kFree);
  for (std::uint32_t i = 0; i < fatSectors; ++i)
    for (std::size_t e = 0; e < kSector / 4; ++e) {
      ByteWriter w;
      w.u32le(fat[i * (kSector / 4) + e]);
      std::copy_n(w.buffer().begin(), 4, sectors[i].begin() + static_cast<std::ptrdiff_t>(4 * e));
    }

  ByteWriter h;
  h.bytes(ByteBuffer{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1});
  h.fill(0, 16);
  h.u16le(0x3E);
  h.u16le(3);
  h.u16le(0xFFFE);
  h.u16le(9);
  h.u16le(6);
  h.fill(0, 10);
  h.u32le(fatSectors);
  h.u32le(dirSector);
  h.u32le(0);
  h.u32le(4096);
  h.u32le(miniFatStart);
  h.u32le(miniFat.empty() ? 0 : 1);
  h.u32le(difat ? fatSectors : kEnd);
  h.u32le(difat ? 1 : 0);
  for (std::uint32_t i = 0; i < 109; ++i) h.u32le(i < fatSectors ? i : kFree);
  if (difat) {
    ByteWriter d;
    for (std::uint32_t i = 109; i < fatSectors; ++i) d.u32le(i);
    d.fill(0xFF, kSector - 4 - d.size());
    d.u32le(kEnd);
    sectors[fatSectors] = d.take();
  }
  out.bytes = h.take();
  for (const ByteBuffer& s : sectors) out.bytes.insert(out.bytes.end(), s.begin(), s.end());
  out.directorySector = dirSector;
  out.directoryAt = kSector * (dirSector + 1);
  return out;
}

ByteBuffer pattern(std::size_t n, std::uint8_t seed) {
  ByteBuffer b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
  return b;
}

void put32(ByteBuffer& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

const std::vector<Stream> kStreams = {
    {u"Contents", pattern(100, 1)},
    {u"BigData", pattern(5000, 2)},
    {u"Empty", {}},
    {u"Stich\u00E4", pattern(64, 3)},
};

TEST(CompoundFile, ReadsSmallAndLargeStreams) {
  for (std::uint32_t fatSectors : {1u, 110u}) {  // 110 table sectors need a DIFAT sector
    SCOPED_TRACE(fatSectors);
    const BuiltCompound built = buildCompound(kStreams, fatSectors);
    CompoundFile cf;
    ASSERT_EQ(cf.parse(built.bytes), CompoundFile::Status::Ok);
    EXPECT_EQ(cf.sectorSize(), 512u);
    ASSERT_GE(cf.entries().size(), 5u);
    EXPECT_EQ(cf.entries()[0].type, CompoundEntry::Root);
    for (const Stream& s : kStreams) {
      const CompoundEntry* e = cf.find(s.name);
      ASSERT_NE(e, nullptr);
      auto data = cf.readStream(*e);
      ASSERT_TRUE(data);
      EXPECT_EQ(*data, s.data);
    }
    ASSERT_NE(cf.find(u"CONTENTS"), nullptr);
    EXPECT_EQ(cf.find(u"contents")->nameUtf8(), "Contents");
    EXPECT_EQ(cf.find(u"Stich\u00E4")->nameUtf8(), "Stich\xC3\xA4");
    EXPECT_EQ(cf.find(u"Missing"), nullptr);
    EXPECT_EQ(cf.find(u"Root Entry"), nullptr);  // the root is not a stream
    EXPECT_FALSE(cf.readStream(cf.entries()[0]));
  }
}

TEST(CompoundFile, RejectsBrokenContainers) {
  using Status = CompoundFile::Status;
  const BuiltCompound built = buildCompound(kStreams);
  struct Case {
    const char* what;
    std::function<void(ByteBuffer&)> damage;
    Status status;
  };
  const std::uint32_t dir = built.directorySector;
  const Case cases[] = {
      {"signature", [](ByteBuffer& b) { b[3] = 0; }, Status::NotCompound},
      {"shorter than a header", [](ByteBuffer& b) { b.resize(300); }, Status::BadHeader},
      {"byte order", [](ByteBuffer& b) { b[28] = 0xFF, b[29] = 0xFE; }, Status::BadHeader},
      {"sector size", [](ByteBuffer& b) { b[30] = 10; }, Status::BadHeader},
      {"mini sector size", [](ByteBuffer& b) { b[32] = 7; }, Status::BadHeader},
      {"4096-byte sectors in version 3", [](ByteBuffer& b) { b[30] = 12; }, Status::BadHeader},
      {"unknown version", [](ByteBuffer& b) { b[26] = 5; }, Status::BadHeader},
      {"no table sectors", [](ByteBuffer& b) { put32(b, 44, 0); }, Status::BadHeader},
      {"more table sectors than the file", [](ByteBuffer& b) { put32(b, 44, 1000); }, Status::BadHeader},
      {"table sector outside the file", [](ByteBuffer& b) { put32(b, 76, 500); }, Status::BadSectorTable},
      {"second table sector missing", [](ByteBuffer& b) { put32(b, 44, 2); }, Status::BadSectorTable},
      {"110 table sectors without DIFAT",
       [](ByteBuffer& b) {
         b.resize(b.size() + 120 * kSector, 0);
         put32(b, 44, 110);
         for (std::size_t i = 1; i < 109; ++i) put32(b, 76 + 4 * i, 0);
       },
       Status::BadSectorTable},
      {"directory outside the file", [](ByteBuffer& b) { put32(b, 48, 400); }, Status::BadDirectory},
      {"directory chain loops", [&](ByteBuffer& b) { put32(b, built.fatAt(dir), dir); }, Status::BadDirectory},
      {"directory without root", [&](ByteBuffer& b) { b[built.directoryAt + 66] = 1; }, Status::BadDirectory},
      {"mini table outside the file", [](ByteBuffer& b) { put32(b, 60, 300); }, Status::BadMiniStream},
      {"mini stream longer than its chain", [&](ByteBuffer& b) { put32(b, built.directoryAt + 120, 0x7FFFFFFF); },
       Status::BadMiniStream},
      {"truncated before the mini stream", [](ByteBuffer& b) { b.resize(5 * kSector); }, Status::BadMiniStream},
  };
  for (const Case& c : cases) {
    ByteBuffer b = built.bytes;
    c.damage(b);
    CompoundFile cf;
    EXPECT_EQ(cf.parse(b), c.status) << c.what;
  }
}

TEST(CompoundFile, BrokenStreamChainsGiveNothing) {
  const BuiltCompound built = buildCompound(kStreams);
  const std::size_t bigEntry = built.directoryAt + 2 * 128;  // entry 2: "BigData"
  const std::size_t smallEntry = built.directoryAt + 128;    // entry 1: "Contents"
  struct Case {
    const char* what;
    std::function<void(ByteBuffer&)> damage;
    const char16_t* stream;
  };
  const Case cases[] = {
      {"size beyond the chain", [&](ByteBuffer& b) { put32(b, bigEntry + 120, 9000); }, u"BigData"},
      {"chain leaves the file", [&](ByteBuffer& b) { put32(b, built.fatAt(built.bigStreamSector), 90); }, u"BigData"},
      {"chain loops", [&](ByteBuffer& b) { put32(b, built.fatAt(built.bigStreamSector + 1), built.bigStreamSector); },
       u"BigData"},
      {"start sector outside", [&](ByteBuffer& b) { put32(b, bigEntry + 116, 0x00FFFFFF); }, u"BigData"},
      {"mini start outside", [&](ByteBuffer& b) { put32(b, smallEntry + 116, 1000); }, u"Contents"},
      {"mini size beyond the chain", [&](ByteBuffer& b) { put32(b, smallEntry + 120, 1000); }, u"Contents"},
  };
  for (const Case& c : cases) {
    ByteBuffer b = built.bytes;
    c.damage(b);
    CompoundFile cf;
    ASSERT_EQ(cf.parse(b), CompoundFile::Status::Ok) << c.what;
    const CompoundEntry* e = cf.find(c.stream);
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(cf.readStream(*e)) << c.what;
  }
}

TEST(ReadCompound, ReportsNotReadable) {
  DesignCodec codec;
  const BuiltCompound built = buildCompound(kStreams);
  for (const char* path : {"a.art", "b.EMB", "c.Jan", "d.xyz", ""}) {
    EmbDesign d;
    d.path = path;
    d.stitches.push_back(Stitch(1, 1));
    EXPECT_EQ(readCompound(codec, d, built.bytes), ReadResult::Unsupported) << path;
    EXPECT_TRUE(d.stitches.empty());
    EXPECT_EQ(readCompound(codec, d, ByteBuffer(600, 0x41)), ReadResult::Unsupported) << path;
  }
}

TEST(ReadCompound, CorpusContainersParseAndReportNotReadable) {
  DesignCodec codec;
  int seen = 0;
  for (const char* folder : {"art", "emb", "jan"}) {
    for (const auto& file : test::corpusFiles(folder)) {
      SCOPED_TRACE(file.string());
      ++seen;
      const ByteBuffer bytes = test::fileBytes(file);
      CompoundFile cf;
      ASSERT_EQ(cf.parse(bytes), CompoundFile::Status::Ok);
      EXPECT_GT(cf.entries().size(), 1u);
      for (const CompoundEntry& e : cf.entries()) {
        if (e.type == CompoundEntry::Stream) {
          EXPECT_TRUE(cf.readStream(e)) << e.nameUtf8();
        }
      }
      EmbDesign d;
      d.path = file.string();
      EXPECT_EQ(readCompound(codec, d, bytes), ReadResult::Unsupported);
    }
  }
  if (seen == 0) GTEST_SKIP() << "no ART, EMB or JAN files under " << test::corpusDir();
}

}  // namespace
}  // namespace lh
