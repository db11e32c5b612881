#include "commands/service_command.h"

#include <gtest/gtest.h>

#include "commands/run_command.h"
#include "settings/product_constants.h"
#include "tests/commands/command_fixture.h"

namespace zan::test {
namespace {

using Box = ScriptedUi::Box;

class ServiceTest : public CommandTest {
 protected:
  void Run(const std::string& type, const std::string& caption = "") {
    ServiceCommand command;
    command.type = type;
    command.caption = caption;
    ExecuteService(toolbar, command);
  }

  uint32_t Dword(const std::string& key, const std::string& name) {
    auto sub = settings->OpenProductSubKey(key);
    auto value = sub->QueryValue(name);
    if (!value || value->data.size() != 4) return 0xDEAD;
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
      out |= static_cast<uint32_t>(static_cast<unsigned char>(value->data[i]))
             << (8 * i);
    }
    return out;
  }

  void SetDword(const std::string& key, const std::string& name,
                uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    settings->OpenProductSubKey(key)->SetValue(name,
                                               {RegistryType::kDword, bytes});
  }
};

TEST_F(ServiceTest, UnknownTypesDoNothing) {
  Load("COMBO { name=\"q\" }");
  for (const char* type : {"checkmail", "", "Highlight ", "Bogus"}) {
    Run(type, "x");
  }
  EXPECT_TRUE(toolbar.events.empty());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(browser.calls.empty());
  EXPECT_TRUE(proxy.calls.empty());
}

TEST_F(ServiceTest, MessageBoxShowsTheCaption) {
  Run("MessageBox", "Hello\nthere");
  EXPECT_EQ(ui.boxes,
            (std::vector<Box>{{"Hello\nthere", "ZAN", MessageBoxButtons::kOk,
                               MessageBoxIcon::kNone}}));
}

TEST_F(ServiceTest, HideToolbarSearchAndMailDialog) {
  Run("HideToolbar");
  EXPECT_EQ(
      browser.bar_changes,
      (std::vector<RecordingBrowser::BarChange>{{ToolbarClassId(), false}}));
  toolbar.browser = nullptr;
  Run("HideToolbar");
  EXPECT_EQ(browser.bar_changes.size(), 1u);

  Run("Search");
  Run("ConfigurePOP3");
  EXPECT_EQ(toolbar.events, (std::vector<std::string>{"RunSearchCommand",
                                                      "ShowMailAccountsDialog",
                                                      "StartMailTimers"}));
}

TEST_F(ServiceTest, CheckMailForgetsTheCheckTimesOfEveryAccount) {
  SetDword("POP3 Accounts", "NumberOfConfiguredAccounts", 3);
  for (const char* name :
       {"LastCheckTime1", "LastCheckTime2", "LastCheckTime3", "LastCheckTime4",
        "LastCheckTime02", "AccountBusy1"}) {
    SetDword("POP3 Accounts", name, 77);
  }
  Run("CheckMail");
  EXPECT_EQ(Dword("POP3 Accounts", "LastCheckTime1"), 0xDEADu);
  EXPECT_EQ(Dword("POP3 Accounts", "LastCheckTime2"), 0xDEADu);
  EXPECT_EQ(Dword("POP3 Accounts", "LastCheckTime3"), 0xDEADu);
  EXPECT_EQ(Dword("POP3 Accounts", "LastCheckTime4"), 77u);
  EXPECT_EQ(Dword("POP3 Accounts", "LastCheckTime02"), 77u);
  EXPECT_EQ(Dword("POP3 Accounts", "AccountBusy1"), 77u);
  EXPECT_EQ(toolbar.events, (std::vector<std::string>{"RunCheckPass 43692"}));

  // A huge count costs nothing; the pass runs also without accounts.
  SetDword("POP3 Accounts", "NumberOfConfiguredAccounts", 0xFFFFFFFF);
  Run("CheckMail");
  EXPECT_EQ(Dword("POP3 Accounts", "LastCheckTime4"), 0xDEADu);
  settings->OpenProductKey()->DeleteKey("POP3 Accounts");
  Run("CheckMail");
  EXPECT_EQ(toolbar.events.size(), 3u);
}

TEST_F(ServiceTest, ClearHistoryDeletesOnlyTheHistoryKeyOfTheBox) {
  Load("COMBO { name=\"search\" } COMBO { name=\"other\" }");
  FakeSearchBox* search = toolbar.AddBox(0, "a");
  FakeSearchBox* other = toolbar.AddBox(1, "b");
  SetText("Historysearch", "x", "1");
  SetText("Historyother", "y", "2");
  SetText("search", "z", "3");
  SetText("POP3 Accounts", "NumberOfConfiguredAccounts", "1");
  SetText("", "Keep", "me");
  Run("ClearHistory", "search");
  EXPECT_EQ(settings->OpenProductKey()->OpenKey("Historysearch"), nullptr);
  EXPECT_NE(settings->OpenProductKey()->OpenKey("Historyother"), nullptr);
  // A sub key that the caption names but that is no history stays.
  EXPECT_NE(settings->OpenProductKey()->OpenKey("search"), nullptr);
  EXPECT_EQ(search->clear_calls, 1);
  EXPECT_EQ(other->clear_calls, 0);

  // A caption naming the mail accounts deletes no account, an empty one no
  // setting.
  Run("ClearHistory", "POP3 Accounts");
  Run("ClearHistory", "");
  EXPECT_NE(settings->OpenProductKey()->OpenKey("POP3 Accounts"), nullptr);
  EXPECT_EQ(settings->GetString("Keep", ""), "me");
  EXPECT_EQ(search->clear_calls + other->clear_calls, 1);
}

TEST_F(ServiceTest, ChangeProxySplitsTheCaption) {
  Run("ChangeProxy", "myproxy:8080;localhost");
  Run("ChangeProxy", "myproxy:8080");
  Run("ChangeProxy", ";odd");
  Run("ChangeProxy", "a;b;c");
  Run("ChangeProxy", "");
  ASSERT_EQ(proxy.lists.size(), 5u);
  auto server = [&](int i) { return proxy.lists[i].options[1].text; };
  auto bypass = [&](int i) { return proxy.lists[i].options[2].text; };
  EXPECT_EQ(server(0), "myproxy:8080");
  EXPECT_EQ(bypass(0), "localhost");
  EXPECT_EQ(server(1), "myproxy:8080");
  EXPECT_EQ(bypass(1), "myproxy:8080");
  EXPECT_EQ(server(2), ";odd");
  EXPECT_EQ(bypass(2), std::nullopt);
  EXPECT_EQ(server(3), "a");
  EXPECT_EQ(bypass(3), "b;c");
  ASSERT_EQ(proxy.lists[4].options.size(), 1u);
  EXPECT_EQ(proxy.lists[4].options[0].flags, kProxyTypeDirect);
}

TEST_F(ServiceTest, TogglePopupBlockingTexts) {
  struct Row {
    const char* caption;
    uint32_t before;  // 0xDEAD: missing
    const char* text;
    uint32_t after;
  } rows[] = {
      {"Blocking on;Blocking off", 0xDEAD, "Blocking on", 1},
      {"Blocking on;Blocking off", 1, "Blocking off", 0},
      {"Toggled", 0, "Toggled", 1},
      {"Toggled", 1, "Toggled", 0},
      {"", 0, "Popup blocking is ENABLED", 1},
      {"", 1, "Popup blocking is DISABLED", 0},
      {";x", 0, "Popup blocking is ENABLED", 1},
      {"on;", 1, "", 0},
      {"", 2, "Popup blocking is DISABLED", 0},  // 2 counts as on here
  };
  for (const Row& row : rows) {
    if (row.before == 0xDEAD) {
      settings->OpenProductKey()->DeleteValue("PopupBlockingEnabled");
    } else {
      settings->SetDword("PopupBlockingEnabled", row.before);
    }
    ui.boxes.clear();
    Run("TogglePopupBlocking", row.caption);
    EXPECT_EQ(settings->GetDword("PopupBlockingEnabled", 0xDEAD), row.after)
        << row.caption << " " << row.before;
    EXPECT_EQ(ui.boxes,
              (std::vector<Box>{{row.text, "ZAN", MessageBoxButtons::kOk,
                                 MessageBoxIcon::kInformation}}))
        << row.caption << " " << row.before;
  }
}

TEST_F(ServiceTest, UninstallAsksFirst) {
  ui.answers = {MessageBoxAnswer::kNo};
  Run("Uninstall");
  EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Are you sure you want to uninstall "
                                         "ZAN Inc.",
                                         "ZAN Inc. Toolbar Alert",
                                         MessageBoxButtons::kYesNo,
                                         MessageBoxIcon::kNone}}));
  EXPECT_EQ(browser.quit_count, 0);
  EXPECT_TRUE(toolbar.events.empty());

  ui.answers = {MessageBoxAnswer::kYes};
  Run("Uninstall");
  EXPECT_EQ(browser.quit_count, 1);
  EXPECT_EQ(toolbar.events, (std::vector<std::string>{"UnregisterToolbar"}));

  toolbar.browser = nullptr;  // no browser: not even the question
  Run("Uninstall");
  EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(ServiceTest, UpdateSurvivesTheToolbarRebuild) {
  Load("COMMANDS { SERVICECOMMAND { name=\"Update\" type=\"Update\" } }");
  // The rebuild destroys the model and with it the running command.
  toolbar.on_start_toolbar = [&] {
    model.reset();
    toolbar.model = nullptr;
  };
  RunCommand(toolbar, 0, false);
  EXPECT_EQ(settings->GetString("GlobalUpdateFlag", ""), "1");
  EXPECT_EQ(toolbar.events, (std::vector<std::string>{"StartToolbar 1"}));
  EXPECT_EQ(browser.navigations, (std::vector<RecordingBrowser::Navigation>{
                                     {SiteUpdateUrl(), "", "", ""}}));

  toolbar.browser = nullptr;
  settings->SetString("GlobalUpdateFlag", "0");
  Run("Update");
  EXPECT_EQ(settings->GetString("GlobalUpdateFlag", ""), "0");
}

TEST(SplitCaptionTest, Halves) {
  using Halves = std::optional<std::pair<std::string, std::string>>;
  EXPECT_EQ(SplitCaption(""), std::nullopt);
  EXPECT_EQ(SplitCaption(";b"), std::nullopt);
  EXPECT_EQ(SplitCaption("a;b"), (Halves{{"a", "b"}}));
  EXPECT_EQ(SplitCaption("a;"), (Halves{{"a", ""}}));
  EXPECT_EQ(SplitCaption("ab"), (Halves{{"ab", "ab"}}));
  EXPECT_EQ(SplitCaption("a;b;c"), (Halves{{"a", "b;c"}}));
}

}  // namespace
}  // namespace zan::test
