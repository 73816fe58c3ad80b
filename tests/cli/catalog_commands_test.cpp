// loomhall-cli catalog and the --catalog options of the tools, run as a program with their own
// settings and data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/support/cli_run.h"
#include "tests/tools/tool_fixtures.h"
#include "tests/zip/temp_dir.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

const std::string kTop = "Loomhall Catalog";
const std::string kFlowers = "Loomhall Catalog\\Flowers";

class CatalogCli : public ::testing::Test {
 protected:
  CatalogCli() { fs::create_directories(home.path() / "Quenby"); }

  CliRun cli(std::initializer_list<std::string> args) const {
    std::string words;
    for (const std::string& a : args) words += " " + test::shellQuote(a);
    return test::runCli(words, home.path().string());
  }
  // A DST design at `name` in the work folder.
  std::string design(const std::string& name) const {
    const std::string path = work.file(name);
    fs::create_directories(fs::path(path).parent_path());
    test::writeDst(test::sampleDesign(200, 100, 2), path);
    return path;
  }
  std::string catalogFile(const std::string& text) const {
    const std::string path = work.file("Catalog.QY");
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  nlohmann::json shown(const std::string& file = {}) const {
    const CliRun r = file.empty() ? cli({"catalog", "show", "--json"})
                                  : cli({"catalog", "--file", file, "show", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out);
  }
  std::vector<std::string> entriesOf(const nlohmann::json& j, const std::string& path) const {
    std::vector<std::string> out;
    for (const auto& c : j["categories"])
      if (c["path"] == path)
        for (const auto& e : c["entries"]) out.push_back(e["location"]);
    return out;
  }

  test::TempDir home, work;
};

TEST_F(CatalogCli, CategoriesInTheStoredCatalog) {
  CliRun r = cli({"catalog", "show"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kTop + "\n");

  EXPECT_EQ(cli({"catalog", "new", kFlowers}).out, kFlowers + "\n");
  EXPECT_EQ(cli({"catalog", "new", kFlowers + "\\Roses"}).status, 0);
  EXPECT_EQ(cli({"catalog", "new", kTop + "\\Animals"}).status, 0);
  r = cli({"catalog", "new", kTop + "\\Nowhere\\Cats"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the parent must exist"), std::string::npos) << r.err;
  EXPECT_EQ(cli({"catalog", "new", kFlowers}).status, 1);  // exists already

  r = cli({"catalog", "rename", kTop + "\\Animals", "Birds"});
  EXPECT_EQ(r.out, kTop + "\\Birds\n");
  r = cli({"catalog", "delete", kTop});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Don't delete your top category. Try renaming it instead."), std::string::npos)
      << r.err;
  EXPECT_EQ(cli({"catalog", "delete", kTop + "\\Nowhere"}).status, 1);
  EXPECT_EQ(cli({"catalog", "delete", kFlowers}).status, 0);

  r = cli({"catalog", "show"});
  EXPECT_EQ(r.out, kTop + "\n  Birds\n");
  // Every change was saved, with CR LF lines, in the file the JSON names.
  const nlohmann::json j = shown();
  EXPECT_EQ(test::readText(j["file"]), kTop + "\r\n\tBirds\r\n");
  EXPECT_EQ(cli({"catalog", "frobnicate"}).status, 2);
}

TEST_F(CatalogCli, AddRemoveAndTheJsonShape) {
  const std::string rose = design("rose.dst"), lily = design("sub/lily.dst");
  const std::string archive = work.file("set.zip");
  ASSERT_TRUE(ZipArchive::writeMember(archive, "tulip.dst", test::readAll(rose)));
  const std::string file = catalogFile(kTop + "\r\n\tFlowers\r\n");

  CliRun r = cli({"catalog", "--file", file, "add", kFlowers, rose, work.file("sub"), archive});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, rose + "\n" + lily + "\nZip:" + archive + ":tulip.dst\n");
  // A repeated add adds nothing and is no failure.
  r = cli({"catalog", "--file", file, "add", kFlowers, rose});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("already in"), std::string::npos);
  EXPECT_EQ(cli({"catalog", "--file", file, "add", kFlowers, work.file("none.dst")}).status, 1);
  EXPECT_EQ(cli({"catalog", "--file", file, "add", kTop + "\\Nowhere", rose}).status, 1);

  nlohmann::ordered_json j =
      nlohmann::ordered_json::parse(cli({"catalog", "--file", file, "show", "--json"}).out);
  std::vector<std::string> keys;
  for (const auto& [k, v] : j.items()) keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"file", "categories"}));
  ASSERT_EQ(j["categories"].size(), 2u);
  const auto& flowers = j["categories"][1];
  EXPECT_EQ(flowers["path"], kFlowers);
  EXPECT_EQ(flowers["name"], "Flowers");
  EXPECT_EQ(flowers["depth"], 1);
  ASSERT_EQ(flowers["entries"].size(), 3u);
  EXPECT_EQ(flowers["entries"][0], (nlohmann::ordered_json{{"location", rose}, {"disk", nullptr}}));

