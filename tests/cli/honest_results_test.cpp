// What loomhall-cli says and how it exits when an input is not what it seems: inputs that
// hold no design, failed conversions, files that need no recovery.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "formats/format_table.h"
#include "tests/support/cli_run.h"
#include "tests/tools/tool_fixtures.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::CliRun;
using test::sampleDesign;
using test::shellQuote;

class CliHonesty : public ::testing::Test {
 protected:
  // Runs loomhall-cli with `args` (already quoted), settings isolated, stderr kept.
  CliRun cli(const std::string& args) { return test::runCli(args, home.path()); }
  void write(const std::string& path, const ByteBuffer& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ByteBuffer image(FormatCode code, EmbDesign design) {
    DesignCodec codec;
    design.path = "x.dst";
    return writeAs(codec, design, code).value_or(ByteBuffer{});
  }

  test::ScratchDir in, out, home;
};

// A folder or archive that yields no design fails the run and says which and why.
TEST_F(CliHonesty, RunsWithNothingToWorkOnFail) {
  std::filesystem::create_directory(in / "empty");
  const std::string whole = in / "whole.zip";
  ASSERT_TRUE(ZipArchive::writeMember(whole, "rose.dst", image(FormatDst, sampleDesign(300, 200))));
  const std::string zipped = test::readText(whole);
  test::writeAll(in / "truncated.zip", zipped.substr(0, zipped.size() / 2));
  test::writeAll(in / "photo.zip", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 20));
  ASSERT_TRUE(ZipArchive::writeMember(in / "notes.zip", "notes.txt", ByteBuffer{'h', 'i'}));
  const struct {
    std::string input, says;
  } cases[] = {
      {in / "empty", "no designs in this folder"},
      {in / "truncated.zip", "a damaged or empty zip archive"},
      {in / "photo.zip", "not a zip archive"},
      {in / "notes.zip", "an archive without designs"},
  };
  for (const auto& c : cases) {
    const CliRun r = cli("convert --to jef --defaults " + shellQuote(c.input));
    EXPECT_EQ(r.status, 1) << c.input;
    EXPECT_NE(r.err.find(c.input + ": " + c.says + "\n"), std::string::npos) << r.err;
  }
  EXPECT_EQ(cli("convert --to jef --defaults " + shellQuote(whole)).status, 0);
}

// info says what a file is instead of a zero-size design, and fails; dump does not claim a
// design it did not read.
TEST_F(CliHonesty, InfoSaysWhatTheFileIs) {
  write(in / "empty.pes", {});
  test::writeAll(in / "notes.txt", "a note");
  test::writeAll(in / "colours.col", "10\n0,0,0\n");
  // A 1 x 1 bitmap of 24 bits.
  std::string bmp("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0", 38);
  bmp += std::string(16, '\0') + std::string("\xFF\xFF\xFF\0", 4);
  test::writeAll(in / "picture.bmp", bmp);
  const std::string archive = in / "set.zip";
  ASSERT_TRUE(ZipArchive::writeMember(archive, "a.dst", image(FormatDst, sampleDesign(300, 200))));
  ASSERT_TRUE(ZipArchive::writeMember(archive, "b.dst", image(FormatDst, sampleDesign(300, 200))));
  const struct {
    std::string file, says;
  } cases[] = {
      {in / "empty.pes", "an empty file"},
      {in / "notes.txt", "a text document, not a design"},
      {in / "picture.bmp", "a picture, not a design"},
      {in / "colours.col", "not a type of file loomhall-cli reads"},
      {archive, "an archive with 2 designs"},
  };
  for (const auto& c : cases) {
    const CliRun info = cli("info " + shellQuote(c.file));
    EXPECT_EQ(info.status, 1) << c.file;
    EXPECT_EQ(info.out, "") << c.file;
    EXPECT_EQ(info.err.rfind("loomhall-cli: " + c.file + ": " + c.says, 0), 0u) << info.err;
    const CliRun dump = cli("dump --json " + shellQuote(c.file));
    EXPECT_EQ(dump.status, 1) << c.file;
    EXPECT_EQ(dump.out.find("\"result\":0,"), std::string::npos) << dump.out;
  }
}

// A PES file named .dst is read as PES, with a note, instead of as a garbled DST.
TEST_F(CliHonesty, MisnamedDesignIsReadAsItsFormat) {
  write(in / "rose.dst", image(FormatPes, sampleDesign(300, 200, 2)));
  const CliRun r = cli("info " + shellQuote(in / "rose.dst"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find(in / "rose.dst\t3.00 cm x 2.00 cm : "), 0u) << r.out;
  EXPECT_TRUE(r.out.ends_with("\t2\n")) << r.out;
  EXPECT_EQ(r.err, "loomhall-cli: " + in / "rose.dst" + ": read as PES: the file starts with that format's signature\n");
}

// The report names the design that failed; stderr adds why.
TEST_F(CliHonesty, FailuresNameTheSourceAndTheReason) {
  test::writeDst(sampleDesign(3100, 200), in / "wide.dst");
  const CliRun r = cli("convert --to jef --defaults --set Conversion/jefr=0 --out " + shellQuote(out.path()) + " " +
                       shellQuote(in / "wide.dst"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, in / "wide.dst is too big for the new format.\nNo work completed.\n");
  EXPECT_EQ(r.err, "loomhall-cli: " + in / "wide.dst" +
                       ": too big for the 200 x 200 mm hoop of JEF (the design is 310.0 x 20.0 mm)\n");
}

// recover writes no " Fixed" copy of a file that needs no mending, and says so; --force
// writes it anyway.
TEST_F(CliHonesty, RecoverOfASoundFileWritesNothing) {
  write(in / "sound.pes", image(FormatPes, sampleDesign(300, 200, 2)));
  test::writeDst(sampleDesign(300, 200), in / "plain.dst");
  for (const char* name : {"sound.pes", "plain.dst"}) {
    const CliRun r = cli("recover --defaults --out " + shellQuote(out.path()) + " " + shellQuote(in / name));
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_TRUE(out.files().empty()) << name;
    EXPECT_EQ(r.err, "loomhall-cli: " + in / name + ": not a damaged PES 1.0 file; nothing was written\n");
  }
  const CliRun forced = cli("recover --defaults --force --out " + shellQuote(out.path()) + " " + shellQuote(in / "sound.pes"));
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(out.files(), std::vector<std::string>{"sound Fixed.pes"});
}

}  // namespace
}  // namespace lh
