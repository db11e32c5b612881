#ifndef ZAN_TESTS_BROWSER_TOOLBAR_WINDOW_FIXTURE_H_
#define ZAN_TESTS_BROWSER_TOOLBAR_WINDOW_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "browser/toolbar_window.h"
#include "commands/macro_state.h"
#include "tests/browser/recording_toolbar_view.h"
#include "tests/support/recording_browser.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan::test {

// The product site folder of the source tree.
inline std::string SiteDir() {
  const char* root = std::getenv("ZAN_SOURCE_DIR");
  return std::string(root ? root : ".") + "/site/toolbar";
}

// Resource files from one folder; missing files fail.
class FolderResources : public ResourceSource {
 public:
  explicit FolderResources(std::string dir) : dir_(std::move(dir)) {}
  bool DownloadResource(std::string& name) override {
    std::string path = dir_ + "/" + name;
    if (!std::filesystem::exists(path)) return false;
    name = path;
    return true;
  }

 private:
  std::string dir_;
};

// One command the toolbar ran: its index and whether it was to reset.
struct CommandRun {
  int command;
  bool reset;
  bool operator==(const CommandRun&) const = default;
};

// A ToolbarWindow on a recording view, with its settings in a real registry
// file, resources from the site folder and every command run recorded in
// `runs` instead of being run. `browser` is there for tests that hand it to
// the toolbar.
class ToolbarWindowFixture : public ::testing::Test {
 protected:
  ToolbarWindowFixture() {
    env.registry = registry.get();
    env.ui = &ui;
    env.random = &random;
    env.last_combo_values = &combos;
    env.last_page_url = &last_page;
    ToolbarHooks hooks;
    hooks.run_command = [this](ToolbarControl&, int index, bool reset,
                               const std::string&) {
      runs.push_back(CommandRun{index, reset});
    };
    toolbar = std::make_unique<ToolbarWindow>(view, env, resources, hooks);
  }

  void Load(const std::string& text) {
    ASSERT_TRUE(toolbar->model_holder().LoadDefinitionFromBytes(text, ui));
    toolbar->GetModel()->RebuildReferenceLists();
    toolbar->AssembleToolbar();
  }
  const SettingsStore& settings() { return toolbar->settings(); }

  TempDir dir;
  std::unique_ptr<Registry> registry = MakeTestRegistry(dir);
  ScriptedUi ui;
  StdRandomSource random;
  LastComboValues combos;
  LastPageUrl last_page;
  CommandEnvironment env;
  FolderResources resources{SiteDir()};
  RecordingToolbarView view;
  RecordingBrowser browser;
  std::vector<CommandRun> runs;
  std::unique_ptr<ToolbarWindow> toolbar;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_BROWSER_TOOLBAR_WINDOW_FIXTURE_H_
