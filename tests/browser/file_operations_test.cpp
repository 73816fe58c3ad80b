// Delete, copy, rename and new folder names on files and zip archives built by the tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "browser/core/file_copy.h"
#include "browser/core/file_delete.h"
#include "browser/core/file_list.h"
#include "browser/core/file_list_texts.h"
#include "browser/core/file_rename.h"
#include "browser/core/folder_names.h"
#include "tests/browser/browser_fixture.h"
#include "tests/support/fake_drives.h"

namespace lh {
namespace {

using test::bytesOf;
using test::DesignFolder;
const std::vector<std::string> kPes = {"PES"};

FileList listed(const DesignFolder& dir) {
  FileList list;
  list.addFolder(1, dir.folder(), kPes, nullptr);
  return list;
}

std::size_t indexOf(const FileList& list, const std::string& name) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].name == name) return i;
  ADD_FAILURE() << name << " not listed";
  return 0;
}

TEST(DeleteFiles, MembersLeaveTheirArchivePlainFilesGoToTheTrash) {
  DesignFolder dir;
  dir.add("rose.pes");
  dir.add("keep.pes");
  const std::string zip = dir.addZip("z.zip", {"a.pes", "b.pes", "c.pes"});
  FileList list = listed(dir);
  for (const char* n : {"rose.pes", "keep.pes", "a.pes", "b.pes"}) list[indexOf(list, n)].isSelected = true;
  EXPECT_EQ(texts::deleteQuestion(list.selectionCount()),
            "Are you sure that you want to delete these 4 files!");

  std::vector<std::string> trashed, removed;
  const TrashFunction trash = [&](const std::string& path) {
    if (path.ends_with("keep.pes")) return false;  // the trash refuses this one
    trashed.push_back(path);
    return true;
  };
  const DeleteResult r =
      deleteSelected(list, trash, [&](const std::string& text) { removed.push_back(text); });

  EXPECT_EQ(r.deleted, 3u);
  EXPECT_EQ(trashed, std::vector<std::string>{dir.file("rose.pes")});
  EXPECT_EQ(ZipArchive::listMembers(zip), std::vector<std::string>{"c.pes"});
  EXPECT_EQ(removed, (std::vector<std::string>{"Zip:" + zip + ":a.pes", "Zip:" + zip + ":b.pes",
                                               dir.file("rose.pes")}));
  // A file that could not be deleted stays listed, selected and catalogued.
  EXPECT_EQ(r.failed, std::vector<std::string>{dir.file("keep.pes")});
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.selectedItems().front().name, "keep.pes");
  EXPECT_NE(deleteFailedText(r).find(dir.file("keep.pes")), std::string::npos);
  EXPECT_EQ(texts::deleteQuestion(1), "Are you sure that you want to delete this file!");
}

TEST(DeleteFiles, AMemberAlreadyGoneDoesNotKeepTheOthersOfItsArchive) {
  DesignFolder dir;
  const std::string zip = dir.addZip("z.zip", {"a.pes", "b.pes", "c.pes"});
  FileList list = listed(dir);
  list.selectAll();
  list[2].isSelected = false;
  ASSERT_TRUE(ZipArchive::deleteMember(zip, "a.pes"));  // gone behind the list's back
  const DeleteResult r = deleteSelected(list, nullptr, nullptr);
  EXPECT_EQ(r.deleted, 1u);
  EXPECT_EQ(ZipArchive::listMembers(zip), std::vector<std::string>{"c.pes"});
}

class CopyFiles : public ::testing::Test {
 protected:
  DesignFolder from, to;
  FileItem plain = test::fileItem(from.folder(), "rose.pes");
  FileItem member;
  void SetUp() override {
    from.add("rose.pes");
    member = test::fileItem("sub/", "tulip.pes", from.addZip("z.zip", {"sub/tulip.pes"}));
  }
};

TEST_F(CopyFiles, PlainFilesAndExtractedMembers) {
  const CopyRun run = copyItems(std::vector<FileItem>{plain, member}, to.path().string(), nullptr);
  EXPECT_FALSE(run.stop);
  EXPECT_EQ(run.copied, 2u);
  EXPECT_EQ(texts::copiedText(run.copied), "2 files copied");
  EXPECT_EQ(to.entries(), (std::vector<std::string>{"rose.pes", "tulip.pes"}));
  EXPECT_EQ(to.read("rose.pes"), bytesOf("rose.pes"));
  EXPECT_EQ(to.read("tulip.pes"), bytesOf("sub/tulip.pes"));
}

