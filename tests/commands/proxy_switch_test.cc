#include "commands/proxy_switch.h"

#include <gtest/gtest.h>

#include "tests/support/recording_launcher.h"

namespace zan::test {
namespace {

TEST(ProxySwitchTest, OptionListsAndAnnouncements) {
  RecordingProxySettings proxy;
  EXPECT_TRUE(SetConnectionOptions(proxy, std::nullopt, "myproxy:8080",
                                   std::string("localhost")));
  ASSERT_EQ(proxy.lists.size(), 1u);
  const ProxyOptionList& set = proxy.lists[0];
  EXPECT_EQ(set.connection, std::nullopt);
  ASSERT_EQ(set.options.size(), 3u);
  EXPECT_EQ(set.options[0].option, ProxyOption::kFlags);
  EXPECT_EQ(set.options[0].flags, 3u);
  EXPECT_EQ(set.options[1].option, ProxyOption::kProxyServer);
  EXPECT_EQ(set.options[1].text, "myproxy:8080");
  EXPECT_EQ(set.options[2].option, ProxyOption::kProxyBypass);
  EXPECT_EQ(set.options[2].text, "localhost");

  proxy.accept = false;
  EXPECT_FALSE(DisableConnectionProxy(proxy, std::nullopt));
  ASSERT_EQ(proxy.lists.size(), 2u);
  ASSERT_EQ(proxy.lists[1].options.size(), 1u);
  EXPECT_EQ(proxy.lists[1].options[0].flags, 1u);
  // Every change is announced, also a refused one.
  EXPECT_EQ(proxy.calls,
            (std::vector<std::string>{"Set", "Changed", "Refresh", "Set",
                                      "Changed", "Refresh"}));
}

}  // namespace
}  // namespace zan::test
