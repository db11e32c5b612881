#ifndef ZAN_PLATFORM_WIN32_WININET_PROXY_SETTINGS_H_
#define ZAN_PLATFORM_WIN32_WININET_PROXY_SETTINGS_H_

#include "platform/proxy_settings.h"

namespace zan {

// The system's Internet proxy through WinINet's per-connection options
// (InternetSetOptionA with INTERNET_OPTION_PER_CONNECTION_OPTION), which
// every program that uses the system's Internet functions shares.
class WinInetProxySettings : public ProxySettings {
 public:
  bool SetPerConnectionOptions(const ProxyOptionList& list) override;
  // INTERNET_OPTION_SETTINGS_CHANGED.
  void AnnounceSettingsChanged() override;
  // INTERNET_OPTION_REFRESH.
  void Refresh() override;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_WININET_PROXY_SETTINGS_H_
