#ifndef ZAN_PLATFORM_POSIX_REGISTRY_PROXY_SETTINGS_H_
#define ZAN_PLATFORM_POSIX_REGISTRY_PROXY_SETTINGS_H_

#include <functional>
#include <optional>
#include <string>

#include "platform/proxy_settings.h"
#include "platform/registry.h"

namespace zan {

// Where the user's Internet settings live in the registry, below
// HKEY_CURRENT_USER.
inline constexpr char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The proxy configuration as recorded for the user.
struct ProxyRecord {
  bool enabled = false;  // "ProxyEnable" (REG_DWORD) is not 0
  std::string server;    // "ProxyServer" (REG_SZ), empty when missing
  std::optional<std::string> bypass;  // "ProxyOverride"; nullopt when absent

  bool operator==(const ProxyRecord&) const = default;
};

// Reads the record; a missing key or value reads as a direct connection
// without server or bypass list.
ProxyRecord ReadProxyRecord(Registry& registry);

// The proxy configuration of the Linux host: the options are recorded for
// the user in the registry store, where every toolbar instance finds them,
// and the running browser host is told so that it applies them to its pages.
class RegistryProxySettings : public ProxySettings {
 public:
  using Listener = std::function<void(const ProxyRecord&)>;

  // `listener` (may be empty) receives the record on every Refresh.
  RegistryProxySettings(Registry& registry, Listener listener)
      : registry_(registry), listener_(std::move(listener)) {}

  // Only the LAN connection (no connection name) exists here; a named
  // connection is refused. kFlags writes "ProxyEnable" (1 when the proxy bit
  // is set, else 0); kProxyServer writes "ProxyServer"; kProxyBypass writes
  // "ProxyOverride", or deletes it for a null text.
  bool SetPerConnectionOptions(const ProxyOptionList& list) override;
  // The record is read at Refresh; nothing to do here.
  void AnnounceSettingsChanged() override {}
  void Refresh() override;

 private:
  Registry& registry_;
  Listener listener_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_REGISTRY_PROXY_SETTINGS_H_
