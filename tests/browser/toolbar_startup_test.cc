#include "browser/toolbar_startup.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <sstream>

#include "settings/resource_downloader.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

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
    dir_.WriteFile("site/tbil.bmp", "site image");
    dir_.WriteFile("site/tbhotil.bmp", "site hot image");
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
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");
  EXPECT_EQ(settings_->GetString("ShowDownloadErrorMessages", ""), "1");
  EXPECT_EQ(settings_->GetDword("AutoUpdatePeriod", 0), 24u);
  EXPECT_GE(settings_->GetDword("LastCheckTime", 0), now);
  EXPECT_LE(settings_->GetDword("LastCheckTime", 0), now + 5);
  EXPECT_EQ(ModuleFile("ZAN.tbd"), kDefinition);
  EXPECT_EQ(mail_restarts_, 1);

  // The two lists, in item order, and the panes' dynamic flags.
  ToolbarModel* model = holder_.model();
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->items.size(), 7u);
  ASSERT_EQ(model->indicators.size(), 1u);
  EXPECT_EQ(model->indicators[0], model->items[3].get());
  ASSERT_EQ(model->dynamic_web_pages.size(), 2u);
  EXPECT_EQ(model->dynamic_web_pages[0], model->items[4].get());
  EXPECT_EQ(model->dynamic_web_pages[1], model->items[6].get());
  EXPECT_FALSE(static_cast<ToolbarWebPage&>(*model->items[2]).dynamic);
  EXPECT_TRUE(static_cast<ToolbarWebPage&>(*model->items[4]).dynamic);
}

TEST_F(ToolbarStartupTest, SecondStartWithinADayUsesTheLocalCopies) {
  ASSERT_TRUE(Start());
  const uint32_t checked = settings_->GetDword("LastCheckTime", 0);
  dir_.WriteFile("site/tbil.bmp", "newer site image");
  ASSERT_TRUE(Start());
  EXPECT_EQ(
      resources_->fetches,
      (std::vector<std::string>{"ZAN.tbd=0", "tbil.bmp=0", "tbhotil.bmp=0"}));
  EXPECT_EQ(ModuleFile("tbil.bmp"), "site image");
  EXPECT_EQ(settings_->GetDword("LastCheckTime", 0), checked);

  // A day later the update is due again and fetches the newer copy.
  settings_->SetDword("LastCheckTime", checked - 25 * 3600);
  ASSERT_TRUE(Start());
  EXPECT_EQ(ModuleFile("tbil.bmp"), "newer site image");
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");
}

TEST_F(ToolbarStartupTest, PendingUpdateLeavesTheCheckTimeAlone) {
  settings_->SetString("GlobalUpdateFlag", "1");
  settings_->SetDword("LastCheckTime", 12345);
  ASSERT_TRUE(Start());
  EXPECT_EQ(resources_->fetches.front(), "ZAN.tbd=1");
  EXPECT_EQ(settings_->GetDword("LastCheckTime", 0), 12345u);
  EXPECT_EQ(settings_->GetString("GlobalUpdateFlag", ""), "0");
}

TEST_F(ToolbarStartupTest, AutomaticUpdateOffOrPeriodZeroFetchesOnlyMissing) {
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row == 0 ? "UpdateAutomatically off" : "period 0");
    dir_.WriteFile("module/ZAN.tbd", kDefinition);
    dir_.WriteFile("module/tbil.bmp", "local image");
    std::filesystem::remove(dir_.File("module/tbhotil.bmp"));
    settings_->OpenCompanyKey()->DeleteKey("ZAN");
    if (row == 0) {
      settings_->SetString("UpdateAutomatically", "0");
    } else {
      settings_->SetDword("AutoUpdatePeriod", 0);
    }
    ASSERT_TRUE(Start());
    EXPECT_FALSE(HasValue("LastCheckTime"));
    EXPECT_EQ(ModuleFile("tbil.bmp"), "local image");
    EXPECT_EQ(ModuleFile("tbhotil.bmp"), "site hot image");
    EXPECT_EQ(settings_->GetDword("AutoUpdatePeriod", 0), 24u);
  }
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

}  // namespace
}  // namespace zan
