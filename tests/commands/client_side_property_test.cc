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

// Whatever name a page hands over ends in a stored value or in a refusal the
// page sees; a refused name leaves no value behind, not even a cut one.
TEST(ClientSidePropertyTest, NamesTheStoreCannotHoldAreRefused) {
  test::TempDir dir;
  auto registry = test::MakeTestRegistry(dir);
  ASSERT_NE(registry, nullptr);
  SettingsStore settings(*registry);
  const std::string longest(kMaxRegistryValueName - 4, 'n');  // "CSP_" + it
  EXPECT_TRUE(SetClientSideProperty(settings, longest, std::string("fits")));
  EXPECT_EQ(settings.GetString("CSP_" + longest, ""), "fits");
  EXPECT_FALSE(
      SetClientSideProperty(settings, longest + "n", std::string("no")));
  EXPECT_FALSE(SetClientSideProperty(settings, std::string("a\0b", 3),
                                     std::string("no")));
  EXPECT_EQ(settings.GetString("CSP_a", "none"), "none");
  // Backslashes are only characters of a value name: no key comes of them.
  const std::string chain = "x\\y\\\\z\\";
  EXPECT_TRUE(SetClientSideProperty(settings, chain, std::string("v")));
  EXPECT_EQ(settings.GetString("CSP_" + chain, ""), "v");
  auto product = settings.OpenProductKey();
  ASSERT_NE(product, nullptr);
  EXPECT_EQ(product->EnumKey(0), std::nullopt);
  uint32_t values = 0;
  while (product->EnumValue(values)) ++values;
  EXPECT_EQ(values, 2u);
}

}  // namespace
}  // namespace zan