TEST_F(CopyFiles, AClashIsAskedAndOverwritesOnlyWhenSoAnswered) {
  const struct {
    std::optional<ClashAnswer> answer;
    CopyStatus status;
    std::vector<std::string> files;
    const char* roseHolds;
  } cases[] = {
      {ClashAnswer::Replace, CopyStatus::Copied, {"rose.pes"}, "rose.pes"},
      {ClashAnswer::KeepBoth, CopyStatus::Copied, {"rose(2).pes", "rose.pes"}, "mine"},
      {ClashAnswer::Skip, CopyStatus::Skipped, {"rose.pes"}, "mine"},
      {ClashAnswer::Cancel, CopyStatus::Cancelled, {"rose.pes"}, "mine"},
      {std::nullopt, CopyStatus::Skipped, {"rose.pes"}, "mine"},  // nobody to ask
  };
  for (const auto& c : cases) {
    DesignFolder target;
    target.write("rose.pes", bytesOf("mine"));
    std::string asked;
    ClashQuestion ask;
    if (c.answer)
      ask = [&](const FileItem&, const std::string& path) {
        asked = path;
        return *c.answer;
      };
    const CopyResult r = copyItem(plain, target.path().string(), ask);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(target.entries(), c.files);
    EXPECT_EQ(target.read("rose.pes"), bytesOf(c.roseHolds));
    EXPECT_EQ(asked, c.answer ? target.file("rose.pes") : "");
    if (c.answer == ClashAnswer::KeepBoth) {
      EXPECT_EQ(r.target, target.file("rose(2).pes"));
    }
  }
}

TEST_F(CopyFiles, ARunStopsAtTheFirstFailureOrCancelAndGoesOnAfterASkip) {
  to.write("rose.pes", bytesOf("mine"));
  const FileItem missing = test::fileItem(from.folder(), "gone.pes");
  const auto skip = [](const FileItem&, const std::string&) { return ClashAnswer::Skip; };
  CopyRun run = copyItems(std::vector<FileItem>{plain, member, missing, plain}, to.path().string(), skip);
  EXPECT_EQ(run.copied, 1u);
  ASSERT_TRUE(run.stop);
  EXPECT_EQ(run.stop->status, CopyStatus::Failed);
  EXPECT_EQ(run.stop->error,
            from.file("gone.pes") + "\nThe file could not be copied.\nThe file could not be located.");
  EXPECT_EQ(texts::copiedText(run.copied), "One file copied");

  const auto cancel = [](const FileItem&, const std::string&) { return ClashAnswer::Cancel; };
  run = copyItems(std::vector<FileItem>{plain, test::fileItem(from.folder(), "rose.pes")}, to.path().string(),
                  cancel);
  EXPECT_EQ(run.copied, 0u);
  EXPECT_EQ(run.stop->status, CopyStatus::Cancelled);
}

TEST(SendToFloppy, TheFirstReadyRemovableMedium) {
  using test::drive;
  test::FakeDrives drives({drive("/", DriveKind::Fixed), drive("/media/cd", DriveKind::Optical),
                           drive("/media/empty", DriveKind::Removable, "", false),
                           drive("/media/stick", DriveKind::Removable),
                           drive("/media/other", DriveKind::Removable)});
  EXPECT_EQ(removableMediumFolder(drives), "/media/stick");
  EXPECT_EQ(removableMediumFolder(test::FakeDrives({drive("/", DriveKind::Fixed)})), std::nullopt);
}

TEST(RenameRules, TheTypedNameAndTheExtension) {
  using V = NewName::Verdict;
  const struct {
    const char* typed;
    std::optional<TypeChangeAnswer> answer;  // the answer, when the question must come
    V verdict;
    const char* name;
  } cases[] = {
      {"rose", std::nullopt, V::Same, "rose.pes"},  // no extension: the old one
      {"tulip", std::nullopt, V::Use, "tulip.pes"},
      {"  tulip  ", std::nullopt, V::Use, "tulip.pes"},
      {"Tulip.PES", std::nullopt, V::Use, "Tulip.PES"},  // extensions compare without case
      {"rose.dst", TypeChangeAnswer::Yes, V::Use, "rose.dst"},
      {"rose.dst", TypeChangeAnswer::No, V::Same, "rose.pes"},
      {"tulip.dst", TypeChangeAnswer::No, V::Use, "tulip.pes"},
      {"tulip.dst", TypeChangeAnswer::Cancel, V::Stop, ""},
      {"", std::nullopt, V::Empty, ""},
      {"   ", std::nullopt, V::Empty, ""},
      {"../rose", std::nullopt, V::Bad, ""},
      {"..", std::nullopt, V::Bad, ""},
  };
  for (const auto& c : cases) {
    bool asked = false;
    const NewName n = decideNewName("rose.pes", c.typed, [&] {
      asked = true;
      return c.answer.value_or(TypeChangeAnswer::Cancel);
    });
    EXPECT_EQ(n.verdict, c.verdict) << c.typed;
    if (c.verdict == V::Use || c.verdict == V::Same) {
      EXPECT_EQ(n.name, c.name) << c.typed;
    }
    EXPECT_EQ(asked, c.answer.has_value()) << c.typed;
  }
}

class RenameFiles : public ::testing::Test {
 protected:
  DesignFolder dir;
  std::string zip;
  std::vector<std::pair<std::string, std::string>> told;  // text forms before and after
  FileList list;

