#include "browser/core/tool_results.h"

#include <gtest/gtest.h>

namespace lh {
namespace {

FileItem listed(const std::string& text, std::uint64_t node) {
  FileItem item = parseItemText(text);
  item.treeItem = node;
  return item;
}

std::vector<std::string> texts(const FileList& list) {
  std::vector<std::string> out;
  for (const FileItem& item : list.items()) out.push_back(itemText(item));
  return out;
}

// A split design's parts stay in order after their source; the file of a source no longer
// listed goes to the end; the new items take the source's node and disk name.
TEST(ToolResults, NewFilesFollowTheirSources) {
  FileList list;
  list.append(listed("/d/a.pes\tSTICK", 7));
  list.append(listed("/d/b.pes", 7));
  list.append(listed("/d/c.pes", 7));
  list.click(0);
  list.ctrlClick(1);
  list.ctrlClick(2);
  const RunItems run = takeRunItems(list, false);
  EXPECT_EQ(run.locations, (std::vector<std::string>{"/d/a.pes", "/d/b.pes", "/d/c.pes"}));
  EXPECT_EQ(list.selectionCount(), 0u);
  list.removeAt(std::vector<std::size_t>{1});  // b.pes is gone by the end

  const std::vector<std::size_t> placed =
      placeCreated(list, run.sources, {"/d/a.dst", "/d/a(2).dst", "/d/b.dst", "/d/c.dst"},
                   {"/d/a.pes", "/d/a.pes", "/d/b.pes", "/d/c.pes"}, {.select = true});
  EXPECT_EQ(texts(list), (std::vector<std::string>{"/d/a.pes\tSTICK", "/d/a.dst\tSTICK", "/d/a(2).dst\tSTICK",
                                                   "/d/c.pes", "/d/c.dst", "/d/b.dst"}));
  EXPECT_EQ(placed, (std::vector<std::size_t>{1, 2, 4, 5}));
  EXPECT_EQ(list.selectedIndexes(), placed);
  EXPECT_TRUE(list[1].isAnchor);
  EXPECT_FALSE(list[2].isAnchor);
  EXPECT_EQ(list[4].treeItem, 7u);
}

TEST(ToolResults, TemporaryFilesAreMarkedAndKeepTheSelectionWhenAsked) {
  FileList list;
  list.append(listed("Zip:/d/z.zip:a.pes", 3));
  list.click(0);
  const RunItems run = takeRunItems(list, true);
  EXPECT_TRUE(list[0].isSelected);
  placeCreated(list, run.sources, {"/tmp/t/a.dst"}, {"Zip:/d/z.zip:a.pes"},
               {.select = false, .temporary = true, .deleteAtClose = true});
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].location(), "/tmp/t/a.dst");
  EXPECT_TRUE(list[1].isTemporary);
  EXPECT_TRUE(list[1].deleteAtClose);
  EXPECT_FALSE(list[1].isSelected);
  EXPECT_EQ(list.selectedIndexes(), (std::vector<std::size_t>{0}));
}

}  // namespace
}  // namespace lh
