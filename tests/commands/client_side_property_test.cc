#include "commands/client_side_property.h"

#include <gtest/gtest.h>

#include "settings/settings_store.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

TEST(ClientSidePropertyTest, TextOfArguments) {
  struct Row {
    PropertyArgument arg;
    std::optional<std::string> text;
  } rows[] = {
      {std::string("red"), "red"},
      {std::string(""), ""},
      {std::monostate{}, ""},
      {nullptr, std::nullopt},
      {int64_t{5}, "5"},
      {int64_t{-12}, "-12"},
      {uint64_t{18446744073709551615u}, "18446744073709551615"},
      {2.0, "2"},
      {2.5, "2.5"},
      {-0.125, "-0.125"},
      {1e300, "1e+300"},
      {true, "True"},
      {false, "False"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PropertyArgumentText(row.arg), row.text);
  }
}

TEST(ClientSidePropertyTest, StoresUnderCspName) {
  test::TempDir dir;
  auto registry = test::MakeTestRegistry(dir);
  ASSERT_NE(registry, nullptr);
  SettingsStore settings(*registry);
  EXPECT_TRUE(SetClientSideProperty(settings, std::string("color"),
                                    std::string("red")));
  EXPECT_EQ(settings.GetString("CSP_color", ""), "red");
  EXPECT_TRUE(SetClientSideProperty(settings, std::string("n"), int64_t{5}));
  EXPECT_EQ(settings.GetString("CSP_n", ""), "5");
  EXPECT_TRUE(SetClientSideProperty(settings, int64_t{7}, 0.5));
  EXPECT_EQ(settings.GetString("CSP_7", ""), "0.5");

  // An empty name stores nothing but succeeds; null cannot be stored.
  EXPECT_TRUE(
      SetClientSideProperty(settings, std::string(""), std::string("x")));
  EXPECT_EQ(settings.GetString("CSP_", "none"), "none");
  EXPECT_FALSE(SetClientSideProperty(settings, std::string("color"), nullptr));
  EXPECT_FALSE(SetClientSideProperty(settings, nullptr, std::string("blue")));
  EXPECT_EQ(settings.GetString("CSP_color", ""), "red");
}

}  // namespace
}  // namespace zan
