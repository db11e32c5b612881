#include "browser/toolbar_startup.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <sstream>

#include "browser/command_ids.h"
#include "browser/toolbar_window.h"
#include "commands/macro_state.h"
#include "settings/resource_downloader.h"
#include "tests/browser/recording_toolbar_view.h"
#include "tests/support/http_server.h"
#include "tests/support/recording_browser.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

// A bitmap file of 16 x 16 pixels (the old core header) that carries
// `tag`, so that copies can be told apart.
std::string Bitmap(const std::string& tag) {
  std::string file = "BM";
  file += std::string(12, '\0');
  file += std::string("\x0c\0\0\0\x10\0\x10\0\x01\0\x18\0", 12);
  return file + tag;
}

class RecordingUi : public Ui {
 public:
  MessageBoxAnswer ShowMessageBox(const std::string& text,
                                  const std::string& caption, MessageBoxButtons,
                                  MessageBoxIcon) override {
    boxes.push_back(caption + ": " + text);
    return MessageBoxAnswer::kOk;
  }
  std::vector<std::string> boxes;
};

// The real downloader, noting the forced-download flag at every fetch.
class WatchedResources : public ResourceSource {
 public:
  WatchedResources(ResourceSource& inner, const SettingsStore& settings)
      : inner_(inner), settings_(settings) {}
  bool DownloadResource(std::string& name) override {
    fetches.push_back(name + "=" +
                      settings_.GetString("GlobalUpdateFlag", "?"));
    return inner_.DownloadResource(name);
  }
  std::vector<std::string> fetches;

 private:
  ResourceSource& inner_;
  const SettingsStore& settings_;
};

constexpr char kDefinition[] = R"(RYX_Toolbar {
  BUTTON { caption="Home" command="Home" image="0" }
  SEPARATOR
  WEBPAGE { name="Plain" url="pane.html" width="100" }
  INDICATOR { caption="Mail" command="CheckMail" type="POP3" image="1" }
  WEBPAGE { name="ByUrl" url="pane.html?u=%url" width="100" }
  BUTTON { caption="Two" command="Home" image="2" }
  WEBPAGE { name="ByDomain" url="pane.html?d=%newdomain" width="100" }
  COMMANDS { GOTOURL { name="Home" url="index.html" } }
}
)";

class ToolbarStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir_.File("site"));
    std::filesystem::create_directory(dir_.File("module"));
    dir_.WriteFile("site/ZAN.tbd", kDefinition);
    dir_.WriteFile("site/tbil.bmp", Bitmap("site image"));
    dir_.WriteFile("site/tbhotil.bmp", Bitmap("site hot image"));
    registry_ = test::MakeTestRegistry(dir_);
    ASSERT_NE(registry_, nullptr);
    settings_ = std::make_unique<SettingsStore>(*registry_);
    downloader_ = std::make_unique<ResourceDownloader>(
        *settings_, *curl_, ui_, dir_.File("module") + "/",
        test::FileUrl(dir_.File("site")) + "/");
    resources_ = std::make_unique<WatchedResources>(*downloader_, *settings_);
    holder_.set_diagnostics(&diagnostics_);
  }

  bool Start() {
    resources_->fetches.clear();
    return LoadToolbar(holder_, *settings_, *resources_, ui_,
                       [this] { ++mail_restarts_; });
  }
  bool HasValue(const std::string& name) {
    return settings_->OpenProductKey()->QueryValue(name).has_value();
  }
  std::string ModuleFile(const std::string& name) {
    return dir_.ReadFile("module/" + name);
  }

  test::TempDir dir_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<Downloader> curl_ = test::MakeTestDownloader();
  RecordingUi ui_;
  std::unique_ptr<ResourceDownloader> downloader_;
  std::unique_ptr<WatchedResources> resources_;
  ToolbarModelHolder holder_;
  std::ostringstream diagnostics_;
  int mail_restarts_ = 0;
};

TEST_F(ToolbarStartupTest, FirstStartForcesTheDownloadThenRecordsSuccess) {
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  ASSERT_TRUE(Start()) << diagnostics_.str();
  EXPECT_TRUE(ui_.boxes.empty());
  // Every fetch of the load ran with the forced download on.
  EXPECT_EQ(
      resources_->fetches,
      (std::vector<std::string>{"ZAN.tbd=1", "tbil.bmp=1", "tbhotil.bmp=1"}));
  // The success is recorded (what that writes is ToolbarUpdateTest's).
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");
  EXPECT_GE(settings_->GetDword("LastCheckTime", 0), now);
  EXPECT_EQ(ModuleFile("ZAN.tbd"), kDefinition);
  EXPECT_EQ(mail_restarts_, 1);
  // The model's lists are built (their order is ToolbarModelTest's).
  ToolbarModel* model = holder_.model();
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->indicators.size(), 1u);
  EXPECT_EQ(model->dynamic_web_pages.size(), 2u);
}

