#include <gtest/gtest.h>

#include <stdexcept>

#include "formats/design_codec.h"
#include "formats/dst.h"
#include "formats/error_pictures.h"
#include "formats/format_table.h"
#include "render/cdib.h"
#include "tests/support/design_builder.h"
#include "tests/zip/temp_dir.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::colorChange;
using test::makeDesign;
using test::st;
using test::TempDir;

// Readers planted in a table of their own, to see what the dispatcher does with each result.
int gCalls = 0;
ReadResult readFails(DesignCodec&, EmbDesign&, ByteSpan) { return ++gCalls, ReadResult::Failed; }
ReadResult readUnsupported(DesignCodec&, EmbDesign&, ByteSpan) { return ++gCalls, ReadResult::Unsupported; }
ReadResult readThrows(DesignCodec&, EmbDesign& d, ByteSpan) {
  ++gCalls;
  d.stitches.assign(3, Stitch(1, 1));
  throw std::runtime_error("corrupt");
}
ReadResult readOne(DesignCodec&, EmbDesign& d, ByteSpan f) {
  ++gCalls;
  d.stitches.assign(1, Stitch(static_cast<int>(f.size()), 0));
  d.threads.assign(1, ThreadColor());
  return ReadResult::Ok;
}

constexpr FormatInfo kPlanted[] = {
    {"Bad", FormatPes, FormatKind::Design, readFails, "View Pes", FormatPes, FormatPes, FormatPes, {}},
    {"Old", FormatPes, FormatKind::Design, readUnsupported, "View Pes", FormatPes, FormatPes, FormatPes, {}},
    {"Boom", FormatPes, FormatKind::Design, readThrows, "View Pes", FormatPes, FormatPes, FormatPes, {}},
    {"One", FormatPes, FormatKind::Design, readOne, "View Pes", FormatPes, FormatPes, FormatPes, {}},
    {"Jef+", FormatJef, FormatKind::Design, readOne, "View Jef", FormatJef, FormatJef, FormatJef, {}},
};

class NoMedium final : public MediaCheck {
 public:
  bool isReady(std::string_view) const override { return false; }
};

class LoadDesignTest : public ::testing::Test {
 protected:
  void SetUp() override { gCalls = 0; }

  // Loads as a caller does: count up first, the load counts down.
  LoadResult load(EmbDesign& d, const std::string& path, std::span<const FormatInfo> table = formatTable()) {
    ++codec.busyCount;
    const LoadResult r = codec.loadDesign(&d, path, table);
    EXPECT_EQ(codec.busyCount.load(), 0) << path;
    return r;
  }
  std::vector<std::uint8_t> elevenBytes() const { return std::vector<std::uint8_t>(11, 0x20); }
  bool shows(const EmbDesign& d, std::span<const std::uint8_t> picture) const {
    return d.holdsPicture && std::equal(d.picture.begin(), d.picture.end(), picture.begin(), picture.end());
  }

  TempDir dir;
  MemorySettings settings;
  DesignCodec codec{&settings};
};

TEST_F(LoadDesignTest, ResultsOfTheReaders) {
  for (const char* name : {"a.bad", "a.old", "a.boom", "a.one"}) dir.write(name, elevenBytes());
  const struct {
    const char* name;
    LoadResult result;
    bool missingPicture, versionPicture;
  } cases[] = {
      {"a.bad", LoadResult::Failed, true, false},
      {"a.old", LoadResult::Unsupported, false, true},
      {"a.boom", LoadResult::Failed, true, false},  // a reader that throws has failed
      {"a.one", LoadResult::Ok, false, false},
  };
  for (const auto& c : cases) {
    EmbDesign d;
    EXPECT_EQ(load(d, dir.file(c.name), kPlanted), c.result) << c.name;
    EXPECT_EQ(shows(d, missingFilePicture()), c.missingPicture) << c.name;
    EXPECT_EQ(shows(d, versionPicture()), c.versionPicture) << c.name;
    EXPECT_FALSE(d.loadFailed) << c.name;  // the file itself was read
    EXPECT_FALSE(d.isText) << c.name;
    EXPECT_EQ(d.path, dir.file(c.name));
    EXPECT_EQ(d.sourcePath, dir.file(c.name));
  }
  EXPECT_EQ(gCalls, 4);
}

