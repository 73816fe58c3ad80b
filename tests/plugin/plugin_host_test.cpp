// The host's side of the exchange: its answers to every request in order, the walk over the
// selection at its ends, the acknowledgement rule, and the designs handed back saved as the
// tool runner saves them (beside the source, in the temporary folder, into a zip archive,
// never over a file, followed by the catalog).
#include "plugin/plugin_host.h"

#include <gtest/gtest.h>

#include "catalog/catalog.h"
#include "plugin/payload.h"
#include "tests/support/fake_drives.h"
#include "tests/tools/tool_fixtures.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

constexpr std::int64_t kToken = 4711;

BusFrame request(std::string_view name, std::int64_t wParam = 1,
                 std::optional<BusBlock> block = std::nullopt) {
  return BusFrame{std::string(name), wParam, kToken, std::move(block)};
}

// A host over a file list in a scratch folder, with the answers it posted.
class HostTest : public ::testing::Test {
 protected:
  HostTest() : host(files, settings, [this](const BusFrame& f) { posted.push_back(f); }) {
    settings.setInt("Workspace", "workspace", 0);
    host.setSaving(PluginSaving::fromSettings(settings));
  }

  // Adds a file to the list; designs are written as DST files, other names get text.
  void add(const std::string& name, bool selected = true) {
    const std::string path = dir / name;
    if (extensionOf(name) == "dst")
      test::writeDst(test::sampleDesign(100 + 10 * static_cast<int>(files.size()), 50), path);
    else
      test::writeAll(path, "notes of " + name);
    FileItem item = parseItemText(path);
    item.isSelected = selected;
    files.append(item);
  }

  // Posts `name` and acknowledges; the answer's wParam and the file name its design names
  // ("" when no design came).
  std::pair<std::int64_t, std::string> ask(std::string_view name) {
    posted.clear();
    EXPECT_TRUE(host.handlePluginMessage(request(name)));
    EXPECT_EQ(posted.size(), 1u) << name;
    if (posted.empty()) return {-1, ""};
    const BusFrame answer = posted.back();
    EXPECT_EQ(answer.lParam, kToken);
    host.handlePluginMessage(request("LHMessageReceived"));
    EmbDesign d;
    if (answer.wParam != 0 && answer.block) readDesignPayload(answer.block->bytes, d, PayloadSide::Plugin);
    return {answer.wParam, d.path.empty() ? "" : fileNameOf(d.path)};
  }

  // The block a plug-in hands back: the design at `path` with its first colour changed.
  BusBlock handedBack(const std::string& path, std::uint32_t rgb) {
    EmbDesign d = test::sampleDesign(120, 60, 2);
    d.path = path;
    d.threads[0].rgb = rgb;
    return BusBlock{std::string(kDesignBlockFormat), *writeDesignPayload(d, PayloadSide::Plugin)};
  }

  test::ScratchDir dir;
  FileList files;
  MemorySettings settings;
  std::vector<BusFrame> posted;
  PluginHost host;
};

TEST_F(HostTest, WalksTheSelectedDesignsToBothEndsAndBack) {
  add("a.dst");
  add("b.txt");
  add("c.dst");
  add("d.dst", false);
  add("e.bmp");
  add("f.dst");
  add("g.dst", false);
  using Step = std::tuple<std::string_view, std::int64_t, std::string>;
  const std::vector<Step> steps{
      {"LHGetFirst", 1, "a.dst"},
      {"LHCall", 1, "c.dst"},
      {"LHCall", 1, "f.dst"},
      {"LHCall", 0, ""},  // the last eligible file: the cursor stays on it
      {"LHGetPrevFile", 1, "c.dst"},
      {"LHGetPrevFile", 1, "a.dst"},
      {"LHGetPrevFile", 0, ""},  // before the first: the cursor goes to the first eligible file
      {"LHCall", 1, "c.dst"},
      {"LHGetLast", 1, "f.dst"},
      {"LHCall", 0, ""},
  };
  for (const auto& [name, result, file] : steps) {
    const auto [got, sent] = ask(name);
    EXPECT_EQ(got, result) << name << " expecting " << file;
    EXPECT_EQ(sent, file) << name;
  }
  EXPECT_EQ(host.filesSent(), 7);
  EXPECT_EQ(posted.back().name, "LHCallback");
}

