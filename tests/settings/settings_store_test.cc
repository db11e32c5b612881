#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <ctime>

#include "settings/product_constants.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ = test::MakeTestRegistry(dir_);
    ASSERT_NE(registry_, nullptr);
    store_ = std::make_unique<SettingsStore>(*registry_);
  }

  std::unique_ptr<RegistryKey> ProductKey() {
    return registry_->OpenKey(RegistryHive::kCurrentUser,
                              "SOFTWARE\\ZAN Inc.\\ZAN");
  }

  test::TempDir dir_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<SettingsStore> store_;
};

// The product's names and key paths are pinned where they are used (the
// product key below, the uninstall question, the definition file); here
// the site's addresses.
TEST_F(SettingsStoreTest, SiteAddresses) {
  test::SetEnvironment("ZAN_SITE_URL", "http://127.0.0.1:1/toolbar");
  EXPECT_EQ(SiteBaseUrl(), "http://127.0.0.1:1/toolbar/");
  EXPECT_EQ(SiteIndexUrl(), "http://127.0.0.1:1/toolbar/index.html");
  EXPECT_EQ(SiteUpdateUrl(), "http://127.0.0.1:1/toolbar/update.html");
  EXPECT_EQ(SiteUninstallUrl(), "http://127.0.0.1:1/toolbar/uninstall.html");
  test::SetEnvironment("ZAN_SITE_URL", nullptr);
  // The default is the embedded site of this source tree.
  const std::string base = SiteBaseUrl();
  EXPECT_EQ(base.rfind("file:///", 0), 0u) << base;
  EXPECT_NE(base.find("/site/toolbar/"), std::string::npos) << base;
}

TEST_F(SettingsStoreTest, StringsAndDwordsLiveInTheProductKey) {
  store_->SetString("LastSearchWith", "2");
  store_->SetDword("AutoUpdatePeriod", 24);
  auto key = ProductKey();
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("LastSearchWith"),
            (RegistryValue{RegistryType::kString, std::string("2\0", 2)}));
  EXPECT_EQ(
      key->QueryValue("AutoUpdatePeriod"),
      (RegistryValue{RegistryType::kDword, std::string("\x18\0\0\0", 4)}));
  EXPECT_EQ(store_->GetString("lastsearchwith", "x"), "2");
  EXPECT_EQ(store_->GetDword("AUTOUPDATEPERIOD", 7), 24u);
  EXPECT_EQ(store_->GetString("missing", "fallback"), "fallback");
  EXPECT_EQ(store_->GetDword("missing", 0xFFFFFFFF), 0xFFFFFFFFu);
}

TEST_F(SettingsStoreTest, GetStringLimitsAndForms) {
  auto key = store_->OpenProductKey();
  ASSERT_NE(key, nullptr);
  const std::string longest(999, 'a');  // 1000 bytes with its zero
  store_->SetString("long", longest);
  EXPECT_EQ(store_->GetString("long", "d"), longest);
  store_->SetString("toolong", longest + "a");
  EXPECT_EQ(store_->GetString("toolong", "d"), "d");
  // The text ends at the first zero; the type is not examined.
  key->SetValue("zero", {RegistryType::kBinary, std::string("ab\0cd", 5)});
  EXPECT_EQ(store_->GetString("zero", "d"), "ab");
  key->SetValue("noterm", {RegistryType::kString, "xyz"});
  EXPECT_EQ(store_->GetString("noterm", "d"), "xyz");
  // A short value cannot be read as a DWORD.
  key->SetValue("short", {RegistryType::kDword, "ab"});
  EXPECT_EQ(store_->GetDword("short", 5), 5u);
  key->SetValue("eight", {RegistryType::kBinary, "abcdefgh"});
  EXPECT_EQ(store_->GetDword("eight", 5), 5u);
}

TEST_F(SettingsStoreTest, OnlyTheExactTextOneIsOn) {
  struct Row {
    const char* stored;  // nullptr: missing
    bool default_on;
    bool expected;
  };
  const Row rows[] = {
      {"1", false, true},    {"0", true, false},    {"yes", true, false},
      {"true", true, false}, {"01", true, false},   {" 1", true, false},
      {"", true, false},     {nullptr, true, true}, {nullptr, false, false},
  };
  for (const Row& row : rows) {
    auto key = store_->OpenProductKey();
    key->DeleteValue("Flag");
    if (row.stored != nullptr) store_->SetString("Flag", row.stored);
    EXPECT_EQ(store_->GetFlag("Flag", row.default_on), row.expected)
        << (row.stored ? row.stored : "(missing)") << " " << row.default_on;
  }
}

