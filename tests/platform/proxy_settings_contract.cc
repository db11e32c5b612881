#include "tests/platform/proxy_settings_contract.h"

#include <utility>

namespace zan::test {
namespace {

ProxyOptionEntry Flags(uint32_t flags) {
  return {ProxyOption::kFlags, flags, std::nullopt};
}
ProxyOptionEntry Text(ProxyOption option, std::optional<std::string> text) {
  return {option, 0, std::move(text)};
}

TEST_P(ProxySettingsContract, OptionsTakeEffectAndTheRestIsKept) {
  ProxySettings& proxy = form_->settings();
  auto apply = [&](std::vector<ProxyOptionEntry> options) {
    const bool accepted =
        proxy.SetPerConnectionOptions({std::nullopt, std::move(options)});
    proxy.AnnounceSettingsChanged();
    proxy.Refresh();
    return accepted;
  };

  ASSERT_TRUE(apply({Flags(kProxyTypeDirect | kProxyTypeProxy),
                     Text(ProxyOption::kProxyServer, "myproxy:8080"),
                     Text(ProxyOption::kProxyBypass, "localhost")}));
  EXPECT_EQ(form_->Read(), (ProxyState{true, "myproxy:8080", "localhost"}));

  // Going direct changes only the flag.
  ASSERT_TRUE(apply({Flags(kProxyTypeDirect)}));
  EXPECT_EQ(form_->Read(), (ProxyState{false, "myproxy:8080", "localhost"}));

  // A null bypass list removes the list; an empty one is kept as empty.
  ASSERT_TRUE(
      apply({Flags(kProxyTypeProxy), Text(ProxyOption::kProxyServer, "p:1"),
             Text(ProxyOption::kProxyBypass, std::nullopt)}));
  EXPECT_EQ(form_->Read(), (ProxyState{true, "p:1", std::nullopt}));
  ASSERT_TRUE(apply({Text(ProxyOption::kProxyBypass, "")}));
  EXPECT_EQ(form_->Read(), (ProxyState{true, "p:1", ""}));
}

}  // namespace
}  // namespace zan::test
