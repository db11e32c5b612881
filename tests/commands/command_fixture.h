#ifndef ZAN_TESTS_COMMANDS_COMMAND_FIXTURE_H_
#define ZAN_TESTS_COMMANDS_COMMAND_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "commands/macro_state.h"
#include "definition/load_definition.h"
#include "definition/toolbar_model.h"
#include "settings/settings_store.h"
#include "tests/support/fake_document.h"
#include "tests/support/fake_toolbar_control.h"
#include "tests/support/recording_browser.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan::test {

// A toolbar with a real model loaded from definition text, a real registry
// in memory, and recording fakes for the browser, the page, the message
// boxes, process start and the proxy.
class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry = MakeTestRegistry(registry_dir);
    ASSERT_NE(registry, nullptr);
    settings = std::make_unique<SettingsStore>(*registry);
    toolbar.env.registry = registry.get();
    toolbar.env.ui = &ui;
    toolbar.env.browser_factory = &factory;
    toolbar.env.process_launcher = &launcher;
    toolbar.env.proxy_settings = &proxy;
    toolbar.env.random = &random;
    toolbar.env.last_combo_values = &combo_values;
    toolbar.env.last_page_url = &page_url;
    toolbar.browser = &browser;
    browser.document = &document;
  }

  // Loads the items and commands of `body` (the inside of RYX_Toolbar).
  void Load(const std::string& body) {
    model = std::make_unique<ToolbarModel>();
    std::istringstream in("RYX_Toolbar {\n" + body + "\n}\n");
    std::ostringstream diagnostics;
    ASSERT_TRUE(ParseIntoModel(in, *model, ui, diagnostics))
        << diagnostics.str();
    model->ResolveItemCommands();
    model->RebuildReferenceLists();
    toolbar.model = model.get();
    ui.boxes.clear();
  }

  // Position of the first item whose name (caption, or COMBO/WEBPAGE name)
  // is `name`.
  int ItemIndex(const std::string& name) const {
    for (size_t i = 0; i < model->items.size(); ++i) {
      if (model->items[i]->GetName() == name) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no item " << name;
    return -1;
  }

  const ToolbarCommand& Command(const std::string& name) const {
    return *model->commands.commands[model->FindCommandIndex(name)];
  }

  // Writes a REG_SZ value with its terminating zero into a sub key of the
  // product key ("" for the product key itself).
  void SetText(const std::string& key, const std::string& name,
               const std::string& value) {
    auto sub = key.empty() ? settings->OpenProductKey()
                           : settings->OpenProductSubKey(key);
    ASSERT_NE(sub, nullptr);
    sub->SetValue(name, RegistryValue{RegistryType::kString,
                                      value + std::string(1, '\0')});
  }

  TempDir registry_dir;
  std::unique_ptr<Registry> registry;
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<ToolbarModel> model;
  ScriptedUi ui;
  RecordingBrowser browser;
  RecordingBrowserFactory factory;
  RecordingProcessLauncher launcher;
  RecordingProxySettings proxy;
  FixedRandomSource random{
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}};
  LastComboValues combo_values;
  LastPageUrl page_url;
  FakeDocument document;
  FakeToolbarControl toolbar;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_COMMANDS_COMMAND_FIXTURE_H_
