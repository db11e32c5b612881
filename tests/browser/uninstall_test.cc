// Uninstalling from one toolbar while another browser window (another
// process, its own connection to the store) stays open.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "browser/command_ids.h"
#include "browser/toolbar_window.h"
#include "commands/macro_state.h"
#include "settings/product_constants.h"
#include "settings/reg_file.h"
#include "settings/toolbar_registration.h"
#include "tests/browser/recording_toolbar_view.h"
#include "tests/browser/toolbar_window_fixture.h"
#include "tests/support/recording_browser.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

constexpr char kModule[] = "/opt/zan/zan-browser";
constexpr char kDefinition[] = R"(RYX_Toolbar {
  COMBO { name="q" maxhistlines="5" }
  BUTTON { caption="Uninstall" command="Uninstall" }
  BUTTON { caption="Popups" command="Popups" }
  COMMANDS {
    SERVICECOMMAND { name="Uninstall" type="Uninstall" }
    SERVICECOMMAND { name="Popups" type="TogglePopupBlocking" }
  }
})";

// One browser window's toolbar: its own opening of the store in `dir`, and
// the toolbar asks the store whether it is still registered.
struct Window {
  explicit Window(const test::TempDir& dir) {
    registry = test::MakeTestRegistry(dir);
    env.registry = registry.get();
    env.ui = &ui;
    env.random = &random;
    env.last_combo_values = &combos;
    env.last_page_url = &last_page;
    ToolbarHooks hooks;
    hooks.unregister_toolbar = [this] {
      ToolbarRegistration(*registry, nullptr, kModule).UnregisterServer();
    };
    hooks.still_registered = [this] { return IsToolbarRegistered(*registry); };
    toolbar = std::make_unique<ToolbarWindow>(view, env, resources, hooks);
    toolbar->SetBrowser(&browser);
    EXPECT_TRUE(
        toolbar->model_holder().LoadDefinitionFromBytes(kDefinition, ui));
    toolbar->GetModel()->RebuildReferenceLists();
    toolbar->AssembleToolbar();
  }
  void Search(const std::string& words) {
    view.boxes[0]->text = words;
    toolbar->OnSearchBoxEnter(0);
  }

  std::unique_ptr<Registry> registry;
  test::ScriptedUi ui;
  StdRandomSource random;
  LastComboValues combos;
  LastPageUrl last_page;
  CommandEnvironment env;
  test::FolderResources resources{test::SiteDir()};
  test::RecordingToolbarView view;
  test::RecordingBrowser browser;
  std::unique_ptr<ToolbarWindow> toolbar;
};

TEST(UninstallTest, WindowsThatStayOpenLeaveNothingBehind) {
  test::TempDir dir;
  {
    auto registry = test::MakeTestRegistry(dir);
    ASSERT_TRUE(
        ToolbarRegistration(*registry, nullptr, kModule).RegisterServer());
  }
  Window a(dir);
  Window b(dir);
  b.Search("before");
  SettingsStore settings(*b.registry);
  EXPECT_NE(settings.FindProductKey("Historyq"), nullptr);

  // Uninstall from window A, answered with Yes.
  a.toolbar->OnButtonCommand(ButtonCommandId(1));
  ASSERT_EQ(a.ui.boxes.size(), 1u);
  EXPECT_EQ(a.ui.boxes[0].text, UninstallPrompt());
  EXPECT_FALSE(IsToolbarRegistered(*b.registry));
  EXPECT_EQ(settings.FindProductKey(), nullptr);

  // Window B goes on being used: its toolbar drops itself at the first
  // event and writes nothing back; later events and timers do nothing.
  b.Search("after");
  EXPECT_EQ(b.toolbar->GetModel(), nullptr);
  EXPECT_EQ(b.view.ButtonCount(), 0);
  EXPECT_EQ(b.toolbar->GetSearchBoxOf(0), nullptr);
  b.toolbar->OnButtonCommand(ButtonCommandId(2));
  b.toolbar->OnTimer(kMailCheckTimerId);
  b.toolbar->OnBrowserEvent(kDispidNavigateComplete2);
  b.toolbar->StartToolbar(true);
  EXPECT_TRUE(b.ui.boxes.empty());
  // Settings are read by what stays (the popup filter, the band) without
  // creating anything.
  EXPECT_FALSE(settings.GetFlag("UseAutoComplete", false));
  EXPECT_EQ(settings.GetDword("PopupBlockingEnabled", 0), 0u);
  // Window A's toolbar, whose browser window is closing, does the same.
  a.Search("late");
  EXPECT_EQ(a.toolbar->GetModel(), nullptr);

  std::string exported, error;
  ASSERT_TRUE(ExportRegFile(*b.registry, "", exported, error)) << error;
  EXPECT_EQ(exported.find("ZAN Inc.\\ZAN]"), std::string::npos) << exported;
  EXPECT_EQ(settings.FindProductKey(), nullptr);
}

}  // namespace
}  // namespace zan
