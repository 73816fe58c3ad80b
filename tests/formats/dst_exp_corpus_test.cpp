// Every DST and EXP file of the shared corpus, read by the load dispatcher and compared with
// the independent reader's dump of the same file.
//
// Where the two readings differ, the difference is one of these, each checked to be the only
// kind present:
// - DST: a file whose last command is a colour change keeps an empty last block here (the
//   change marker is followed by its zero-move jump, so clearing the flag on the last record
//   does not reach it); the other reader drops it.
// - EXP: the reader merges each jump with the record after it, so the needle penetration at
//   the landing point after "80 04" is not a separate point here; the other reader keeps it.
// - EXP: "80 01 00 00" reads as the colour-change marker plus a zero-move stitch, a second
//   penetration at the same spot, which the comparison folds away.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "design/attribute_list.h"
#include "formats/design_codec.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = LH_CORPUS_DIR;

struct SewnPoint {
  int x = 0, y = 0;
  bool afterJump = false;  // the first penetration after a jump
  bool operator==(const SewnPoint& o) const { return x == o.x && y == o.y; }
};

struct Reading {
  std::vector<SewnPoint> points;  // repeated penetrations at one spot folded into one
  int blocks = 0;
  bool lastBlockEmpty = false;
};

Reading reading(const std::vector<std::array<int, 3>>& records) {
  Reading r;
  r.blocks = records.empty() ? 0 : 1;
  int x = 0, y = 0;
  bool afterJump = false, sewnInBlock = false;
  for (const auto& [flags, dx, dy] : records) {
    x += dx;
    y += dy;
    if (flags & ColorChange) {
      ++r.blocks;
      sewnInBlock = false;
      continue;
    }
    if (flags & Jump) {
      afterJump = true;
      continue;
    }
    if (flags & Trim) continue;
    sewnInBlock = true;
    if (!r.points.empty() && r.points.back() == SewnPoint{x, y}) continue;
    r.points.push_back({x, y, afterJump});
    afterJump = false;
  }
  r.lastBlockEmpty = !sewnInBlock;
  return r;
}

Reading ourReading(const std::string& path) {
  DesignCodec codec;
  EmbDesign design;
  ++codec.busyCount;
  EXPECT_EQ(codec.loadDesign(&design, path), LoadResult::Ok) << path;
  std::vector<std::array<int, 3>> records;
  for (const Stitch& s : design.stitches) records.push_back({s.flags, s.dx, s.dy});
  return reading(records);
}

std::optional<Reading> peerReading(const fs::path& dump) {
  std::ifstream in(dump);
  if (!in) return std::nullopt;
  const auto j = nlohmann::json::parse(in, nullptr, false);
  if (j.is_discarded() || j.value("result", -255) != 0) return std::nullopt;
  std::vector<std::array<int, 3>> records;
  for (const auto& r : j.at("stitches"))
    records.push_back({r.at(0).get<int>(), r.at(1).get<int>(), r.at(2).get<int>()});
  return reading(records);
}

// Our points, in order, against the peer's from one of its first points on; the peer may have
// extra points only where `allowLandings` lets a landing point after a jump go.
testing::AssertionResult samePoints(const Reading& ours, const Reading& peer, bool allowLandings) {
  if (ours.points.empty() || peer.points.empty())
    return ours.points.size() == peer.points.size() ? testing::AssertionSuccess()
                                                    : testing::AssertionFailure() << "one side has no points";
  std::string why;
  for (std::size_t anchor = 0; anchor < (allowLandings ? 3u : 1u) && anchor < peer.points.size(); ++anchor) {
    if (anchor > 0 && !peer.points[anchor - 1].afterJump) break;
    const int tx = peer.points[anchor].x - ours.points[0].x, ty = peer.points[anchor].y - ours.points[0].y;
    std::size_t i = 0, j = anchor, skipped = 0;
    while (i < ours.points.size() && j < peer.points.size()) {
      const SewnPoint& p = peer.points[j];
      if (ours.points[i].x + tx == p.x && ours.points[i].y + ty == p.y) {
        ++i, ++j;
      } else if (allowLandings && p.afterJump) {
        ++j, ++skipped;
      } else {
        break;
      }
    }
    while (allowLandings && j < peer.points.size() && peer.points[j].afterJump) ++j;
    if (i == ours.points.size() && j == peer.points.size()) return testing::AssertionSuccess();
    why = "from peer point " + std::to_string(anchor) + ": ours " + std::to_string(i) + " of " +
          std::to_string(ours.points.size()) + " agree, peer " + std::to_string(j) + " of " +
          std::to_string(peer.points.size());
  }
  return testing::AssertionFailure() << why;
}

struct Case {
  std::string path;  // what is loaded (plain or "Zip:")
  fs::path dump;
  bool exp;
};

std::vector<Case> corpusCases() {
  std::vector<Case> cases;
  for (const char* type : {"dst", "exp"}) {
    const fs::path folder = kCorpus / type;
    if (!fs::is_directory(folder)) continue;
    for (const auto& e : fs::directory_iterator(folder)) {
      if (!e.is_regular_file()) continue;
      cases.push_back({e.path().string(), kCorpus / "peer" / type / (e.path().filename().string() + ".json"),
                       std::string_view(type) == "exp"});
    }
  }
  // Members of the corpus archives, read through "Zip:" paths.
  const fs::path zips = kCorpus / "zip";
  if (fs::is_directory(zips)) {
    for (const auto& e : fs::directory_iterator(zips)) {
      for (const std::string& member : ZipArchive::listMembers(e.path().string())) {
        const auto ext = extensionOf(member);
        const bool dst = equalsNoCase(ext, "dst"), exp = equalsNoCase(ext, "exp");
        if (!dst && !exp) continue;
        cases.push_back({makeZipPath(e.path().string(), member),
                         kCorpus / "peer" / "zip" / e.path().filename() / (member + ".json"), exp});
      }
    }
  }
  std::sort(cases.begin(), cases.end(), [](const Case& a, const Case& b) { return a.path < b.path; });
  return cases;
}

TEST(DstExpCorpus, AgreesWithTheIndependentReader) {
  const auto cases = corpusCases();
  if (cases.empty()) GTEST_SKIP() << "no design corpus at " << kCorpus;
  int compared = 0, trailingBlocks = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto peer = peerReading(c.dump);
    if (!peer) continue;  // the other reader failed on this file or has no dump of it
    const Reading ours = ourReading(c.path);
    ++compared;
    if (!c.exp && ours.blocks == peer->blocks + 1 && ours.lastBlockEmpty) {
      ++trailingBlocks;
    } else {
      EXPECT_EQ(ours.blocks, peer->blocks);
    }
    EXPECT_TRUE(samePoints(ours, *peer, c.exp));
  }
  EXPECT_GT(compared, 0);
  RecordProperty("compared", compared);
  RecordProperty("dstTrailingEmptyBlocks", trailingBlocks);
}

}  // namespace
}  // namespace lh