TEST_F(SettingsStoreTest, IsPeriodElapsed) {
  const uint32_t start = static_cast<uint32_t>(std::time(nullptr));
  // No time stamp: elapsed, and the current time is stored.
  EXPECT_TRUE(store_->IsPeriodElapsed("LastCheckTime", 24, true));
  const uint32_t stored = store_->GetDword("LastCheckTime", 0);
  EXPECT_GE(stored, start);
  EXPECT_LE(stored, start + 5);
  // At once again: not elapsed, nothing written.
  store_->SetDword("LastCheckTime", stored - 60);
  EXPECT_FALSE(store_->IsPeriodElapsed("LastCheckTime", 24, true));
  EXPECT_FALSE(store_->IsPeriodElapsed("LastCheckTime", 2, false));
  EXPECT_EQ(store_->GetDword("LastCheckTime", 0), stored - 60);
  // Minutes: two minutes ago with a one-minute period is elapsed.
  store_->SetDword("LastCheckTime", stored - 120);
  EXPECT_TRUE(store_->IsPeriodElapsed("LastCheckTime", 1, false));
  EXPECT_GE(store_->GetDword("LastCheckTime", 0), stored);
  // Hours: 25 hours ago with 24 is elapsed.
  store_->SetDword("LastCheckTime", stored - 25 * 3600);
  EXPECT_TRUE(store_->IsPeriodElapsed("LastCheckTime", 24, true));
  // A negative amount is elapsed every time and refreshes the stamp.
  store_->SetDword("LastCheckTime", stored + 3600);
  EXPECT_TRUE(store_->IsPeriodElapsed("LastCheckTime", -1, true));
  EXPECT_LE(store_->GetDword("LastCheckTime", 0), stored + 5);
  EXPECT_TRUE(store_->IsPeriodElapsed("LastCheckTime", -1, true));
  // A period too long for the calendar never ends.
  EXPECT_FALSE(store_->IsPeriodElapsed("LastCheckTime", 0x7FFFFFFF, true));
  EXPECT_FALSE(store_->IsPeriodElapsed("LastCheckTime", 0x7FFFFFFF, false));
  // A zero period ends exactly now: equality is not elapsed, the past is.
  store_->SetDword("LastCheckTime", stored - 10);
  EXPECT_TRUE(store_->IsPeriodElapsed("LastCheckTime", 0, true));
}

TEST_F(SettingsStoreTest, ValueEnumerator) {
  EXPECT_EQ(SettingsStore::HistoryKeyName("Search"), "HistorySearch");
  auto history = store_->OpenProductSubKey("HistorySearch");
  ASSERT_NE(history, nullptr);
  const std::string long_name(300, 'w');
  for (const std::string& name :
       {std::string("cheap flights"), std::string("zebra"), long_name}) {
    history->SetValue(name, {RegistryType::kString, std::string(1, '\0')});
  }
  std::vector<std::string> names;
  for (SettingsValueEnumerator e(*store_, "Search", true); e.HasName();
       e.Next()) {
    names.push_back(e.Name());
  }
  // Writing order (Wine's registry lists the values by name).
  if (test::ValuesKeepWritingOrder()) {
    EXPECT_EQ(names,
              (std::vector<std::string>{"cheap flights", "zebra", long_name}));
  } else {
    EXPECT_EQ(names,
              (std::vector<std::string>{"cheap flights", long_name, "zebra"}));
  }

  // A missing key yields no names and is not created.
  SettingsValueEnumerator empty(*store_, "POP3 Accounts", false);
  EXPECT_FALSE(empty.HasName());
  EXPECT_EQ(ProductKey()->OpenKey("POP3 Accounts"), nullptr);
}

TEST_F(SettingsStoreTest, ReadsNeverCreateTheProductKey) {
  auto company_exists = [&] {
    return registry_->OpenKey(RegistryHive::kCurrentUser,
                              "SOFTWARE\\ZAN Inc.") != nullptr;
  };
  ASSERT_FALSE(company_exists());
  EXPECT_EQ(store_->GetString("GlobalUpdateFlag", "d"), "d");
  EXPECT_EQ(store_->GetDword("PopupBlockingEnabled", 7), 7u);
  EXPECT_TRUE(store_->GetFlag("StoreValueHistory", true));
  EXPECT_FALSE(SettingsValueEnumerator(*store_, "search", true).HasName());
  EXPECT_EQ(store_->FindProductKey(), nullptr);
  EXPECT_EQ(store_->FindProductKey("POP3 Accounts"), nullptr);
  EXPECT_FALSE(company_exists());
  // A write creates it; then the reads find it.
  store_->SetString("GlobalUpdateFlag", "1");
  EXPECT_EQ(store_->GetString("GlobalUpdateFlag", "d"), "1");
  EXPECT_NE(store_->FindProductKey(), nullptr);
}

TEST_F(SettingsStoreTest, UnusableStoreFallsBackToDefaults) {
  class Broken : public Registry {
   public:
    std::unique_ptr<RegistryKey> OpenHive(RegistryHive) override {
      return nullptr;
    }
  } broken;
  SettingsStore store(broken);
  store.SetString("a", "b");
  store.SetDword("n", 3);
  EXPECT_EQ(store.GetString("a", "default"), "default");
  EXPECT_EQ(store.GetDword("n", 9), 9u);
  EXPECT_TRUE(store.GetFlag("f", true));
  EXPECT_FALSE(SettingsValueEnumerator(store, "x", true).HasName());
}

}  // namespace
}  // namespace zan