TEST_F(HostTest, AnEmptyCursorStartsFromTheEnds) {
  add("a.dst");
  add("b.dst");
  add("c.dst");
  EXPECT_EQ(ask("LHGetFirst").second, "a.dst");
  EXPECT_EQ(ask("LHCall").second, "b.dst");
  host.selectionChanged();
  EXPECT_FALSE(host.cursor());
  EXPECT_EQ(ask("LHGetPrevFile").second, "c.dst");  // from an empty cursor: the last entry
  host.selectionChanged();
  EXPECT_EQ(ask("LHCall").second, "b.dst");  // starts at the first entry and moves on
  // Nothing selected: no design, and the cursor stays empty.
  for (std::size_t i = 0; i < files.size(); ++i) files[i].isSelected = false;
  host.selectionChanged();
  for (std::string_view name : {"LHGetFirst", "LHGetLast", "LHCall", "LHGetPrevFile"})
    EXPECT_EQ(ask(name).first, 0) << name;
  EXPECT_FALSE(host.cursor());
}

TEST_F(HostTest, AnAnswerWithABlockWaitsForItsAcknowledgement) {
  add("a.dst");
  add("b.dst");
  EXPECT_TRUE(host.handlePluginMessage(request("LHGetFirst")));
  EXPECT_TRUE(host.awaitingAck());
  // Dropped without an answer until the plug-in acknowledges.
  EXPECT_TRUE(host.handlePluginMessage(request("LHCall")));
  EXPECT_TRUE(host.handlePluginMessage(request("LHGetSelEmb")));
  EXPECT_EQ(posted.size(), 1u);
  EXPECT_TRUE(host.handlePluginMessage(request("LHMessageReceived")));
  EXPECT_FALSE(host.awaitingAck());
  EXPECT_TRUE(host.handlePluginMessage(request("LHCall")));
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[1].wParam, 1);
  host.handlePluginMessage(request("LHMessageReceived"));

  // An answer of 0 places nothing and waits for nothing, except for First and the selection.
  host.handlePluginMessage(request("LHCall"));
  EXPECT_EQ(posted.back().wParam, 0);
  EXPECT_FALSE(host.awaitingAck());
  for (std::size_t i = 0; i < files.size(); ++i) files[i].isSelected = false;
  host.handlePluginMessage(request("LHGetFirst"));
  EXPECT_EQ(posted.back().wParam, 0);
  EXPECT_TRUE(host.awaitingAck());

  // "LHReqCanMultiSave" and "Plug-in ended" forgive the acknowledgement too.
  host.handlePluginMessage(request("LHReqCanMultiSave"));
  EXPECT_FALSE(host.awaitingAck());
  EXPECT_EQ(posted.back(), (BusFrame{"LHCanMultiSave", 0, kToken, std::nullopt}));
  int ended = 0;
  host.setPluginEnded([&] { ++ended; });
  host.handlePluginMessage(request("LHGetFirst"));
  EXPECT_TRUE(host.awaitingAck());
  EXPECT_TRUE(host.handlePluginMessage(request("Plug-in ended")));
  EXPECT_FALSE(host.awaitingAck());
  EXPECT_EQ(ended, 1);
}

TEST_F(HostTest, TakesOnlyRequestsForPluginNumberOne) {
  add("a.dst");
  for (const std::int64_t wParam : {0, 2, -1})
    EXPECT_FALSE(host.handlePluginMessage(request("LHGetFirst", wParam)));
  // Its own answers come back on the bus; they and unknown names go to normal dispatch.
  EXPECT_FALSE(host.handlePluginMessage(request("LHCallback")));
  EXPECT_FALSE(host.handlePluginMessage(request("LHPlugInStop")));
  EXPECT_FALSE(host.handlePluginMessage(request("LHNoSuchMessage")));
  EXPECT_TRUE(posted.empty());
  EXPECT_FALSE(host.awaitingAck());
}

TEST_F(HostTest, TheWholeFileRequestSendsAnySelectedFile) {
  add("a.dst");
  add("b.txt");
  add("c.bmp", false);
  add("d.dst");
  const auto whole = [&] {
    ask("LHGetWholeFile");
    return posted.back();
  };
  ask("LHGetFirst");
  const BusFrame text = whole();
  ASSERT_EQ(text.wParam, 1);
  ASSERT_TRUE(text.block);
  EXPECT_EQ(text.block->format, "LHEmbroideryFile");
  std::vector<std::uint8_t> expected = test::readAll(dir / "b.txt");
  expected.push_back(0);
  EXPECT_EQ(text.block->bytes, expected);
  expected = test::readAll(dir / "d.dst");
  expected.push_back(0);
  EXPECT_EQ(whole().block->bytes, expected);
  EXPECT_EQ(whole().wParam, 0);
  EXPECT_FALSE(host.cursor());
}