TEST_F(ToolbarStartupTest, SecondStartWithinADayUsesTheLocalCopies) {
  ASSERT_TRUE(Start());
  const uint32_t checked = settings_->GetDword("LastCheckTime", 0);
  dir_.WriteFile("site/tbil.bmp", Bitmap("newer site image"));
  ASSERT_TRUE(Start());
  EXPECT_EQ(
      resources_->fetches,
      (std::vector<std::string>{"ZAN.tbd=0", "tbil.bmp=0", "tbhotil.bmp=0"}));
  EXPECT_EQ(ModuleFile("tbil.bmp"), Bitmap("site image"));
  EXPECT_EQ(settings_->GetDword("LastCheckTime", 0), checked);
}

TEST_F(ToolbarStartupTest, PendingUpdateLeavesTheCheckTimeAlone) {
  settings_->SetString("GlobalUpdateFlag", "1");
  settings_->SetDword("LastCheckTime", 12345);
  ASSERT_TRUE(Start());
  EXPECT_EQ(resources_->fetches.front(), "ZAN.tbd=1");
  EXPECT_EQ(settings_->GetDword("LastCheckTime", 0), 12345u);
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");
}

TEST_F(ToolbarStartupTest, FailedLoadWritesNothingAndKeepsTheUpdatePending) {
  std::filesystem::remove(dir_.File("site/ZAN.tbd"));
  EXPECT_FALSE(Start());
  EXPECT_EQ(mail_restarts_, 0);
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1], "Error: Unable to open toolbar definition file");
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "1");
  EXPECT_EQ(settings_->GetString("ShowDownloadErrorMessages", ""), "0");
  EXPECT_FALSE(HasValue("AutoUpdatePeriod"));
  ASSERT_NE(holder_.model(), nullptr);
  EXPECT_TRUE(holder_.model()->items.empty());

  // A syntax error fails the same way.
  dir_.WriteFile("site/ZAN.tbd", "RYX_Toolbar { BUTTON { caption= } ");
  EXPECT_FALSE(Start());
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "1");
  EXPECT_FALSE(HasValue("AutoUpdatePeriod"));

  // Once the site is back, the pending update completes.
  dir_.WriteFile("site/ZAN.tbd", kDefinition);
  ASSERT_TRUE(Start());
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");
  EXPECT_EQ(settings_->GetString("ShowDownloadErrorMessages", ""), "1");
}

TEST_F(ToolbarStartupTest, HookRunsTheSameLoad) {
  auto hook = MakeLoadToolbarHook(*settings_, *resources_, ui_);
  ToolbarModelHolder holder;
  holder.set_diagnostics(&diagnostics_);
  ASSERT_TRUE(hook(holder, false));
  ASSERT_NE(holder.model(), nullptr);
  EXPECT_EQ(holder.model()->dynamic_web_pages.size(), 2u);
  EXPECT_EQ(settings_->GetDword("AutoUpdatePeriod", 0), 24u);
}

// A toolbar window whose files come from a loopback web site.
class BrokenUpdateTest : public ToolbarStartupTest {
 protected:
  static constexpr char kWorking[] = R"(RYX_Toolbar {
    COMBO { name="q" }
    BUTTON { caption="Tools" command="Update"
      MENU { type="Split" MENUITEM { caption="Update" command="Update" } } }
    WEBPAGE { name="Pane" url="pane.html" width="100" }
    INDICATOR { caption="Mail" command="CheckMail" type="POP3" image="1" }
    COMMANDS { SERVICECOMMAND { name="Update" type="Update" } }
  })";
  // What a captive portal answers for every address, with status 200.
  static constexpr char kLoginPage[] =
      "<html><body><form>Please log in</form></body></html>";

  void SetUp() override {
    ToolbarStartupTest::SetUp();
    ASSERT_TRUE(site_.ok());
    Serve(kWorking, Bitmap("good"));
    site_downloader_ = std::make_unique<ResourceDownloader>(
        *settings_, *curl_, ui_, dir_.File("module") + "/", site_.BaseUrl());
    env_.registry = registry_.get();
    env_.ui = &ui_;
    env_.random = &random_;
    env_.last_combo_values = &combos_;
    env_.last_page_url = &last_page_;
  }
  void Serve(const std::string& definition, const std::string& image) {
    site_.SetReply("/ZAN.tbd", {200, definition});
    site_.SetReply("/tbil.bmp", {200, image});
    site_.SetReply("/tbhotil.bmp", {200, image});
  }
  std::unique_ptr<ToolbarWindow> NewWindow(test::RecordingToolbarView& view) {
    auto toolbar =
        std::make_unique<ToolbarWindow>(view, env_, *site_downloader_);
    toolbar->SetBrowser(&browser_);
    toolbar->EnableMail(
        MailServices{connections_.get(), pump_.get(), clock_.get()});
    toolbar->StartToolbar(false);
    return toolbar;
  }

  test::HttpServer site_;
  std::unique_ptr<ResourceDownloader> site_downloader_;
  StdRandomSource random_;
  LastComboValues combos_;
  LastPageUrl last_page_;
  CommandEnvironment env_;
  test::RecordingBrowser browser_;
  std::unique_ptr<TcpConnectionFactory> connections_ =
      test::MakeTestConnections();
  std::unique_ptr<test::TestMessagePump> pump_ = test::MakeTestMessagePump();
  std::unique_ptr<Clock> clock_ = test::MakeSystemClock();
};

