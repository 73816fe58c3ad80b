// Every HUS, VIP and SHV file of the shared corpus loads (result 0), and its needle penetrations agree
// with the independent reader's dump where there is one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "formats/hus_vip.h"
#include "formats/shv.h"
#include "tests/support/design_builder.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = LH_CORPUS_DIR;

ByteBuffer readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return ByteBuffer(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> corpusFiles(const std::string& type) {
  std::vector<fs::path> files;
  if (fs::is_directory(kCorpus / type))
    for (const auto& e : fs::directory_iterator(kCorpus / type)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

ReadResult readByType(const std::string& type, EmbDesign& d, const ByteBuffer& bytes) {
  DesignCodec codec;
  if (type == "hus") return readHus(codec, d, bytes);
  if (type == "vip") return readVip(codec, d, bytes);
  return readShv(codec, d, bytes);
}

// Needle penetrations (records neither jump, colour change nor trim) as absolute positions.
std::vector<Point> penetrations(const EmbDesign& d) {
  std::vector<Point> pts;
  int x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !s.isColorChange() && !s.isTrim()) pts.push_back({x, y});
  }
  return pts;
}

struct Peer {
  std::size_t blocks = 0;
  std::vector<Point> points;  // absolute
};

// The peer's dump of a corpus file, when it has one that loaded.
std::optional<Peer> peerDump(const std::string& type, const fs::path& file) {
  const fs::path p = kCorpus / "peer" / type / (file.filename().string() + ".json");
  if (!fs::exists(p)) return std::nullopt;
  std::ifstream in(p);
  const nlohmann::json j = nlohmann::json::parse(in);
  if (j.value("result", 0) != 0) return std::nullopt;
  EmbDesign d;
  for (const auto& r : j["stitches"]) d.stitches.push_back(Stitch::withFlags(r[0].get<std::uint8_t>(), r[1], r[2]));
  return Peer{d.stitches.empty() ? 0 : d.colorChangeCount() + 1, penetrations(d)};
}

std::vector<Point> relativeTo(const std::vector<Point>& pts, std::size_t anchor) {
  std::vector<Point> out;
  for (std::size_t i = anchor; i < pts.size(); ++i) out.push_back({pts[i].x - pts[anchor].x, pts[i].y - pts[anchor].y});
  return out;
}

// Points of `a` and `b` that agree in order: where the sequences part, the nearest pair of
// offsets (within 48 each) at which two consecutive points agree again resumes the walk.
std::size_t alignedMatches(const std::vector<Point>& a, const std::vector<Point>& b) {
  constexpr std::size_t kWindow = 48;
  std::size_t i = 0, j = 0, matched = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i] == b[j]) {
      ++matched, ++i, ++j;
      continue;
    }
    std::size_t bestSum = SIZE_MAX, bi = 0, bj = 0;
    for (std::size_t di = 0; di <= kWindow && i + di < a.size() && di < bestSum; ++di)
      for (std::size_t dj = 0; dj <= kWindow && j + dj < b.size() && di + dj < bestSum; ++dj) {
        const std::size_t ii = i + di, jj = j + dj;
        if (di + dj == 0 || !(a[ii] == b[jj])) continue;
        if (ii + 1 >= a.size() || jj + 1 >= b.size() || a[ii + 1] == b[jj + 1]) {
          bestSum = di + dj, bi = ii, bj = jj;
          break;
        }
      }
    if (bestSum == SIZE_MAX)
      ++i, ++j;
    else
      i = bi, j = bj;
  }
  return matched;
}

// Agreement with the pair of early points taken as the common origin (the peer may sew one at
// the origin first) that matches best over a sample.
std::size_t bestAgreement(const std::vector<Point>& ours, const std::vector<Point>& peer) {
  auto sample = [](std::vector<Point> v) {
    v.resize(std::min<std::size_t>(v.size(), 400));
    return v;
  };
  std::size_t bestA = 0, bestB = 0, bestScore = 0;
  for (std::size_t ia = 0; ia < 4 && ia < ours.size(); ++ia)
    for (std::size_t ib = 0; ib < 4 && ib < peer.size(); ++ib) {
      const std::size_t score = alignedMatches(sample(relativeTo(ours, ia)), sample(relativeTo(peer, ib)));
      if (score > bestScore) bestScore = score, bestA = ia, bestB = ib;
    }
  return alignedMatches(relativeTo(ours, bestA), relativeTo(peer, bestB));
}

