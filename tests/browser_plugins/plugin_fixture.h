#pragma once
// A main window over a scratch folder of sample designs, with the installed plug-ins, the
// message bus and the messages of the test's own.
#include <gtest/gtest.h>

#include <QSettings>
#include <algorithm>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "browser/app/browser_view.h"
#include "browser/app/dialogs.h"
#include "browser/app/main_frame.h"
#include "browser/app/plugin_runs.h"
#include "design/settings.h"
#include "formats/design_codec.h"
#include "tests/tools/tool_fixtures.h"

namespace lh::test {

constexpr int kRunWait = 120000;  // ms: an upper bound for sanitizer builds, not a measure

inline void installPlugins(const std::map<QString, QString>& entries) {
  QSettings installed(QSettings::NativeFormat, QSettings::UserScope, "Quenby", "Loomhall Tools");
  installed.clear();
  for (const auto& [name, program] : entries) installed.setValue(name, program);
  installed.sync();
}

inline EmbDesign loadDesign(const std::string& path) {
  DesignCodec codec;
  EmbDesign d;
  codec.busyCount.fetch_add(1);
  EXPECT_EQ(codec.loadDesign(&d, path), LoadResult::Ok) << path;
  return d;
}

class PluginFrameTest : public testing::Test {
 protected:
  // `samples` are copied into the scratch folder "designs".
  void copySamples(const std::vector<std::string>& samples) {
    std::filesystem::create_directory(designs);
    for (const std::string& name : samples)
      std::filesystem::copy_file(std::string(LH_SAMPLES_DIR) + "/" + name, designs + "/" + name);
    ::setenv("LOOMHALL_BUS", (scratch / "bus").c_str(), 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // for the plug-ins started
    store.setInt("Workspace", "workspace", 0);      // handed-back designs go beside their sources
  }

  // The window on the designs, on the bus, with the messages recorded and answered OK.
  void openFrame() {
    frame = std::make_unique<CMainFrame>(store);
    frame->resize(1000, 700);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    frame->setAsker([this](const Question& q) {
      told.push_back(q);
      return QMessageBox::Ok;
    });
    ASSERT_TRUE(frame->plugins().joinBus());
    ASSERT_TRUE(frame->openPath(designs));
  }

  // Selects exactly the listed files of these names.
  void select(const std::vector<std::string>& names) {
    FileList& list = frame->view().fileList();
    bool first = true;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (std::find(names.begin(), names.end(), list[i].name) == names.end()) continue;
      first ? list.click(i) : list.ctrlClick(i);
      first = false;
    }
    frame->view().selectionChanged();
  }

  std::vector<std::string> listedNames() const {
    std::vector<std::string> out;
    for (const FileItem& item : frame->view().fileList().items()) out.push_back(item.name);
    return out;
  }
  std::vector<std::string> selectedNames() const {
    std::vector<std::string> out;
    for (const FileItem& item : frame->view().fileList().selectedItems()) out.push_back(item.name);
    return out;
  }

  // The action of the "Loomhall Tools" submenu named `name`.
  QAction* pluginItem(const QString& name) const {
    for (QAction* a : frame->pluginMenu()->actions()) {
      if (a->menu() == nullptr) continue;
      for (QAction* item : a->menu()->actions())
        if (item->text() == name) return item;
    }
    return nullptr;
  }

  ScratchDir scratch;
  const std::string designs = scratch / "designs";
  MemorySettings store;
  std::unique_ptr<CMainFrame> frame;
  std::vector<Question> told;
};

}  // namespace lh::test
