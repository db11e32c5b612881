#include "commands/proxy_switch.h"

#include "platform/proxy_settings.h"

namespace zan {
namespace {

bool Apply(ProxySettings& proxy, const ProxyOptionList& list) {
  const bool accepted = proxy.SetPerConnectionOptions(list);
  proxy.AnnounceSettingsChanged();
  proxy.Refresh();
  return accepted;
}

}  // namespace

bool SetConnectionOptions(ProxySettings& proxy,
                          const std::optional<std::string>& connection,
                          const std::string& server,
                          const std::optional<std::string>& bypass) {
  ProxyOptionList list;
  list.connection = connection;
  list.options = {
      {ProxyOption::kFlags, kProxyTypeDirect | kProxyTypeProxy, std::nullopt},
      {ProxyOption::kProxyServer, 0, server},
      {ProxyOption::kProxyBypass, 0, bypass},
  };
  return Apply(proxy, list);
}

bool DisableConnectionProxy(ProxySettings& proxy,
                            const std::optional<std::string>& connection) {
  ProxyOptionList list;
  list.connection = connection;
  list.options = {{ProxyOption::kFlags, kProxyTypeDirect, std::nullopt}};
  return Apply(proxy, list);
}

}  // namespace zan