  void SetUp() override {
    dir.add("rose.pes");
    dir.add("tulip.pes");
    zip = dir.addZip("z.zip", {"sub/lily.pes", "sub/iris.pes"});
    list = listed(dir);
  }
  RenameResult rename(const std::string& name, const std::string& typed) {
    list.click(indexOf(list, name));
    return renameSelected(
        list, typed, [] { return TypeChangeAnswer::Yes; },
        [&](const FileItem& a, const FileItem& b) { told.emplace_back(itemText(a), itemText(b)); });
  }
};

TEST_F(RenameFiles, APlainFileKeepsItsExtensionAndTheCatalogIsTold) {
  EXPECT_EQ(rename("rose.pes", "daisy").status, RenameStatus::Renamed);
  EXPECT_EQ(dir.read("daisy.pes"), bytesOf("rose.pes"));
  EXPECT_EQ(list.selectedItems().front().name, "daisy.pes");
  EXPECT_EQ(
      told,
      (std::vector<std::pair<std::string, std::string>>{{dir.file("rose.pes"), dir.file("daisy.pes")}}));
}

TEST_F(RenameFiles, NeverReplacesAnotherFile) {
  const RenameResult r = rename("rose.pes", "tulip");
  EXPECT_EQ(r.status, RenameStatus::Failed);
  EXPECT_EQ(r.message, dir.file("tulip.pes") + "\nA file of this name is already there.");
  EXPECT_EQ(dir.read("rose.pes"), bytesOf("rose.pes"));
  EXPECT_EQ(dir.read("tulip.pes"), bytesOf("tulip.pes"));
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(rename("lily.pes", "iris").status, RenameStatus::Failed);
  EXPECT_EQ(ZipArchive::listMembers(zip), (std::vector<std::string>{"sub/lily.pes", "sub/iris.pes"}));
}

TEST_F(RenameFiles, ACaseOnlyChangeGoesThroughAnIntermediateName) {
  EXPECT_EQ(rename("rose.pes", "Rose.PES").status, RenameStatus::Renamed);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Rose.PES", "tulip.pes", "z.zip"}));
  EXPECT_EQ(dir.read("Rose.PES"), bytesOf("rose.pes"));
  EXPECT_EQ(rename("lily.pes", "Lily").status, RenameStatus::Renamed);
  EXPECT_EQ(ZipArchive::listMembers(zip), (std::vector<std::string>{"sub/iris.pes", "sub/Lily.pes"}));
  EXPECT_EQ(ZipArchive::readMember(zip, "sub/Lily.pes"), bytesOf("sub/lily.pes"));
}

TEST_F(RenameFiles, AnArchiveMemberIsStoredUnderItsNewName) {
  EXPECT_EQ(rename("iris.pes", "violet.dst").status, RenameStatus::Renamed);
  EXPECT_EQ(ZipArchive::listMembers(zip), (std::vector<std::string>{"sub/lily.pes", "sub/violet.dst"}));
  EXPECT_EQ(ZipArchive::readMember(zip, "sub/violet.dst"), bytesOf("sub/iris.pes"));
  EXPECT_EQ(told.back(), std::make_pair("Zip:" + zip + ":sub/iris.pes", "Zip:" + zip + ":sub/violet.dst"));
}

TEST_F(RenameFiles, AnEmptyNameIsRefused) {
  const RenameResult r = rename("rose.pes", " ");
  EXPECT_EQ(r.status, RenameStatus::Refused);
  EXPECT_EQ(r.message, "Please use a filename.");
  EXPECT_EQ(r.caption, "No File Name");
}

TEST(NewFolderNames, NumberedUpTo239) {
  test::TempDir dir;
  const std::string parent = dir.path().string();
  EXPECT_EQ(newFolderName(parent), "New Folder");
  ASSERT_TRUE(createNewFolder(parent));
  for (int n = 2; n <= 238; ++n) ::mkdir(dir.file("New Folder(" + std::to_string(n) + ")").c_str(), 0777);
  EXPECT_EQ(newFolderName(parent), "New Folder(239)");
  EXPECT_EQ(createNewFolder(parent), dir.file("New Folder(239)"));
  EXPECT_EQ(newFolderName(parent), "");
  EXPECT_EQ(createNewFolder(parent), std::nullopt);
  EXPECT_EQ(newFolderName(parent, "Roses%i"), "Roses%i");
  dir.write("Roses%i", {});
  EXPECT_EQ(newFolderName(parent, "Roses%i"), "Roses%i(2)");
}

TEST(FileErrorTexts, CausesAndSystemErrors) {
  EXPECT_EQ(texts::errnoText(ENOENT), "The file could not be located.");
  EXPECT_EQ(texts::errnoText(ENOSPC), "The disk is full.");
  EXPECT_EQ(texts::errnoText(EACCES), "The file could not be accessed.");
  EXPECT_EQ(texts::fileErrorText(texts::kEndOfFileCause), "The end of file was reached.");
  EXPECT_EQ(texts::fileErrorText(15), "");
  EXPECT_EQ(texts::fileErrorText(-1), "");
}

}  // namespace
}  // namespace lh
