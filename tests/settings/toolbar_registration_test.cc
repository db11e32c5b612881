#include "settings/toolbar_registration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "settings/product_constants.h"
#include "tests/support/recording_browser.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

using test::RecordingBrowser;

constexpr char kModule[] = "/opt/zan/zan-browser";

class ToolbarRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::SetEnvironment("ZAN_SITE_URL", "http://127.0.0.1:9/toolbar/");
    registry_ = test::MakeTestRegistry(dir_);
    ASSERT_NE(registry_, nullptr);
    store_ = std::make_unique<SettingsStore>(*registry_);
    registration_ =
        std::make_unique<ToolbarRegistration>(*registry_, &browsers_, kModule);
  }
  void TearDown() override { test::SetEnvironment("ZAN_SITE_URL", nullptr); }

  std::optional<RegistryValue> Value(RegistryHive hive, const std::string& key,
                                     const std::string& name) {
    auto opened = registry_->OpenKey(hive, key);
    return opened ? opened->QueryValue(name) : std::nullopt;
  }
  std::string Text(RegistryHive hive, const std::string& key,
                   const std::string& name) {
    auto value = Value(hive, key, name);
    return value ? value->data : "<absent>";
  }
  void SetLocked(uint32_t value) {
    registry_
        ->CreateKey(RegistryHive::kCurrentUser,
                    "Software\\Microsoft\\Internet Explorer\\Toolbar")
        ->SetValue("Locked", {RegistryType::kDword,
                              std::string(1, static_cast<char>(value)) +
                                  std::string(3, '\0')});
  }
  std::string Locked() {
    return Text(RegistryHive::kCurrentUser,
                "Software\\Microsoft\\Internet Explorer\\Toolbar", "Locked");
  }

  test::TempDir dir_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<SettingsStore> store_;
  test::RecordingBrowserFactory browsers_;
  std::unique_ptr<ToolbarRegistration> registration_;
};

const std::string kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZAN Inc.ZAN";
const std::string kRunOnceKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

