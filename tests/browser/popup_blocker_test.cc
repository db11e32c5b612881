#include "browser/popup_blocker.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "settings/settings_store.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

TEST(PopupBlockerTest, NewWindowFollowsSettingAndCtrl) {
  struct Row {
    uint32_t setting;
    bool ctrl;
    bool cancel;
  } rows[] = {
      {1, false, true},   // on: a script's window is stopped
      {1, true, false},   // CTRL lets it through
      {0, false, false},  // off
      {2, false, false},  // only exactly 1 is on
      {0xFFFFFFFF, false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ShouldCancelNewWindow(row.setting, row.ctrl), row.cancel)
        << row.setting << " ctrl=" << row.ctrl;
  }
}

TEST(PopupBlockerTest, NavigationCancelledOnlyForExactBlankTarget) {
  using Target = std::optional<std::string_view>;
  struct Row {
    uint32_t setting;
    bool ctrl;
    Target target;
    bool cancel;
  } rows[] = {
      {1, false, Target("_blank"), true},  {1, true, Target("_blank"), false},
      {1, false, Target("_BLANK"), false}, {1, false, Target("_blank "), false},
      {1, false, Target(""), false},       {1, false, std::nullopt, false},
      {1, false, Target("_self"), false},  {0, false, Target("_blank"), false},
      {2, false, Target("_blank"), false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ShouldCancelNavigation(row.setting, row.ctrl, row.target),
              row.cancel)
        << row.setting << " ctrl=" << row.ctrl
        << " target=" << row.target.value_or("<none>");
  }
}

TEST(PopupBlockerTest, SettingIsReadAtEveryEvent) {
  test::TempDir dir;
  auto registry = test::MakeTestRegistry(dir);
  ASSERT_NE(registry, nullptr);
  SettingsStore settings(*registry);
  // Missing: off.
  EXPECT_FALSE(NewWindow2(settings, false));
  EXPECT_FALSE(BeforeNavigate2(settings, false, "_blank"));
  settings.SetDword("PopupBlockingEnabled", 1);
  EXPECT_TRUE(NewWindow2(settings, false));
  EXPECT_TRUE(BeforeNavigate2(settings, false, "_blank"));
  EXPECT_FALSE(BeforeNavigate2(settings, true, "_blank"));
  settings.SetDword("PopupBlockingEnabled", 2);
  EXPECT_FALSE(NewWindow2(settings, false));
  // A value of another type that does not read as a number: off.
  settings.SetString("PopupBlockingEnabled", "1");
  EXPECT_FALSE(NewWindow2(settings, false));
}

}  // namespace
}  // namespace zan
