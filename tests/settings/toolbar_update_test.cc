#include "settings/toolbar_update.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/support/test_platform.h"

namespace zan {
namespace {

class ToolbarUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ = test::MakeTestRegistry(dir_);
    ASSERT_NE(registry_, nullptr);
    store_ = std::make_unique<SettingsStore>(*registry_);
  }
  bool HasValue(const std::string& name) {
    return store_->OpenProductKey()->QueryValue(name).has_value();
  }

  test::TempDir dir_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<SettingsStore> store_;
};

TEST_F(ToolbarUpdateTest, FirstStartIsDueAndSuccessEndsTheForcedDownload) {
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  EXPECT_TRUE(DecideAutomaticUpdate(*store_));
  EXPECT_EQ(store_->GetString("GlobalUpdateFlag", ""), "1");
  EXPECT_GE(store_->GetDword("LastCheckTime", 0), now);

  RecordSuccessfulLoad(*store_);
  EXPECT_EQ(store_->GetString("GlobalUpdateFlag", ""), "0");
  EXPECT_EQ(store_->GetString("ShowDownloadErrorMessages", ""), "1");
  EXPECT_EQ(store_->GetDword("AutoUpdatePeriod", 0), 24u);

  // A second start within 24 hours is not due.
  EXPECT_FALSE(DecideAutomaticUpdate(*store_));
  EXPECT_EQ(store_->GetString("GlobalUpdateFlag", ""), "0");
  // A day and more later it is.
  store_->SetDword("LastCheckTime", now - 25 * 3600);
  EXPECT_TRUE(DecideAutomaticUpdate(*store_));
}

TEST_F(ToolbarUpdateTest, EachConditionEndsTheDecisionWithoutWrites) {
  struct Row {
    const char* name;
    const char* global_flag;  // nullptr: absent
    const char* automatic;    // nullptr: absent
    int64_t period;           // -2: absent
  };
  const Row rows[] = {
      {"update already pending", "1", "1", 24},
      {"automatic update off", "0", "0", 24},
      {"period zero", "0", "1", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A fresh store for each row.
    registry_->DeleteKey(RegistryHive::kCurrentUser, "SOFTWARE");
    store_ = std::make_unique<SettingsStore>(*registry_);
    if (row.global_flag) store_->SetString("GlobalUpdateFlag", row.global_flag);
    if (row.automatic) store_->SetString("UpdateAutomatically", row.automatic);
    if (row.period >= 0) {
      store_->SetDword("AutoUpdatePeriod", static_cast<uint32_t>(row.period));
    }
    EXPECT_FALSE(DecideAutomaticUpdate(*store_));
    EXPECT_FALSE(HasValue("LastCheckTime"));
    EXPECT_EQ(store_->GetString("GlobalUpdateFlag", "absent"),
              row.global_flag ? row.global_flag : "absent");
    // The load afterwards sets the period back to 24.
    RecordSuccessfulLoad(*store_);
    EXPECT_EQ(store_->GetDword("AutoUpdatePeriod", 0), 24u);
  }
}

TEST_F(ToolbarUpdateTest, NeverCompletedLoadIsDueAtEveryStart) {
  EXPECT_TRUE(DecideAutomaticUpdate(*store_));
  // The load failed: nothing recorded, the flag stays on, nothing to decide.
  EXPECT_FALSE(DecideAutomaticUpdate(*store_));
  EXPECT_EQ(store_->GetString("GlobalUpdateFlag", ""), "1");
  // Flag reset by hand but the period still absent: due again at once.
  store_->SetString("GlobalUpdateFlag", "0");
  EXPECT_TRUE(DecideAutomaticUpdate(*store_));
}

}  // namespace
}  // namespace zan