TEST_F(HostTest, TheSelectionRequestStopsAtTwentyDesigns) {
  for (int i = 0; i < 24; ++i) add("d" + std::to_string(100 + i) + ".dst");
  add("notes.txt");
  files[0].isSelected = false;
  EXPECT_TRUE(host.handlePluginMessage(request("LHGetSelEmb")));
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].name, "LHEmbSelCB");
  EXPECT_EQ(posted[0].wParam, 20);
  ASSERT_TRUE(posted[0].block);
  EXPECT_EQ(posted[0].block->format, "LHMultEmbroideryFiles");
  const MultiPayload multi = readMultiPayload(posted[0].block->bytes);
  ASSERT_EQ(multi.designs.size(), 20u);
  EXPECT_EQ(fileNameOf(multi.designs.front().path), "d101.dst");
  EXPECT_EQ(fileNameOf(multi.designs.back().path), "d120.dst");
  EXPECT_FALSE(multi.designs[3].stitches.empty());
}

TEST_F(HostTest, ColoursAndFileTypesFollowTheCurrentFile) {
  add("a.dst");
  // Without a current file: the colours of the on-the-fly format's "Untitled" design only.
  ask("LHReqColorArray");
  ASSERT_EQ(posted.back().wParam, 1);
  EmbDesign palette;
  readDesignPayload(posted.back().block->bytes, palette, PayloadSide::Plugin);
  EXPECT_EQ(palette.path, "Untitled.PES");
  EXPECT_FALSE(palette.threads.empty());
  EXPECT_TRUE(palette.stitches.empty());
  EXPECT_EQ(ask("LHReqThreadColorArray").first, 0);
  EXPECT_EQ(ask("LHGetFileTypeList").first, 0);

  ask("LHGetFirst");
  for (std::string_view name : {"LHReqColorArray", "LHReqThreadColorArray"}) {
    ask(name);
    ASSERT_EQ(posted.back().wParam, 1) << name;
    EmbDesign colours;
    readDesignPayload(posted.back().block->bytes, colours, PayloadSide::Plugin);
    EXPECT_EQ(colours.path, dir / "a.dst") << name;
    EXPECT_FALSE(colours.threads.empty()) << name;
  }
  EXPECT_EQ(posted.back().name, "LHThreadColorArray");
  ask("LHGetFileTypeList");
  EXPECT_EQ(posted.back().name, "LHFileTypeList");
  EXPECT_EQ(posted.back().block->bytes, writeFileTypeListPayload());
}

// Loads a saved design's first colour.
std::uint32_t firstColour(const std::string& path) {
  DesignCodec codec;
  EmbDesign d;
  codec.busyCount.fetch_add(1);
  EXPECT_EQ(codec.loadDesign(&d, path), LoadResult::Ok) << path;
  return d.threads.empty() ? 0xFFFFFFFF : d.threads[0].rgb;
}