TEST_F(ToolbarRegistrationTest, RegisterWritesEveryEntryAndShowsTheIndexPage) {
  registry_->CreateKey(RegistryHive::kCurrentUser, kRunOnceKey)
      ->SetValue("Remove ZAN Inc.", {RegistryType::kString, Sz("old")});
  EXPECT_TRUE(registration_->RegisterServer());

  const std::string id = ToolbarClassId();
  const auto hkcr = RegistryHive::kClassesRoot;
  EXPECT_EQ(Text(hkcr, "RYX.ZAN.1", ""), Sz("ZAN"));
  EXPECT_EQ(Text(hkcr, "RYX.ZAN.1\\CLSID", ""), Sz(id));
  EXPECT_EQ(Text(hkcr, "RYX.ZAN", ""), Sz("ZAN"));
  EXPECT_EQ(Text(hkcr, "RYX.ZAN\\CurVer", ""), Sz("RYX.ZAN.1"));
  EXPECT_EQ(Text(hkcr, "CLSID\\" + id, ""), Sz("ZAN"));
  EXPECT_EQ(Text(hkcr, "CLSID\\" + id + "\\ProgID", ""), Sz("RYX.ZAN.1"));
  EXPECT_EQ(Text(hkcr, "CLSID\\" + id + "\\VersionIndependentProgID", ""),
            Sz("RYX.ZAN"));
  EXPECT_NE(registry_->OpenKey(hkcr, "CLSID\\" + id + "\\Programmable"),
            nullptr);
  EXPECT_EQ(Text(hkcr, "CLSID\\" + id + "\\InprocServer32", ""), Sz(kModule));
  EXPECT_EQ(Text(hkcr, "CLSID\\" + id + "\\InprocServer32", "ThreadingModel"),
            Sz("Apartment"));
  EXPECT_EQ(Text(hkcr, "CLSID\\" + id + "\\TypeLib", ""), Sz(TypeLibraryId()));

  const auto hklm = RegistryHive::kLocalMachine;
  EXPECT_EQ(Value(hklm, "Software\\Microsoft\\Internet Explorer\\Toolbar", id),
            (RegistryValue{RegistryType::kBinary, ""}));
  EXPECT_NE(
      registry_->OpenKey(
          hklm, "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\" + id),
      nullptr);
  EXPECT_EQ(Text(hklm, kUninstallKey, "DisplayName"), Sz("ZAN Inc. - Toolbar"));
  EXPECT_EQ(Text(hklm, kUninstallKey, "UninstallString"),
            Sz("regsvr32 /u /s \"/opt/zan/zan-browser\" "));
  EXPECT_EQ(Text(RegistryHive::kCurrentUser, kRunOnceKey, "Remove ZAN Inc."),
            "<absent>");

  EXPECT_EQ(store_->GetString("ToolBarUpdateFlag", ""), "0");
  EXPECT_EQ(store_->GetString("ToolBarUpdateInProgress", ""), "0");
  ASSERT_EQ(browsers_.windows.size(), 1u);
  const RecordingBrowser& window = *browsers_.windows[0];
  EXPECT_EQ(window.calls, (std::vector<std::string>{"ShowBar", "Navigate"}));
  EXPECT_EQ(window.bar_changes,
            (std::vector<RecordingBrowser::BarChange>{{id, true}}));
  EXPECT_EQ(window.navigations[0].url, "http://127.0.0.1:9/toolbar/index.html");
  // Locked was absent: it ends as 0.
  EXPECT_EQ(Locked(), std::string(4, '\0'));
}

TEST_F(ToolbarRegistrationTest, RegisterAfterAnUpdateShowsTheUpdatePage) {
  store_->SetString("ToolBarUpdateInProgress", "1");
  SetLocked(1);
  registration_->RegisterToolbar();
  ASSERT_EQ(browsers_.windows.size(), 1u);
  const RecordingBrowser& window = *browsers_.windows[0];
  EXPECT_EQ(window.calls.back(), "Navigate");
  EXPECT_EQ(window.navigations.back().url,
            "http://127.0.0.1:9/toolbar/update.html");
  EXPECT_EQ(store_->GetString("ToolBarUpdateInProgress", ""), "0");
  EXPECT_EQ(Locked(), std::string("\1\0\0\0", 4));
}

TEST_F(ToolbarRegistrationTest, UnregisterRemovesFilesAndSettings) {
  registration_->RegisterServer();
  // Downloaded files, one already gone, and a folder that must stay.
  const std::string definition = dir_.WriteFile("ZAN.tbd", "RYX_Toolbar {}");
  const std::string image = dir_.WriteFile("tbil.bmp", "BM");
  std::filesystem::create_directory(dir_.File("folder"));
  auto history = store_->OpenProductSubKey("HistoryResourceFiles");
  for (const std::string& path :
       {definition, image, dir_.File("gone.bmp"), dir_.File("folder")}) {
    history->SetValue(path, {RegistryType::kDword, std::string("\1\0\0\0", 4)});
  }
  store_->SetString("GlobalUpdateFlag", "1");
  store_->OpenProductSubKey("POP3 Accounts")
      ->SetValue("POP3Server1", {RegistryType::kString, Sz("mail")});
  const std::string id = ToolbarClassId();
  registry_
      ->CreateKey(RegistryHive::kCurrentUser,
                  "Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser")
      ->SetValue(id, {RegistryType::kBinary, "state"});
  registry_
      ->CreateKey(RegistryHive::kLocalMachine,
                  "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\" +
                      TypeLibraryId() + "\\sub")
      ->SetValue("x", {RegistryType::kString, Sz("y")});
  SetLocked(1);
  browsers_.windows.clear();

  EXPECT_TRUE(registration_->UnregisterServer());

  EXPECT_FALSE(std::filesystem::exists(definition));
  EXPECT_FALSE(std::filesystem::exists(image));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("folder")));
  // The product key is gone, the company key stays.
  EXPECT_EQ(
      registry_->OpenKey(RegistryHive::kCurrentUser, "SOFTWARE\\ZAN Inc.\\ZAN"),
      nullptr);
  EXPECT_NE(
      registry_->OpenKey(RegistryHive::kCurrentUser, "SOFTWARE\\ZAN Inc."),
      nullptr);
  // The uninstall key stays without its values.
  const auto hklm = RegistryHive::kLocalMachine;
  ASSERT_NE(registry_->OpenKey(hklm, kUninstallKey), nullptr);
  EXPECT_EQ(Text(hklm, kUninstallKey, "DisplayName"), "<absent>");
  EXPECT_EQ(Text(hklm, kUninstallKey, "UninstallString"), "<absent>");
  EXPECT_EQ(Text(hklm, "Software\\Microsoft\\Internet Explorer\\Toolbar", id),
            "<absent>");
  EXPECT_EQ(Text(RegistryHive::kCurrentUser, kRunOnceKey, "Remove ZAN Inc."),
            Sz("rundll32.exe advpack.dll,DelNodeRunDLL32 "
               "\"/opt/zan/zan-browser\""));
  EXPECT_EQ(
      Text(RegistryHive::kCurrentUser,
           "Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser", id),
      "<absent>");
  EXPECT_EQ(registry_->OpenKey(
                hklm, "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\" +
                          TypeLibraryId()),
            nullptr);
  EXPECT_NE(registry_->OpenKey(
                hklm, "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions"),
            nullptr);
  EXPECT_EQ(
      registry_->OpenKey(
          hklm, "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\" + id),
      nullptr);
  // The class entries are gone; the CLSID key itself stays.
  const auto hkcr = RegistryHive::kClassesRoot;
  EXPECT_EQ(registry_->OpenKey(hkcr, "RYX.ZAN.1"), nullptr);
  EXPECT_EQ(registry_->OpenKey(hkcr, "RYX.ZAN"), nullptr);
  EXPECT_EQ(registry_->OpenKey(hkcr, "CLSID\\" + id), nullptr);
  EXPECT_NE(registry_->OpenKey(hkcr, "CLSID"), nullptr);

  ASSERT_EQ(browsers_.windows.size(), 1u);
  const RecordingBrowser& window = *browsers_.windows[0];
  EXPECT_EQ(window.calls, (std::vector<std::string>{"ShowBar", "Navigate"}));
  EXPECT_EQ(window.bar_changes,
            (std::vector<RecordingBrowser::BarChange>{{id, false}}));
  EXPECT_EQ(window.navigations[0].url,
            "http://127.0.0.1:9/toolbar/uninstall.html");
  EXPECT_EQ(Locked(), std::string("\1\0\0\0", 4));
}

TEST_F(ToolbarRegistrationTest, WithoutABrowserWindowThePagesAreSkipped) {
  class NoWindows : public BrowserFactory {
   public:
    Browser* OpenBrowserWindow() override { return nullptr; }
  } none;
  for (BrowserFactory* factory : {static_cast<BrowserFactory*>(&none),
                                  static_cast<BrowserFactory*>(nullptr)}) {
    ToolbarRegistration registration(*registry_, factory, kModule);
    EXPECT_TRUE(registration.RegisterServer());
    EXPECT_EQ(store_->GetString("ToolBarUpdateFlag", ""), "0");
    EXPECT_TRUE(registration.UnregisterServer());
    EXPECT_EQ(Locked(), std::string(4, '\0'));
    EXPECT_EQ(registry_->OpenKey(RegistryHive::kCurrentUser,
                                 "SOFTWARE\\ZAN Inc.\\ZAN"),
              nullptr);
  }
}

}  // namespace
}  // namespace zan
