#include "commands/proxy_switch.h"

#include <gtest/gtest.h>

#include "platform/posix/registry_proxy_settings.h"
#include "platform/posix/sqlite_registry.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/temp_dir.h"

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

TEST(RegistryProxySettingsTest, RecordSharedThroughTheRegistryFile) {
  TempDir dir;
  const std::string path = dir.File("registry.db");
  auto registry = SqliteRegistry::Open(path);
  ASSERT_NE(registry, nullptr);
  std::vector<ProxyRecord> told;
  RegistryProxySettings proxy(*registry,
                              [&](const ProxyRecord& r) { told.push_back(r); });

  EXPECT_EQ(ReadProxyRecord(*registry), ProxyRecord{});
  EXPECT_TRUE(SetConnectionOptions(proxy, std::nullopt, "myproxy:8080",
                                   std::string("localhost")));
  const ProxyRecord on{true, "myproxy:8080", "localhost"};
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], on);

  // Another toolbar instance, with its own connection to the store, finds it.
  auto other = SqliteRegistry::Open(path);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(ReadProxyRecord(*other), on);
  auto key = other->OpenKey(
      RegistryHive::kCurrentUser,
      "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("ProxyEnable"),
            (RegistryValue{RegistryType::kDword, std::string("\1\0\0\0", 4)}));
  EXPECT_EQ(key->QueryValue("ProxyServer"),
            (RegistryValue{RegistryType::kString,
                           std::string("myproxy:8080\0", 13)}));

  // Going direct changes only the flag.
  EXPECT_TRUE(DisableConnectionProxy(proxy, std::nullopt));
  EXPECT_EQ(ReadProxyRecord(*other),
            (ProxyRecord{false, "myproxy:8080", "localhost"}));
  ASSERT_EQ(told.size(), 2u);
  EXPECT_FALSE(told[1].enabled);

  // A null bypass list removes the list; an empty one is kept as empty.
  EXPECT_TRUE(SetConnectionOptions(proxy, std::nullopt, "p:1", std::nullopt));
  EXPECT_EQ(ReadProxyRecord(*other), (ProxyRecord{true, "p:1", std::nullopt}));
  EXPECT_TRUE(SetConnectionOptions(proxy, std::nullopt, "p:1", std::string()));
  EXPECT_EQ(ReadProxyRecord(*other), (ProxyRecord{true, "p:1", ""}));

  // Named connections do not exist here.
  EXPECT_FALSE(
      SetConnectionOptions(proxy, std::string("Dial-up"), "x:1", std::nullopt));
  EXPECT_EQ(ReadProxyRecord(*other).server, "p:1");
}

}  // namespace
}  // namespace zan::test
