// Default programs for a MIME type over temporary freedesktop folders: the user's and the
// system's configuration and data folders are all built by the tests.
#include "browser/core/mime_associations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPes = "application/x-embroidery-pes";

std::string editorEntry(const std::string& name, const std::string& extra = {}) {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + name + " %f\nMimeType=image/png;" +
         kPes + ";\n" + extra;
}

class MimeFolders : public ::testing::Test {
 protected:
  MimeFolders() {
    places.configHome = dir.file("config");
    places.configDirs = {dir.file("etc-xdg")};
    places.dataHome = dir.file("data");
    places.dataDirs = {dir.file("usr-local"), dir.file("usr")};
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
  std::string defaultId() const {
    const auto app = defaultApplication(places, kPes, hasProgram);
    return app ? app->id : "None";
  }

  test::TempDir dir;
  XdgPlaces places;
  HasProgram hasProgram = [](const std::string& program) { return program != "no-such-program"; };
};

TEST(MimeAssociationsText, DefaultLineIsRewrittenOrAddedKeepingEveryOtherByte) {
  const std::string t = kPes;
  const struct {
    std::string before, after;
  } cases[] = {
      {"", "[Default Applications]\n" + t + "=ed.desktop;\n"},
      {"a=b", "a=b\n\n[Default Applications]\n" + t + "=ed.desktop;\n"},
      {"[Default Applications]\r\n" + t + "=old.desktop;\r\nx=y\r\n",
       "[Default Applications]\r\n" + t + "=ed.desktop;\r\nx=y\r\n"},
      {"# mine\n[Default Applications]\ntext/plain=vi.desktop;\n\n[Added Associations]\n" + t +
           "=a.desktop;\n",
       "# mine\n[Default Applications]\ntext/plain=vi.desktop;\n" + t +
           "=ed.desktop;\n\n[Added Associations]\n" + t + "=a.desktop;\n"},
      {"[Default Applications]", "[Default Applications]\n" + t + "=ed.desktop;\n"},
      {"[Default Applications]\n # note \n", "[Default Applications]\n # note \n" + t + "=ed.desktop;\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(withDefaultApplication(c.before, kPes, "ed.desktop"), c.after) << c.before;
}

TEST(MimeAssociationsText, PlacesComeFromTheEnvironmentWithoutRelativePaths) {
  const std::map<std::string, std::string> env = {{"HOME", "/home/u"},
                                                  {"XDG_CONFIG_HOME", "relative/config"},
                                                  {"XDG_DATA_DIRS", "/opt/share:share:/usr/share"},
                                                  {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
  const XdgPlaces p = XdgPlaces::from([&](const char* name) -> std::optional<std::string> {
    const auto it = env.find(name);
    return it == env.end() ? std::nullopt : std::optional(it->second);
  });
  EXPECT_EQ(p.configHome, "/home/u/.config");
  EXPECT_EQ(p.configDirs, std::vector<std::string>{"/etc/xdg"});
  EXPECT_EQ(p.dataHome, "/home/u/.local/share");
  EXPECT_EQ(p.dataDirs, (std::vector<std::string>{"/opt/share", "/usr/share"}));
  EXPECT_EQ(p.desktops, (std::vector<std::string>{"ubuntu", "gnome"}));
  EXPECT_EQ(mimeappsLists(p).front(), "/home/u/.config/ubuntu-mimeapps.list");
  EXPECT_EQ(mimeappsLists(p).back(), "/usr/share/applications/mimeapps.list");
}

TEST_F(MimeFolders, DefaultFollowsTheLookupOrder) {
  put("usr/applications/editor.desktop", editorEntry("Editor"));
  put("usr/applications/vendor/stitcher.desktop", editorEntry("Stitcher"));
  put("usr/applications/viewer.desktop", "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer\n");
  EXPECT_EQ(defaultId(), "None");

  put("usr/applications/mimeapps.list",
      "[Default Applications]\n" + std::string(kPes) + "=editor.desktop;\n");
  EXPECT_EQ(defaultId(), "editor.desktop");
  // The system's configuration comes before the distribution's data; an id that is not
  // installed, or whose entry does not take the type, passes to the next one.
  put("etc-xdg/mimeapps.list", "[Default Applications]\n" + std::string(kPes) +
                                   "=gone.desktop;viewer.desktop;vendor-stitcher.desktop;\n");
  EXPECT_EQ(defaultId(), "vendor-stitcher.desktop");
  // An added association makes the viewer take the type.
  put("config/mimeapps.list", "[Added Associations]\n" + std::string(kPes) + "=viewer.desktop;\n");
  EXPECT_EQ(defaultId(), "viewer.desktop");
  // A desktop's own file comes before the plain one of the same folder.
  places.desktops = {"kde"};
  put("config/kde-mimeapps.list", "[Default Applications]\n" + std::string(kPes) + "=editor.desktop;\n");
  EXPECT_EQ(defaultId(), "editor.desktop");
  // A hidden entry in the user's data folder deletes the system's entry of that id.
  put("data/applications/editor.desktop", editorEntry("Editor", "Hidden=true\n"));
  EXPECT_EQ(defaultId(), "viewer.desktop");
}

TEST_F(MimeFolders, ProgramsForTheTypeAreInstalledEntriesThatDeclareIt) {
  put("usr/applications/zeta.desktop", editorEntry("zeta\\sstitch"));
  put("usr/applications/vendor/alpha.desktop", editorEntry("Alpha", "NoDisplay=true\n"));
  put("usr/applications/gone.desktop", editorEntry("Gone", "Hidden=true\n"));
  put("usr/applications/tried.desktop", editorEntry("Tried", "TryExec=no-such-program\n"));
  put("usr/applications/link.desktop",
      "[Desktop Entry]\nType=Link\nName=Link\nURL=x\nMimeType=" + std::string(kPes) + ";\n");
  put("usr/applications/plain.desktop", "[Desktop Entry]\nType=Application\nName=Plain\nExec=p\n");
  put("usr-local/applications/zeta.desktop", editorEntry("Zeta Local"));  // shadows /usr's entry
  std::vector<std::string> found;
  for (const DesktopApp& app : applicationsFor(places, kPes, hasProgram))
    found.push_back(app.id + " " + app.name + " | " + app.exec);
  EXPECT_EQ(found, (std::vector<std::string>{"vendor-alpha.desktop Alpha | Alpha %f",
                                             "zeta.desktop Zeta Local | Zeta Local %f"}));
}

TEST_F(MimeFolders, SettingWritesOnlyTheUsersFileAndKeepsItsOtherLines) {
  put("usr/applications/editor.desktop", editorEntry("Editor"));
  put("usr/applications/other.desktop", editorEntry("Other"));
  const std::string system = "[Default Applications]\n" + std::string(kPes) + "=other.desktop;\n";
  put("usr/applications/mimeapps.list", system);
  const std::string mine =
      "# my settings\n[Default Applications]\ntext/plain=vi.desktop;\n\n[Added Associations]\n"
      "image/png=gimp.desktop;\n";
  put("config/mimeapps.list", mine);
  fs::permissions(dir.file("config/mimeapps.list"), fs::perms::owner_read | fs::perms::owner_write);

  // The current program: nothing is written.
  EXPECT_EQ(setDefaultApplication(places, kPes, "other.desktop", hasProgram).result, SetDefault::Unchanged);
  EXPECT_EQ(text("config/mimeapps.list"), mine);

  EXPECT_EQ(setDefaultApplication(places, kPes, "editor.desktop", hasProgram).result, SetDefault::Written);
  EXPECT_EQ(defaultId(), "editor.desktop");
  EXPECT_EQ(text("config/mimeapps.list"),
            "# my settings\n[Default Applications]\ntext/plain=vi.desktop;\n" + std::string(kPes) +
                "=editor.desktop;\n\n[Added Associations]\nimage/png=gimp.desktop;\n");
  EXPECT_EQ(fs::status(dir.file("config/mimeapps.list")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(text("usr/applications/mimeapps.list"), system);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"config", "usr"}));
}

TEST_F(MimeFolders, SettingReachesEveryUserFileThatWouldWin) {
  put("usr/applications/editor.desktop", editorEntry("Editor"));
  put("usr/applications/other.desktop", editorEntry("Other"));
  places.desktops = {"xfce"};
  put("config/xfce-mimeapps.list", "[Default Applications]\n" + std::string(kPes) + "=other.desktop;\n");
  // The user's file is a link into a folder of dotfiles: the link stays, its file changes.
  put("dotfiles/mimeapps.list", "[Added Associations]\n");
  fs::create_symlink(dir.file("dotfiles/mimeapps.list"), dir.file("config/mimeapps.list"));

  EXPECT_EQ(setDefaultApplication(places, kPes, "editor.desktop", hasProgram).result, SetDefault::Written);
  EXPECT_EQ(defaultId(), "editor.desktop");
  EXPECT_TRUE(fs::is_symlink(dir.file("config/mimeapps.list")));
  EXPECT_EQ(text("dotfiles/mimeapps.list"),
            "[Added Associations]\n\n[Default Applications]\n" + std::string(kPes) + "=editor.desktop;\n");
}

TEST_F(MimeFolders, AUserFileThatCannotBeReadIsNeverReplaced) {
  put("usr/applications/editor.desktop", editorEntry("Editor"));
  fs::create_directories(dir.file("config/mimeapps.list"));  // not a file
  const SetDefaultResult set = setDefaultApplication(places, kPes, "editor.desktop", hasProgram);
  EXPECT_EQ(set.result, SetDefault::Failed);
  EXPECT_NE(set.error.find("mimeapps.list"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(dir.file("config/mimeapps.list")));

  places.configHome.clear();  // neither XDG_CONFIG_HOME nor HOME
  EXPECT_EQ(setDefaultApplication(places, kPes, "editor.desktop", hasProgram).result, SetDefault::Failed);
}

TEST_F(MimeFolders, AMissingConfigurationFolderIsMadeForTheUserAlone) {
  put("usr/applications/editor.desktop", editorEntry("Editor"));
  places.configHome = dir.file("home/.config");
  const SetDefaultResult set = setDefaultApplication(places, kPes, "editor.desktop", hasProgram);
  EXPECT_EQ(set.result, SetDefault::Written) << set.error;
  EXPECT_EQ(fs::status(places.configHome).permissions(), fs::perms::owner_all);
  EXPECT_EQ(defaultId(), "editor.desktop");
}

}  // namespace
}  // namespace lh
