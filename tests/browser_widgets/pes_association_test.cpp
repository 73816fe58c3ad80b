// The PES association dialog over temporary configuration and data folders holding a fake
// editor's desktop entry.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "browser/app/pes_association_dialog.h"
#include "desktop/desktop_data.h"
#include "tests/browser_widgets/widgets_fixture.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

class PesAssociation : public ::testing::Test {
 protected:
  PesAssociation() {
    places.configHome = dir.file("config");
    places.dataHome = dir.file("data");
    places.dataDirs = {dir.file("system")};
    // The browser's own entry declares PES files too; it is not offered.
    put("data/applications/loomhall.desktop", entry("Loomhall Atelier", "loomhall"));
  }
  static std::string entry(const std::string& name, const std::string& exec) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec +
           " %f\nMimeType=" + pesMimeType() + ";\n";
  }
  void put(const std::string& path, const std::string& text) const {
    fs::create_directories(fs::path(dir.file(path)).parent_path());
    std::ofstream(dir.file(path), std::ios::binary) << text;
  }
  std::string text(const std::string& path) const {
    std::ifstream in(dir.file(path), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  QStringList rows(const PesAssociationDialog& d) const {
    QStringList out;
    for (int i = 0; i < d.programList()->topLevelItemCount(); ++i)
      out << d.programList()->topLevelItem(i)->text(0);
    return out;
  }
  void addEditor() const {
    put("system/applications/fake-stitch.desktop", entry("Fake Stitch Editor", "fakestitch"));
  }

  test::TempDir dir;
  XdgPlaces places;
  test::RecordingAsker asker;
};

TEST_F(PesAssociation, NoneThenSetMakesTheEditorTheDefaultKeepingTheUsersOtherLines) {
  addEditor();
  put("config/mimeapps.list", "[Default Applications]\ntext/plain=vi.desktop;\n");
  // The type the dialog asks about is the one the installed MIME package gives PES files.
  const std::vector<DesignMimeType> types = designMimeTypes();
  EXPECT_TRUE(std::any_of(types.begin(), types.end(), [](const DesignMimeType& t) {
    return t.code == FormatPes && t.name == pesMimeType();
  }));
  PesAssociationDialog dialog(places, asker.asker());
  EXPECT_EQ(dialog.currentAssociation(), "None");
  ASSERT_EQ(rows(dialog), QStringList{"Fake Stitch Editor"});
  EXPECT_FALSE(pesHasDefault(places));

  dialog.programList()->setCurrentItem(dialog.programList()->topLevelItem(0));
  dialog.setSelected();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(pesHasDefault(places));
  EXPECT_EQ(text("config/mimeapps.list"),
            "[Default Applications]\ntext/plain=vi.desktop;\n" + pesMimeType() + "=fake-stitch.desktop;\n");
  EXPECT_EQ(PesAssociationDialog(places, asker.asker()).currentAssociation(), "Fake Stitch Editor");
  EXPECT_TRUE(asker.asked.empty());
}

TEST_F(PesAssociation, SetOnTheCurrentProgramOrNotFoundWritesNothing) {
  {
    PesAssociationDialog dialog(places, asker.asker());
    ASSERT_EQ(rows(dialog), QStringList{"Not Found"});
    dialog.programList()->setCurrentItem(dialog.programList()->topLevelItem(0));
    dialog.setSelected();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(fs::exists(dir.file("config")));
  }
  addEditor();
  const std::string mine = "[Default Applications]\r\n" + pesMimeType() + "=fake-stitch.desktop;\r\n";
  put("config/mimeapps.list", mine);
  struct stat before {};
  ASSERT_EQ(::stat(dir.file("config/mimeapps.list").c_str(), &before), 0);
  PesAssociationDialog dialog(places, asker.asker());
  EXPECT_EQ(dialog.currentAssociation(), "Fake Stitch Editor");
  dialog.programList()->setCurrentItem(dialog.programList()->topLevelItem(0));
  dialog.setSelected();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  struct stat after {};
  ASSERT_EQ(::stat(dir.file("config/mimeapps.list").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not even rewritten with the same bytes
  EXPECT_EQ(text("config/mimeapps.list"), mine);
}

TEST_F(PesAssociation, DoubleClickSetsAtOnceAndTheDialogStays) {
  addEditor();
  put("system/applications/other.desktop", entry("Another Editor", "other"));
  PesAssociationDialog dialog(places, asker.asker());
  ASSERT_EQ(rows(dialog), (QStringList{"Another Editor", "Fake Stitch Editor"}));
  emit dialog.programList()->itemDoubleClicked(dialog.programList()->topLevelItem(1), 0);
  EXPECT_EQ(dialog.currentAssociation(), "Fake Stitch Editor");
  EXPECT_EQ(dialog.result(), 0);
  emit dialog.programList()->itemDoubleClicked(dialog.programList()->topLevelItem(0), 0);
  EXPECT_EQ(dialog.currentAssociation(), "Another Editor");
  EXPECT_EQ(defaultApplication(places, pesMimeType())->id, "other.desktop");
}

TEST_F(PesAssociation, AFailedSaveIsToldAndTheDialogStaysOpen) {
  addEditor();
  fs::create_directories(dir.file("config/mimeapps.list"));  // a folder in the file's place
  PesAssociationDialog dialog(places, asker.asker());
  dialog.programList()->setCurrentItem(dialog.programList()->topLevelItem(0));
  dialog.setSelected();
  EXPECT_EQ(dialog.result(), 0);
  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_EQ(asker.lastCaption(), "PES Association");
  EXPECT_TRUE(asker.lastText().startsWith("The association could not be saved."))
      << asker.lastText().toStdString();
  EXPECT_EQ(dialog.currentAssociation(), "None");
}

}  // namespace
}  // namespace lh