TEST_F(BrokenUpdateTest, AFailedUpdateKeepsTheWorkingToolbarAndItsFiles) {
  test::RecordingToolbarView view;
  std::unique_ptr<ToolbarWindow> toolbar = NewWindow(view);
  ToolbarModel* working = toolbar->GetModel();
  ASSERT_NE(working, nullptr);
  ASSERT_EQ(working->items.size(), 4u);
  SearchBox* box = toolbar->GetSearchBoxOf(0);
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(view.panes.size(), 1u);
  ASSERT_EQ(view.timers.count(kMailCheckTimerId), 1u);
  const size_t buttons = view.buttons.size();

  // The site answers 200 with a login page for every file; "Update".
  Serve(kLoginPage, kLoginPage);
  ui_.boxes.clear();
  toolbar->OnButtonCommand(ButtonCommandId(1));
  EXPECT_EQ(site_.RequestCount("/ZAN.tbd"), 2);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].rfind("Failed to parse toolbar definition file: ", 0),
            0u)
      << ui_.boxes[0];
  // The same model, the same item windows, the mail timer still running.
  EXPECT_EQ(toolbar->GetModel(), working);
  EXPECT_EQ(toolbar->GetSearchBoxOf(0), box);
  EXPECT_EQ(view.panes.size(), 1u);
  EXPECT_EQ(view.buttons.size(), buttons);
  EXPECT_EQ(view.timers.count(kMailCheckTimerId), 1u);
  // Its menu works, so Update can be tried again.
  std::optional<PopupMenu> menu = toolbar->BuildItemMenu(1);
  ASSERT_TRUE(menu.has_value());
  EXPECT_FALSE(menu->entries.empty());
  // The files in use stay, and the forced download ends.
  EXPECT_EQ(ModuleFile("ZAN.tbd"), kWorking);
  EXPECT_EQ(ModuleFile("tbil.bmp"), Bitmap("good"));
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");
  size_t files = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(dir_.File("module"))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 3u);  // no download left waiting

  // A window opened later shows the working toolbar, without a box.
  ui_.boxes.clear();
  test::RecordingToolbarView later_view;
  std::unique_ptr<ToolbarWindow> later = NewWindow(later_view);
  ASSERT_NE(later->GetModel(), nullptr);
  EXPECT_EQ(later->GetModel()->items.size(), 4u);
  EXPECT_TRUE(ui_.boxes.empty());

  // The automatic update, due as a window opens: the box tells, and the
  // window still gets the toolbar in use.
  settings_->SetDword("LastCheckTime", 1);
  test::RecordingToolbarView due_view;
  std::unique_ptr<ToolbarWindow> due = NewWindow(due_view);
  EXPECT_EQ(ui_.boxes.size(), 1u);
  ASSERT_NE(due->GetModel(), nullptr);
  EXPECT_EQ(due->GetModel()->items.size(), 4u);
  EXPECT_EQ(due_view.timers.count(kMailCheckTimerId), 1u);
  EXPECT_EQ(ModuleFile("ZAN.tbd"), kWorking);
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");

  // A good definition with an image list that is no bitmap: the new
  // definition is taken, the image list in use stays.
  const std::string fresh = std::string(kWorking) + "\n";
  Serve(fresh, kLoginPage);
  ui_.boxes.clear();
  toolbar->OnButtonCommand(ButtonCommandId(1));
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_NE(toolbar->GetModel(), nullptr);
  EXPECT_EQ(ModuleFile("ZAN.tbd"), fresh);
  EXPECT_EQ(ModuleFile("tbil.bmp"), Bitmap("good"));
  EXPECT_EQ(ModuleFile("tbhotil.bmp"), Bitmap("good"));
}

}  // namespace
}  // namespace zan
