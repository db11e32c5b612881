// The WinINet proxy form against the proxy contract. It changes the proxy of
// every program of the user, so it runs alone (RUN_SERIAL) and puts the
// options back as it found them.
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

#include "platform/win32/wininet_proxy_settings.h"
#include "tests/platform/proxy_settings_contract.h"
#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

// The LAN connection's options as WinINet gives them to any program.
ProxyState ReadWinInet() {
  INTERNET_PER_CONN_OPTIONA options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_FLAGS;
  options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  INTERNET_PER_CONN_OPTION_LISTA list{};
  list.dwSize = sizeof list;
  list.dwOptionCount = 3;
  list.pOptions = options;
  DWORD size = sizeof list;
  ProxyState state;
  if (!InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION,
                            &list, &size)) {
    return state;
  }
  state.enabled = (options[0].Value.dwValue & PROXY_TYPE_PROXY) != 0;
  if (options[1].Value.pszValue != nullptr) {
    state.server = options[1].Value.pszValue;
    GlobalFree(options[1].Value.pszValue);
  }
  if (options[2].Value.pszValue != nullptr) {
    state.bypass = std::string(options[2].Value.pszValue);
    GlobalFree(options[2].Value.pszValue);
  }
  return state;
}

bool UnderWine() { return !ValuesKeepWritingOrder(); }

class WinInetProxy : public ProxyFormUnderTest {
 public:
  WinInetProxy() : before_(ReadWinInet()) {}
  ~WinInetProxy() override {
    proxy_.SetPerConnectionOptions(
        {std::nullopt,
         {{ProxyOption::kFlags,
           before_.enabled ? kProxyTypeDirect | kProxyTypeProxy
                           : kProxyTypeDirect,
           std::nullopt},
          {ProxyOption::kProxyServer, 0,
           before_.server.empty() ? std::nullopt
                                  : std::optional<std::string>(before_.server)},
          {ProxyOption::kProxyBypass, 0, before_.bypass}}});
    proxy_.AnnounceSettingsChanged();
    proxy_.Refresh();
  }
  ProxySettings& settings() override { return proxy_; }
  ProxyState Read() override { return ReadWinInet(); }

 private:
  ProxyState before_;
  WinInetProxySettings proxy_;
};

void SkipUnderWine() {
  if (UnderWine()) {
    GTEST_SKIP() << "Wine keeps no bypass list of the per-connection options "
                    "(WinINetProxyTest checks the rest)";
  }
}

std::unique_ptr<ProxyFormUnderTest> MakeWinInetProxy(const TempDir&) {
  // A skip in the fixture's set-up keeps the test body from running.
  SkipUnderWine();
  return std::make_unique<WinInetProxy>();
}

INSTANTIATE_TEST_SUITE_P(Windows, ProxySettingsContract,
                         ::testing::Values(ProxyForm{"WinINet",
                                                     &MakeWinInetProxy}));

// What Wine's WinINet keeps of the options: the proxy switch and the server,
// each option changing alone.
TEST(WinInetProxyTest, ServerAndSwitch) {
  WinInetProxy form;
  ProxySettings& proxy = form.settings();
  auto apply = [&](std::vector<ProxyOptionEntry> options) {
    const bool accepted =
        proxy.SetPerConnectionOptions({std::nullopt, std::move(options)});
    proxy.AnnounceSettingsChanged();
    proxy.Refresh();
    return accepted;
  };
  ASSERT_TRUE(apply(
      {{ProxyOption::kFlags, kProxyTypeDirect | kProxyTypeProxy, std::nullopt},
       {ProxyOption::kProxyServer, 0, "myproxy:8080"}}));
  ProxyState state = form.Read();
  EXPECT_TRUE(state.enabled);
  EXPECT_EQ(state.server, "myproxy:8080");
  ASSERT_TRUE(apply({{ProxyOption::kFlags, kProxyTypeDirect, std::nullopt}}));
  state = form.Read();
  EXPECT_FALSE(state.enabled);
  EXPECT_EQ(state.server, "myproxy:8080");
}

}  // namespace
}  // namespace zan::test