EmbDesign load(const std::string& type, const fs::path& f) {
  EmbDesign d;
  EXPECT_NE(readByType(type, d, readAll(f)), ReadResult::Failed) << f;
  return d;
}

// Where the peer and we disagree on the number of colour blocks, and why we are right.
const std::map<std::string, std::size_t> kPeerBlockDisagreements = {
    // Two colour records whose unit counts cover the whole stitch data; the peer reads a
    // colour change and one more record after the last block.
    {"Star.SHV", 3},
};

class HusCorpus : public ::testing::TestWithParam<std::string> {};

// Where both read a file, our penetrations are the peer's but for the zero-length stitch the
// format puts after every jump (our reader folds it into the jump), the records after an
// 0x82 command (a jump for us, a trim for the peer), and jumps reclassified on loading.
TEST_P(HusCorpus, EveryFileLoadsAndAgreesWithThePeer) {
  const std::string type = GetParam();
  const auto files = corpusFiles(type);
  if (files.empty()) GTEST_SKIP() << "no corpus at " << kCorpus;
  for (const fs::path& f : files) {
    const std::string name = f.filename().string();
    SCOPED_TRACE(name);
    const EmbDesign d = load(type, f);
    {
      DesignCodec codec;
      EmbDesign loaded;
      ++codec.busyCount;
      EXPECT_EQ(codec.loadDesign(&loaded, f.string()), LoadResult::Ok);
    }
    EXPECT_FALSE(d.stitches.empty());
    EXPECT_FALSE(d.threads.empty());
    const auto peer = peerDump(type, f);
    if (!peer) continue;
    const auto known = kPeerBlockDisagreements.find(name);
    EXPECT_EQ(known != kPeerBlockDisagreements.end() ? known->second : d.colorChangeCount() + 1, peer->blocks);
    const std::vector<Point> ours = penetrations(d);
    const std::size_t larger = std::max(ours.size(), peer->points.size());
    EXPECT_GE(bestAgreement(ours, peer->points) + 2 + larger / 100, larger);
  }
}

INSTANTIATE_TEST_SUITE_P(Types, HusCorpus, ::testing::Values("hus", "vip", "shv"));

// The peer has no VIP reader: the VIP twins of HUS files sew exactly the same points, and the
// colours decode to the values the key was checked against.
TEST(HusCorpusVip, VipFilesSewTheirHusTwinsAndDecodeTheirColors) {
  if (!fs::is_directory(kCorpus / "vip")) GTEST_SKIP() << "no corpus at " << kCorpus;
  for (const char* twin : {"geometric_objects", "wpooho13a"}) {
    SCOPED_TRACE(twin);
    const EmbDesign vip = load("vip", kCorpus / "vip" / (std::string(twin) + ".vip"));
    const EmbDesign hus = load("hus", kCorpus / "hus" / (std::string(twin) + ".hus"));
    EXPECT_EQ(vip.colorChangeCount(), hus.colorChangeCount());
    EXPECT_EQ(test::sewnPoints(vip), test::sewnPoints(hus));
    EXPECT_EQ(vip.threads.size(), hus.threads.size());
  }
  const EmbDesign star = load("vip", kCorpus / "vip" / "Star.vip");
  ASSERT_EQ(star.threads.size(), 2u);
  EXPECT_EQ(star.threads[0].rgb, rgbOf(227, 49, 31));
  EXPECT_EQ(star.threads[1].rgb, rgbOf(247, 243, 247));
  EXPECT_EQ(star.threads[0].chartCode, 2);
  EXPECT_FALSE(star.threads[0].displayName.empty());
}

}  // namespace
}  // namespace lh
