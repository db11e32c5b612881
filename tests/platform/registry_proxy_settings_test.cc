#include "platform/posix/registry_proxy_settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/posix/sqlite_registry.h"
#include "tests/platform/registry_contract.h"
#include "tests/support/temp_dir.h"

namespace zan::test {
namespace {

// Only what is special to the Linux record: its values in the registry, the
// listener that tells the browser host, and the lack of named connections.
// What every proxy form does is in proxy_settings_contract.cc.
TEST(RegistryProxySettingsTest, RecordValuesListenerAndConnections) {
  TempDir dir;
  auto registry = SqliteRegistry::Open(dir.File("registry.db"));
  ASSERT_NE(registry, nullptr);
  std::vector<ProxyRecord> told;
  RegistryProxySettings proxy(*registry,
                              [&](const ProxyRecord& r) { told.push_back(r); });
  // Nothing recorded reads as a direct connection.
  EXPECT_EQ(ReadProxyRecord(*registry), ProxyRecord{});

  ASSERT_TRUE(proxy.SetPerConnectionOptions(
      {std::nullopt,
       {{ProxyOption::kFlags, kProxyTypeDirect | kProxyTypeProxy, {}},
        {ProxyOption::kProxyServer, 0, "myproxy:8080"}}}));
  EXPECT_TRUE(told.empty());
  proxy.Refresh();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], (ProxyRecord{true, "myproxy:8080", std::nullopt}));

  auto key =
      registry->OpenKey(RegistryHive::kCurrentUser, kInternetSettingsKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("ProxyEnable"), DwordValue(1));
  EXPECT_EQ(key->QueryValue("ProxyServer"), SzValue("myproxy:8080"));

  // Named connections do not exist here.
  EXPECT_FALSE(proxy.SetPerConnectionOptions(
      {std::string("Dial-up"), {{ProxyOption::kProxyServer, 0, "x:1"}}}));
  EXPECT_EQ(ReadProxyRecord(*registry).server, "myproxy:8080");
}

}  // namespace
}  // namespace zan::test
