#include "commands/goto_url.h"

#include <gtest/gtest.h>

#include "commands/run_command.h"
#include "tests/commands/command_fixture.h"

namespace zan::test {
namespace {

using Navigation = RecordingBrowser::Navigation;

class GoToUrlTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Load(R"tbd(
      COMBO { name="q" command="Find" }
      WEBPAGE { name="Side" url="side.html?%csp(s)"
  }
      BUTTON { caption="Go" command="Find" }
      WEBPAGE { name="Side" url="other.html" }
      WEBPAGE { name="Live" url="live.html?%url" }
      COMMANDS {
        GOTOURL { name="Find" url="s?q=%q" post="q=%q" }
        GOTOURL { name="PostFind" url="POST!http://f/form" post="q=%q" }
        GOTOURL { name="Frame" url="http://f/t" target="main" }
        GOTOURL { name="Blank" url="http://f/b" target="_blank" }
        GOTOURL { name="Lower" url="http://f/l" newwindow="new" }
        GOTOURL { name="New" url="POST!http://f/n" post="a=1" newwindow="New" target="main" }
        GOTOURL { name="Dialog" url="POST!dlg.html" post="a=1" newwindow="ModalDialog" options="dialogWidth:400px" }
        GOTOURL { name="ToSide" url="in-pane?q=%q" newwindow="BrowserButton" target="Side" }
        GOTOURL { name="ToNone" url="x" newwindow="BrowserButton" target="Nowhere" }
        GOTOURL { name="Mailbox" url="http://mail/%cmdparam" }
      }
    )tbd");
    box = toolbar.AddBox(ItemIndex("q"), "cheap flights");
  }

  void Run(const std::string& name, const std::string& parameter = "") {
    ExecuteCommand(toolbar, Command(name), parameter);
  }

  FakeSearchBox* box = nullptr;
};

TEST_F(GoToUrlTest, PostMarkerSendsTheFormWithItsHeader) {
  Run("PostFind");
  ASSERT_EQ(browser.navigations.size(), 1u);
  EXPECT_EQ(
      browser.navigations[0],
      (Navigation{"http://f/form", "", "q=cheap+flights",
                  "Content-Type: application/x-www-form-urlencoded\r\n"}));
}

TEST_F(GoToUrlTest, OwnWindowGetsTheTargetFrame) {
  Run("Frame");
  Run("Blank");
  Run("Lower");  // "new" is not "New"
  ASSERT_EQ(browser.navigations.size(), 3u);
  EXPECT_EQ(browser.navigations[0].target_frame, "main");
  EXPECT_EQ(browser.navigations[1].target_frame, "_blank");
  EXPECT_EQ(browser.navigations[2], (Navigation{"http://f/l", "", "", ""}));
  EXPECT_EQ(factory.open_count, 0);

  toolbar.browser = nullptr;  // no browser: nothing happens
  Run("Frame");
  EXPECT_EQ(browser.navigations.size(), 3u);
}

TEST_F(GoToUrlTest, NewWindowGetsPostButNoTarget) {
  Run("New");
  ASSERT_EQ(factory.windows.size(), 1u);
  ASSERT_EQ(factory.windows[0]->navigations.size(), 1u);
  EXPECT_EQ(
      factory.windows[0]->navigations[0],
      (Navigation{"http://f/n", "", "a=1",
                  "Content-Type: application/x-www-form-urlencoded\r\n"}));
  EXPECT_TRUE(browser.navigations.empty());

  factory.fail = true;
  Run("New");
  EXPECT_EQ(factory.open_count, 2);
  EXPECT_EQ(factory.windows.size(), 1u);
  EXPECT_TRUE(browser.navigations.empty());
}

TEST_F(GoToUrlTest, ModalDialogGetsTheOptionsAndNoPost) {
  Run("Dialog");
  ASSERT_EQ(document.dialogs.size(), 1u);
  EXPECT_EQ(document.dialogs[0],
            (FakeDocument::Dialog{"dlg.html", "dialogWidth:400px"}));
  EXPECT_TRUE(browser.navigations.empty());

  browser.document = nullptr;  // no page: nothing happens
  Run("Dialog");
  EXPECT_EQ(document.dialogs.size(), 1u);
}

TEST_F(GoToUrlTest, BrowserButtonServesEveryPaneOfThatName) {
  Run("ToSide");
  EXPECT_EQ(settings->GetString("BrowserButtonSideURL", ""),
            "in-pane?q=cheap+flights");
  EXPECT_EQ(toolbar.events,
            (std::vector<std::string>{"ReloadPane 1", "LayoutPane 1",
                                      "ReloadPane 3", "LayoutPane 3"}));
  EXPECT_TRUE(browser.navigations.empty());

  // The pane then loads the stored address (it is not dynamic) ...
  auto& side = static_cast<ToolbarWebPage&>(*model->items[1]);
  std::string last_domain;
  EXPECT_EQ(ExpandPaneUrl(toolbar, side, last_domain),
            "in-pane?q=cheap+flights");
  // ... while a dynamic pane keeps its own url.
  auto& live = static_cast<ToolbarWebPage&>(*model->items[ItemIndex("Live")]);
  ASSERT_TRUE(live.dynamic);
  SetText("", "BrowserButtonLiveURL", "ignored");
  document.url = "p";
  EXPECT_EQ(ExpandPaneUrl(toolbar, live, last_domain), "live.html?p");
}

TEST_F(GoToUrlTest, BrowserButtonWithoutPaneDoesNothing) {
  Run("ToNone");
  EXPECT_EQ(settings->GetString("BrowserButtonNowhereURL", "none"), "none");
  EXPECT_TRUE(toolbar.events.empty());
  EXPECT_TRUE(browser.navigations.empty());
}

TEST_F(GoToUrlTest, RunCommandByIndexAndParameter) {
  RunCommand(toolbar, -1, false);
  RunCommand(toolbar, 1000, false);
  EXPECT_TRUE(browser.navigations.empty());

  // An element's index runs its command with an empty parameter.
  const auto& go = *model->items[ItemIndex("Go")];
  RunCommand(toolbar, go.command_index, false);
  ASSERT_EQ(browser.navigations.size(), 1u);
  // Its post is not sent: the url has no marker.
  EXPECT_EQ(browser.navigations[0],
            (Navigation{"s?q=cheap+flights", "", "", ""}));

  // A reset of a GOTOURL command does nothing.
  RunCommand(toolbar, go.command_index, true);
  EXPECT_EQ(browser.navigations.size(), 1u);

  // The mailbox menu hands over the account number.
  Run("Mailbox", "2");
  EXPECT_EQ(browser.navigations.back().url, "http://mail/2");
}

TEST(GoToUrlRequestTest, MarkerAndHeaders) {
  struct Row {
    const char* url;
    const char* post;
    Navigation request;  // target unused
  } rows[] = {
      {"POST!a",
       "b=1",
       {"a", "", "b=1", "Content-Type: application/x-www-form-urlencoded\r\n"}},
      {"POST!a", "", {"a", "", "", ""}},
      {"post!a", "b=1", {"post!a", "", "", ""}},
      {"http://f/POST!a", "b=1", {"http://f/POST!a", "", "", ""}},
      {"a", "b=1", {"a", "", "", ""}},
      {"", "", {"", "", "", ""}},
  };
  for (const Row& row : rows) {
    GoToUrlRequest request = MakeGoToUrlRequest({row.url, row.post});
    EXPECT_EQ((Navigation{request.url, "", request.post_data, request.headers}),
              row.request)
        << row.url;
  }
}

}  // namespace
}  // namespace zan::test