TEST_F(HostTest, SavesHandedBackDesignsBesideTheSourceWithoutOverwriting) {
  add("a.dst");
  ask("LHGetFirst");
  // Saved also while an answer awaits its acknowledgement: the design is not dropped.
  host.handlePluginMessage(request("LHGetLast"));
  ASSERT_TRUE(host.awaitingAck());
  posted.clear();
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(host.handlePluginMessage(request("LHRequestSave", 1, handedBack(dir / "a.dst", 0x00123456))));
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0], (BusFrame{"LHFileSaved", 0, kToken, std::nullopt}));
  // The tool format ("Tools selected": PES), a new name each time.
  EXPECT_EQ(host.created(), (std::vector<std::string>{dir / "a.pes", dir / "a(2).pes"}));
  EXPECT_EQ(host.origins(), (std::vector<std::string>{dir / "a.dst", dir / "a.dst"}));
  EXPECT_EQ(firstColour(dir / "a(2).pes"), 0x00123456u);
  EXPECT_EQ(host.runReport(), "Loomhall Tools keep same file types.\r\n2 files were created.\r\n");

  // A design without a folder of its own goes to "originalDirectory"; none set: not saved.
  host.handlePluginMessage(request("LHRequestSave", 1, handedBack("rose.dst", 0x00123456)));
  EXPECT_EQ(host.created().size(), 2u);
  EXPECT_TRUE(host.runReport().starts_with("rose.dst could not be saved.\r\n"));
  test::ScratchDir original;
  PluginSaving saving = PluginSaving::fromSettings(settings);
  saving.originalDirectory = original / "My Original Designs";  // made when needed
  host.setSaving(saving);
  host.handlePluginMessage(request("LHRequestSave", 1, handedBack("rose.dst", 0x00123456)));
  EXPECT_EQ(host.created().back(), original / "My Original Designs/rose.pes");
  EXPECT_EQ(firstColour(original / "My Original Designs/rose.pes"), 0x00123456u);
  // No block, or a block of another format: nothing saved, the answer all the same.
  host.handlePluginMessage(request("LHRequestSave"));
  host.handlePluginMessage(request("LHRequestSave", 1, BusBlock{"LHMultEmbroideryFiles", {}}));
  EXPECT_EQ(host.created().size(), 3u);
  EXPECT_EQ(posted.back().name, "LHFileSaved");
}

TEST_F(HostTest, SavesIntoTheTemporaryFolderAndIntoZipArchives) {
  test::ScratchDir temps;
  PluginSaving saving = PluginSaving::fromSettings(settings);
  saving.run.workspace = true;
  saving.run.directory = temps.path();
  host.setSaving(saving);
  const std::string zip = dir / "set.zip";
  ASSERT_TRUE(ZipArchive::writeMember(zip, "rose.dst", std::vector<std::uint8_t>{1, 2, 3}));
  const std::string member = makeZipPath(zip, "rose.dst");
  host.handlePluginMessage(request("LHRequestSave", 1, handedBack(member, 0x00111111)));
  EXPECT_EQ(host.created(), std::vector<std::string>{temps / "rose.pes"});  // a plain file there

  saving.run.workspace = false;
  host.setSaving(saving);
  settings.setInt("Settings", "Tools keep", 1);  // the design's own format
  std::vector<EmbDesign> two;
  two.push_back(test::sampleDesign(100, 40));
  two.push_back(test::sampleDesign(80, 40));
  two[0].path = two[1].path = member;
  host.handlePluginMessage(
      request("LHReqMultiSave", 1,
              BusBlock{"LHMultEmbroideryFiles", writeMultiPayload(two, PayloadSide::Plugin).bytes}));
  EXPECT_EQ(posted.back(), (BusFrame{"LHFileSaved", 0, kToken, std::nullopt}));
  EXPECT_EQ(ZipArchive::listMembers(zip),
            (std::vector<std::string>{"rose.dst", "rose(2).dst", "rose(3).dst"}));
  EXPECT_EQ(ZipArchive::readMember(zip, "rose.dst"), (std::vector<std::uint8_t>{1, 2, 3}));  // untouched
  EXPECT_EQ(host.created().back(), makeZipPath(zip, "rose(3).dst"));
}

TEST_F(HostTest, TheCatalogListsSavedDesignsAfterTheirSource) {
  add("a.dst");
  Catalog catalog = Catalog::fresh();
  const CategoryId top = catalog.topCategory();
  const CategoryId flowers = catalog.addCategory(top, "Flowers");
  catalog.addEntry(flowers, dir / "a.dst");
  catalog.addEntry(flowers, dir / "z.dst");
  const test::FakeDrives drives;
  CatalogFollower follower(catalog, drives, {});
  host.setCatalog(&follower);
  std::vector<std::string> heard;
  host.setFileCreated([&](const std::string& source, const std::string& created) {
    heard.push_back(source + ">" + created);
  });
  host.handlePluginMessage(request("LHRequestSave", 1, handedBack(dir / "a.dst", 0x00010203)));
  EXPECT_EQ(catalog.category(flowers)->entries(),
            (std::vector<std::string>{dir / "a.dst", dir / "a.pes", dir / "z.dst"}));
  EXPECT_EQ(heard, std::vector<std::string>{dir / "a.dst" + ">" + dir / "a.pes"});
  host.beginRun();
  EXPECT_TRUE(host.created().empty());
  EXPECT_EQ(host.runReport(), "");
}

}  // namespace
}  // namespace lh