TEST_F(LoadDesignTest, SamePathShortcutAndCrashGuard) {
  dir.write("Rose.One", elevenBytes());
  EmbDesign d;
  EXPECT_EQ(load(d, dir.file("Rose.One"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(settings.getString("Settings", "Last File", ""), dir.file("Rose.One"));
  ASSERT_EQ(d.threads.size(), 1u);
  EXPECT_EQ(d.threads[0].stitchCount, 1);  // block statistics ran
  settings.setString("Settings", "Last File", "");
  // The same path again: nothing happens, not even the crash guard.
  EXPECT_EQ(load(d, dir.file("Rose.One"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(settings.getString("Settings", "Last File", ""), "");
  EXPECT_EQ(gCalls, 1);
  // No design at all.
  ++codec.busyCount;
  EXPECT_EQ(codec.loadDesign(nullptr, "x.dst"), LoadResult::NoDesign);
  EXPECT_EQ(codec.busyCount.load(), 0);
}

TEST_F(LoadDesignTest, PathsDifferingInCaseAreOtherFiles) {
  // Two files whose names differ only in case; the planted reader records the file's size.
  dir.write("Rose.One", elevenBytes());
  dir.write("rose.one", std::vector<std::uint8_t>(12, 0x20));
  EmbDesign d;
  EXPECT_EQ(load(d, dir.file("Rose.One"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(load(d, dir.file("rose.one"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(gCalls, 2);
  ASSERT_EQ(d.stitches.size(), 1u);
  EXPECT_EQ(d.stitches[0].dx, 12);
  EXPECT_EQ(d.path, dir.file("rose.one"));
  EXPECT_EQ(settings.getString("Settings", "Last File", ""), dir.file("rose.one"));

  // Archive members: the archive's path compares exactly, the member name in any case.
  const std::string upper = dir.file("Set.zip"), lower = dir.file("set.zip");
  ASSERT_TRUE(ZipArchive::writeMember(upper, "in/Rose.One", elevenBytes()));
  ASSERT_TRUE(ZipArchive::writeMember(lower, "in/Rose.One", std::vector<std::uint8_t>(13, 0x20)));
  EmbDesign z;
  EXPECT_EQ(load(z, makeZipPath(upper, "in/Rose.One"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(load(z, makeZipPath(upper, "IN/rose.ONE"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(gCalls, 3);  // the same member
  EXPECT_EQ(z.path, makeZipPath(upper, "in/Rose.One"));
  EXPECT_EQ(load(z, makeZipPath(lower, "in/Rose.One"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(gCalls, 4);  // another archive
  ASSERT_EQ(z.stitches.size(), 1u);
  EXPECT_EQ(z.stitches[0].dx, 13);
}

TEST_F(LoadDesignTest, ShortUnknownAndCaseInsensitiveTypes) {
  // Ten bytes or fewer reach no reader and hold no design: the load fails.
  dir.write("tiny.one", std::vector<std::uint8_t>(10, 1));
  dir.write("empty.one", {});
  for (const char* name : {"tiny.one", "empty.one"}) {
    EmbDesign d = makeDesign({st(5, 5)});
    EXPECT_EQ(load(d, dir.file(name), kPlanted), LoadResult::Failed) << name;
    EXPECT_TRUE(shows(d, missingFilePicture())) << name;
    EXPECT_FALSE(d.isText);
  }
  EXPECT_EQ(gCalls, 0);
  // An unknown extension is read but reaches no reader either: no design.
  dir.write("notes.xyz", elevenBytes());
  EmbDesign u;
  EXPECT_EQ(load(u, dir.file("notes.xyz"), kPlanted), LoadResult::Failed);
  EXPECT_EQ(gCalls, 0);
  // Upper case and "jef+" select their rows.
  dir.write("DESIGN.ONE", elevenBytes());
  dir.write("design.jef+", elevenBytes());
  EmbDesign a, b;
  EXPECT_EQ(load(a, dir.file("DESIGN.ONE"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(load(b, dir.file("design.jef+"), kPlanted), LoadResult::Ok);
  EXPECT_EQ(gCalls, 2);
}

TEST_F(LoadDesignTest, MissingFilesAndEmptyDrives) {
  EmbDesign d;
  EXPECT_EQ(load(d, dir.file("gone.dst")), LoadResult::Failed);
  EXPECT_TRUE(d.loadFailed);
  EXPECT_TRUE(shows(d, missingFilePicture()));
  // Emptied and loaded again from a file that is there: nothing of the failure remains.
  dir.write("back.one", elevenBytes());
  d.clear();
  EXPECT_EQ(load(d, dir.file("back.one"), kPlanted), LoadResult::Ok);
  EXPECT_FALSE(d.loadFailed);
  EXPECT_FALSE(d.holdsPicture);

  // A folder named like a design is not a file.
  std::filesystem::create_directory(dir.file("folder.dst"));
  EmbDesign f;
  EXPECT_EQ(load(f, dir.file("folder.dst")), LoadResult::Failed);

  // An empty drive answers before any attempt to open the file.
  NoMedium noMedium;
  DesignCodec offline(&settings, nullptr, &noMedium);
  dir.write("here.one", elevenBytes());
  EmbDesign e;
  const int calls = gCalls;
  ++offline.busyCount;
  EXPECT_EQ(offline.loadDesign(&e, dir.file("here.one"), kPlanted), LoadResult::NoMedium);
  EXPECT_EQ(offline.busyCount.load(), 0);
  EXPECT_TRUE(e.loadFailed);
  EXPECT_TRUE(shows(e, missingFilePicture()));
  EXPECT_EQ(gCalls, calls);
  EXPECT_FALSE(offline.readFileBlock(dir.file("here.one")));
}

TEST_F(LoadDesignTest, TextFiles) {
  // Only the first 4095 bytes of a text file are read.
  std::vector<std::uint8_t> big(10000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>('a' + i % 26);
  dir.write("big.txt", big);
  EmbDesign d = makeDesign({st(1, 2)});
  EXPECT_EQ(load(d, dir.file("big.txt")), LoadResult::Ok);
  EXPECT_TRUE(d.isText);
  EXPECT_EQ(d.text, std::string(big.begin(), big.begin() + kTextLimit));
  EXPECT_EQ(d.stitches.size(), 1u);  // text never clears the stitches

  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::string text;
  } cases[] = {
      {"8-bit", {'R', 'o', 's', 'e', 0xE9}, "Rose\xE9"},
      {"UTF-16 ending in a zero character", {'R', 0, 'o', 0, 's', 0, 'e', 0, 0, 0}, "Rose"},
      {"UTF-16 without one", {0xAC, 0x20, 'R', 0, 0xE9, 0}, "\xE2\x82\xACR\xC3\xA9"},
      {"UTF-16 with a byte order mark", {0xFF, 0xFE, 'O', 0, 'K', 0x00}, "OK"},
      {"UTF-16 big-endian", {0xFE, 0xFF, 0, 'O', 0, 'K'}, "OK"},
      {"UTF-16 surrogate pair", {0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE, 'x', 0}, "\xF0\x9F\x98\x80x"},
      {"lone surrogate", {0xFF, 0xFE, 0x00, 0xDC, 'x', 0}, "\xEF\xBF\xBDx"},
      {"8-bit stops at a zero", {'a', 'b', 0, 'c', 'd', 'e'}, "ab"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string name = "t" + std::to_string(n++) + ".TXT";
    dir.write(name, c.bytes);
    EmbDesign t;
    EXPECT_EQ(load(t, dir.file(name)), LoadResult::Ok) << c.what;
    EXPECT_TRUE(t.isText) << c.what;
    EXPECT_EQ(t.text, c.text) << c.what;
  }
  // A UTF-16 text cut at 4095 bytes ends in half a character and is still recognised.
  std::vector<std::uint8_t> wide;
  for (int i = 0; i < 3000; ++i) wide.insert(wide.end(), {static_cast<std::uint8_t>('a' + i % 26), 0});
  dir.write("wide.txt", wide);
  EmbDesign w;
  EXPECT_EQ(load(w, dir.file("wide.txt")), LoadResult::Ok);
  EXPECT_EQ(w.text.size(), 2047u);
}

TEST_F(LoadDesignTest, BitmapFilesShowAsPictures) {
  const auto bmp = versionPicture();
  dir.write("photo.bmp", std::vector<std::uint8_t>(bmp.begin(), bmp.end()));
  EmbDesign d;
  EXPECT_EQ(load(d, dir.file("photo.bmp")), LoadResult::Ok);
  EXPECT_TRUE(shows(d, bmp));

  dir.write("fake.bmp", std::vector<std::uint8_t>(100, 'B'));
  EmbDesign f;
  EXPECT_EQ(load(f, dir.file("fake.bmp")), LoadResult::Failed);
  EXPECT_TRUE(shows(f, missingFilePicture()));
  EXPECT_FALSE(f.loadFailed);
}

TEST_F(LoadDesignTest, ZipMembersLoadLikeFiles) {
  DesignCodec plain;
  EmbDesign source = makeDesign({st(10, 0), st(0, 10), st(-10, 0)});
  auto image = writeDst(plain, source);
  ASSERT_TRUE(image);
  dir.write("rose.dst", *image);
  const std::string archive = dir.file("designs.zip");
  ASSERT_TRUE(ZipArchive::writeMember(archive, "flowers/Rose.DST", *image));

  EmbDesign fromFile, fromZip;
  EXPECT_EQ(load(fromFile, dir.file("rose.dst")), LoadResult::Ok);
  EXPECT_EQ(load(fromZip, makeZipPath(archive, "flowers/rose.dst")), LoadResult::Ok);
  EXPECT_EQ(fromZip.stitches, fromFile.stitches);
  EXPECT_EQ(fromZip.threads.size(), 1u);
  EXPECT_EQ(fromZip.path, makeZipPath(archive, "flowers/rose.dst"));

  const auto block = codec.readFileBlock(makeZipPath(archive, "flowers/rose.dst"));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->size(), image->size() + 1);
  EXPECT_EQ(block->back(), 0);
  EXPECT_TRUE(std::equal(image->begin(), image->end(), block->begin()));

  for (const std::string& bad :
       {makeZipPath(archive, "lily.dst"), makeZipPath(dir.file("none.zip"), "rose.dst"), "Zip:" + archive}) {
    EmbDesign d;
    EXPECT_EQ(load(d, bad), LoadResult::Failed) << bad;
    EXPECT_TRUE(d.loadFailed) << bad;
    EXPECT_FALSE(codec.readFileBlock(bad)) << bad;
  }
}

TEST_F(LoadDesignTest, ReadFileBlock) {
  dir.write("a.dst", {1, 2, 3});
  dir.write("empty.dst", {});
  const auto block = codec.readFileBlock(dir.file("a.dst"));
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, (ByteBuffer{1, 2, 3, 0}));
  EXPECT_FALSE(codec.readFileBlock(dir.file("empty.dst")));
  EXPECT_FALSE(codec.readFileBlock(dir.file("missing.dst")));
}

TEST(ErrorPictures, AreSmallSixteenColorBitmaps) {
  for (auto picture : {missingFilePicture(), versionPicture()}) {
    CDib dib;
    ASSERT_EQ(dib.readFromMemory(picture), picture.size());
    EXPECT_EQ(dib.width(), 49);
    EXPECT_EQ(dib.height(), 48);
    EXPECT_EQ(dib.bitCount(), 4);
    EXPECT_EQ(dib.colourCount(), 16);
  }
  EXPECT_FALSE(std::equal(missingFilePicture().begin(), missingFilePicture().end(), versionPicture().begin(),
                          versionPicture().end()));
}

// A file that starts with another format's signature is read as that format, whatever its
// name says, and the design notes which; a name that agrees with the signature (or one whose
// reader takes those bytes anyway) is read as before.
TEST_F(LoadDesignTest, SignaturesOfOtherFormatsWinOverTheExtension) {
  const EmbDesign source =
      makeDesign({st(0, 0), st(40, 30), st(-20, 25), colorChange(), st(30, -40), st(10, 10)});
  const struct {
    FormatCode writtenAs;
    const char* name;
    const char* readAs;  // "" when the extension's own reader is used
  } cases[] = {
      {FormatPes, "pes-as.dst", "PES"}, {FormatPes, "pes-as.phc", "PES"}, {FormatHus, "hus-as.pes", "HUS"},
      {FormatVip, "vip-as.jef", "VIP"}, {FormatVp3, "vp3-as.exp", "VP3"}, {FormatPcs, "pcs-as.sew", "PCS"},
      {FormatPes, "pes-as.pec", ""},    {FormatHus, "plain.hus", ""},     {FormatDst, "plain.dst", ""},
  };
  for (const auto& c : cases) {
    EmbDesign work(source);
    work.path = "x.pes";
    const std::optional<ByteBuffer> image = writeAs(codec, work, c.writtenAs);
    ASSERT_TRUE(image) << c.name;
    dir.write(c.name, *image);
    dir.write(std::string("own.") + lowerExtension(*findFormat(c.writtenAs)), *image);

    EmbDesign misnamed, own;
    ASSERT_EQ(load(misnamed, dir.file(c.name)), LoadResult::Ok) << c.name;
    ASSERT_EQ(load(own, dir.file(std::string("own.") + lowerExtension(*findFormat(c.writtenAs)))),
              LoadResult::Ok);
    EXPECT_EQ(misnamed.attributes.getText(kReadAsAttribute).value_or(""), c.readAs) << c.name;
    EXPECT_FALSE(own.attributes.getText(kReadAsAttribute)) << c.name;
    EXPECT_EQ(test::sewnPoints(misnamed), test::sewnPoints(own)) << c.name;
    EXPECT_EQ(misnamed.threads.size(), own.threads.size()) << c.name;
  }
  // The note belongs to one load: the next file read under its own name has none.
  EmbDesign d;
  ASSERT_EQ(load(d, dir.file("pes-as.dst")), LoadResult::Ok);
  ASSERT_EQ(load(d, dir.file("plain.dst")), LoadResult::Ok);
  EXPECT_FALSE(d.attributes.getText(kReadAsAttribute));
}

}  // namespace
}  // namespace lh
