// Real JEF, JEF+, SEW, XXX and EMD files load and agree with the independent reader; ART
// and EMB files report the version picture.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "formats/design_codec.h"
#include "tests/formats/janome_corpus.h"

namespace lh {
namespace {

struct Expectation {
  std::string folder;
  // Lowest share of the peer's needle steps ours must match. The readers fold the first stitch
  // after a jump into the jump, so the peer's records are folded the same way first; what
  // is left are the known differences listed per file below.
  double agreement = 0.999;
  std::map<std::string, double> exceptions;
};

// Test names and failure messages show the folder rather than the structure's bytes.
void PrintTo(const Expectation& e, std::ostream* os) { *os << e.folder; }

void normaliseLikeOurReader(EmbDesign& peer, const std::string& folder) {
  peer.mergeJumps(false);
  if (folder == "xxx" || folder == "emd") {
    peer.classifyJumps();
  } else {
    peer.dropLeadingJumps();
  }
}

class JanomeCorpus : public ::testing::TestWithParam<Expectation> {};

TEST_P(JanomeCorpus, LoadsAndAgreesWithPeer) {
  const Expectation& e = GetParam();
  const auto files = test::corpusFiles(e.folder);
  if (files.empty()) GTEST_SKIP() << "no corpus folder " << e.folder << " under " << test::corpusDir();
  int compared = 0;
  for (const auto& file : files) {
    if (e.folder == "emd" && file.extension() != ".emd") continue;  // the ".col" companions
    SCOPED_TRACE(file.filename().string());
    DesignCodec codec;
    EmbDesign d;
    ASSERT_EQ(codec.loadDesign(&d, file.string()), LoadResult::Ok);
    ASSERT_FALSE(d.stitches.empty());
    EXPECT_EQ(d.threads.size(), test::blockCount(d));

    std::optional<EmbDesign> peer = test::peerDesign(file);
    if (!peer) continue;
    normaliseLikeOurReader(*peer, e.folder);
    EXPECT_EQ(test::blockCount(d), test::blockCount(*peer));
    const auto ours = test::penetrationSteps(d), theirs = test::penetrationSteps(*peer);
    const double share = test::stepAgreement(ours, theirs);
    const auto known = e.exceptions.find(file.filename().string());
    const double wanted = known != e.exceptions.end() ? known->second : e.agreement;
    // Small files are allowed two steps apart (a first or last stitch the readers see differently).
    const double smallFile = 1.0 - 2.0 / static_cast<double>(std::max<std::size_t>(1, std::max(ours.size(), theirs.size())));
    EXPECT_GE(share, std::min(wanted, smallFile)) << ours.size() << " steps here, " << theirs.size() << " in the peer";
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, JanomeCorpus,
    ::testing::Values(
        // The peer drops the move of a colour change record (80 01 with a move); ours keeps it.
        Expectation{"jef", 0.999, {{"PEmbroider_multicolor_png.jef", 0.99}}},
        Expectation{"jef+", 0.999, {}},
        // The peer reads the zero padding after the end mark as stitches (no steps, no effect).
        Expectation{"sew", 0.999, {}},
        // The colour change 7F 08 00 00 reads as a change and a zero stitch here. One file
        // holds a stitch record where the colour block offset belongs; the trusted offset makes
        // the reader run on through the colour block.
        Expectation{"xxx", 0.995, {{"PEmbroider_bitmap_image_2.xxx", 0.97}}},
        Expectation{"emd", 0.999, {}}),
    [](const auto& info) {
      std::string name = info.param.folder;
      for (char& c : name)
        if (c == '+') c = 'P';
      return name;
    });

TEST(JanomeCorpus, CompoundDesignsShowTheVersionPicture) {
  int seen = 0;
  for (const char* folder : {"art", "emb", "jan"}) {
    for (const auto& file : test::corpusFiles(folder)) {
      ++seen;
      DesignCodec codec;
      EmbDesign d;
      EXPECT_EQ(codec.loadDesign(&d, file.string()), LoadResult::Unsupported) << file;
    }
  }
  if (seen == 0) GTEST_SKIP() << "no ART, EMB or JAN files under " << test::corpusDir();
}

}  // namespace
}  // namespace lh