  // Removing by a path that no longer exists still finds the entry.
  fs::remove(lily);
  r = cli({"catalog", "--file", file, "remove", kFlowers, lily, "Zip:" + archive + ":tulip.dst"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(entriesOf(shown(file), kFlowers), std::vector<std::string>{rose});
  EXPECT_EQ(cli({"catalog", "--file", file, "remove", kFlowers, lily}).status, 1);  // not in it any more
}

TEST_F(CatalogCli, TemporaryFilesAndUnreadCatalogsAreRefused) {
  const std::string temp = work.file("My Temps");
  std::ofstream(home.path() / "Quenby" / "Loomhall.conf") << "[Workspace]\ndirectory=" << temp << "\n";
  const std::string kept = design("rose.dst"), scratch = design("My Temps/rose.dst");
  const std::string file = catalogFile(kTop + "\r\n");
  CliRun r = cli({"catalog", "--file", file, "add", kTop, scratch, kept});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kept + "\n");
  EXPECT_NE(r.err.find("You have attempted to catalog temporary (TMP) files."), std::string::npos) << r.err;
  EXPECT_EQ(entriesOf(shown(file), kTop), std::vector<std::string>{kept});

  // An entry before the first category cannot be placed: saving would lose it.
  const std::string unplaced = "/x/lost.pes\r\n" + kTop + "\r\n";
  catalogFile(unplaced);
  r = cli({"catalog", "--file", file, "new", kTop + "\\More"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not saved"), std::string::npos) << r.err;
  EXPECT_EQ(test::readText(file), unplaced);
  r = cli({"convert", "--catalog-file", file, "--to", "exp", kept});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(work.file("rose.exp")));  // refused before anything was written
}

TEST_F(CatalogCli, FindsWithDetailsLoadedInParallel) {
  const std::string samples = LH_SAMPLES_DIR;
  const std::string file = catalogFile(kTop + "\r\n" + samples + "/flower.pes\r\n" + samples +
                                       "/quilt.pes\r\n" + "\tFlowers\r\n" + samples + "/flower.jef\r\n");
  CliRun r = cli({"catalog", "--file", file, "find", "FLOW"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, samples + "/flower.pes\t" + kTop + "\n" + samples + "/flower.jef\t" + kFlowers + "\n");

  r = cli({"catalog", "--file", file, "find", "flower.PES", "--details", "-j", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  // The same size, stitch count and colour count as info gives.
  const CliRun info = cli({"info", samples + "/flower.pes"});
  ASSERT_EQ(info.status, 0);
  const std::string columns = info.out.substr(info.out.find('\t'));
  EXPECT_EQ(r.out, samples + "/flower.pes\t" + kTop + columns);
  EXPECT_EQ(cli({"catalog", "--file", file, "find", "tulip"}).status, 1);
}

TEST_F(CatalogCli, CheckNamesMissingEntriesAndRelinkFindsMovedOnes) {
  const std::string here = design("here.dst"), moved = design("old/moved.dst");
  const std::string file = catalogFile(kTop + "\r\n" + here + "\r\n\tFlowers\r\n" + moved + "\r\n" +
                                       work.file("gone/cd.dst") + "\tLHNODISK\r\n");
  CliRun r = cli({"catalog", "--file", file, "check"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;  // an absent disk is no missing file
  EXPECT_EQ(r.out, work.file("gone/cd.dst") + "\t" + kFlowers + "\tinsert the disk 'LHNODISK'\n");
  EXPECT_NE(r.err.find("insert the disk 'LHNODISK'"), std::string::npos);

  fs::create_directories(work.file("new"));
  fs::rename(moved, work.file("new/moved.dst"));
  r = cli({"catalog", "--file", file, "check"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find(moved + "\t" + kFlowers + "\tmissing\n"), std::string::npos) << r.out;

  r = cli({"catalog", "--file", file, "relink", work.file("new")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            kFlowers + ": " + moved + " -> " + work.file("new/moved.dst") + "\n1 catalog links updated.\n");
  EXPECT_EQ(cli({"catalog", "--file", file, "check"}).status, 0);
  EXPECT_EQ(cli({"catalog", "--file", file, "relink", work.file("nowhere")}).status, 1);
}

TEST_F(CatalogCli, ConvertListsNewFilesAfterTheirSourceOnlyWhenAsked) {
  const std::string rose = design("rose.dst"), lily = design("lily.dst");
  const std::string file =
      catalogFile(kTop + "\r\n" + rose + "\r\n" + lily + "\r\n\tFlowers\r\n" + lily + "\r\n" + rose + "\r\n");
  ASSERT_EQ(cli({"convert", "--to", "exp", rose}).status, 0);
  EXPECT_EQ(entriesOf(shown(file), kTop), (std::vector<std::string>{rose, lily}));

  const CliRun r = cli({"convert", "--catalog-file", file, "--to", "exp", rose});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string made = work.file("rose(2).exp");
  const nlohmann::json j = shown(file);
  EXPECT_EQ(entriesOf(j, kTop), (std::vector<std::string>{rose, made, lily}));
  EXPECT_EQ(entriesOf(j, kFlowers), (std::vector<std::string>{lily, rose, made}));

  // --catalog follows the stored catalog.
  ASSERT_EQ(cli({"catalog", "add", kTop, lily}).status, 0);
  ASSERT_EQ(cli({"baste", "--catalog", "--to", "dst", lily}).status, 0);
  EXPECT_EQ(entriesOf(shown(), kTop), (std::vector<std::string>{lily, work.file("lily+Baste.dst")}));
}

}  // namespace
}  // namespace lh
