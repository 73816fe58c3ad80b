// loomhall-cli print: the PDF's pages and text follow the page arithmetic, and nothing is
// ever written over. The PDF checks use poppler-utils (pdfinfo, pdftotext, pdftoppm) and are
// skipped only where those tools are missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "print/print_layout.h"
#include "tests/support/cli_run.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::runCli;
using test::shellQuote;

std::string shellOutput(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  ::pclose(pipe);
  return out;
}

bool popplerPresent() { return std::system("command -v pdfinfo pdftotext pdftoppm >/dev/null 2>&1") == 0; }

int pdfPages(const std::string& pdf) {
  const std::string info = shellOutput("pdfinfo " + shellQuote(pdf));
  const auto at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

std::string pdfText(const std::string& pdf) { return shellOutput("pdftotext -layout " + shellQuote(pdf) + " -"); }

// Share of dark pixels on page `page`, from a small grey rendering.
double inkOnPage(const std::string& pdf, int page, const std::string& dir) {
  const std::string base = dir + "/ink";
  const std::string n = std::to_string(page);
  std::system(("pdftoppm -gray -r 20 -f " + n + " -l " + n + " -singlefile " + shellQuote(pdf) + " " +
               shellQuote(base)).c_str());
  std::ifstream in(base + ".pgm", std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  in.get();
  int dark = 0;
  for (int i = 0; i < w * h; ++i) dark += in.get() < 128 ? 1 : 0;
  return w * h > 0 ? static_cast<double>(dark) / (w * h) : 0.0;
}

class PrintCommand : public ::testing::Test {
 protected:
  // The leak checker of sanitizer builds fails on the thread-local storage of Qt's plug-ins
  // when the program is started from this test; the page code's own leaks are checked by
  // print_tests.
  static void SetUpTestSuite() { ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1); }
  // `count` sample designs copied into a folder of their own.
  std::string designFolder(int count) {
    const std::string folder = dir.file("designs");
    std::filesystem::create_directories(folder);
    const char* names[] = {"flower.pes", "flower.jef", "letters.pes", "letters.xxx", "quilt.pes", "quilt.exp", "spiral.dst"};
    for (int i = 0; i < count; ++i)
      std::filesystem::copy_file(std::string(LH_SAMPLES_DIR) + "/" + names[i], folder + "/" + names[i]);
    return folder;
  }
  test::TempDir dir;
};

TEST_F(PrintCommand, ThumbnailPagesThenContents) {
  const std::string folder = designFolder(7);
  const std::string pdf = dir.file("sheets.pdf");
  const auto r = runCli("print --defaults --contents --title 'Spring Sheets' --pdf " + shellQuote(pdf) + " " +
                            shellQuote(folder) + " " + shellQuote(std::string(LH_SAMPLES_DIR) + "/more-samples.zip"),
                        dir.path().string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, pdf + "\n");
  if (!popplerPresent()) GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext, pdftoppm) not installed";
  // 7 designs and the archive's 3 on 3 x 2 grids, then one contents page for the two groups.
  EXPECT_EQ(pdfPages(pdf), print::planPages(print::PrintMode::Thumbnails, 10, 6, true, 2, 60).total());
  const std::string text = pdfText(pdf);
  for (const char* expected : {"Spring Sheets", "Printed ", "letters.xxx", "spiral.dst", "Page: 1", "Page: 2",
                               "3 (13/16)\" x 1 (1/8)\"", "stitches : 4 colors", "Table of Contents",
                               "Page (i)"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  // pdftotext gives the contents lines' spaces as one.
  EXPECT_TRUE(std::regex_search(text, std::regex("1 +\\.\\.\\. " + folder + "/"))) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("2 +\\.\\.\\. " + std::string(LH_SAMPLES_DIR) + "/more-samples.zip")))
      << text;
  for (int page = 1; page <= 2; ++page) EXPECT_GT(inkOnPage(pdf, page, dir.path().string()), 0.01) << page;
}

TEST_F(PrintCommand, OptionsChangePagesAndText) {
  const std::string folder = designFolder(3);
  struct Case {
    std::string options;
    int pages;
    std::string present, absent;
  };
  const Case cases[] = {
      {"--mode full", 3, "Stitches", "Table of Contents"},                  // one page per design
      {"--mode contents", 1, "Table of Contents", "stitches : "},           // no design pages
      {"--rows 1 --columns 1 --no-date --no-page-numbers", 3, "letters.pes", "Printed "},
      {"--set Print/Rows=1 --set Print/Columns=2 --landscape", 2, "letters.pes", "Page: 3"},
  };
  if (!popplerPresent()) GTEST_SKIP() << "poppler-utils not installed";
  int n = 0;
  for (const Case& c : cases) {
    const std::string pdf = dir.file("case" + std::to_string(++n) + ".pdf");
    const auto r = runCli("print --defaults " + c.options + " --pdf " + shellQuote(pdf) + " " + shellQuote(folder),
                          dir.path().string());
    ASSERT_EQ(r.status, 0) << c.options << ": " << r.err;
    EXPECT_EQ(pdfPages(pdf), c.pages) << c.options;
    const std::string text = pdfText(pdf);
    EXPECT_NE(text.find(c.present), std::string::npos) << c.options << "\n" << text;
    EXPECT_EQ(text.find(c.absent), std::string::npos) << c.options << "\n" << text;
  }
}

TEST_F(PrintCommand, NeverWritesOverAFile) {
  const std::string folder = designFolder(1);
  const std::string pdf = dir.file("sheet.pdf");
  std::ofstream(pdf) << "mine";
  const auto r = runCli("print --defaults --pdf " + shellQuote(pdf) + " " + shellQuote(folder), dir.path().string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("sheet(2).pdf") + "\n");
  EXPECT_EQ(test::readText(pdf), "mine");
  EXPECT_EQ(test::readText(dir.file("sheet(2).pdf")).substr(0, 5), "%PDF-");
}

TEST_F(PrintCommand, RefusalsWriteNothing) {
  const std::string empty = dir.file("empty");
  std::filesystem::create_directories(empty);
  const std::string pdf = dir.file("out.pdf");
  const std::pair<std::string, int> cases[] = {
      {"print --defaults --pdf " + shellQuote(pdf) + " " + shellQuote(empty), 1},          // no design
      {"print --defaults --pdf " + shellQuote(dir.file("out.txt")) + " " + shellQuote(empty), 2},
      {"print --defaults --rows 0 --pdf " + shellQuote(pdf) + " " + shellQuote(empty), 2},
      {"print --defaults --set Print/Rows=abc --pdf " + shellQuote(pdf) + " " + shellQuote(empty), 2},
      {"print --defaults --set Print/Nothing=1 --pdf " + shellQuote(pdf) + " " + shellQuote(empty), 2},
      {"print --defaults " + shellQuote(empty), 2},                                         // no --pdf
  };
  for (const auto& [args, status] : cases) EXPECT_EQ(runCli(args, dir.path().string()).status, status) << args;
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
}

}  // namespace
}  // namespace lh
