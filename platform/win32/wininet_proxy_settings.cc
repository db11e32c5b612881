#include "platform/win32/wininet_proxy_settings.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace zan {

bool WinInetProxySettings::SetPerConnectionOptions(
    const ProxyOptionList& list) {
  if (list.options.empty()) return true;
  std::vector<INTERNET_PER_CONN_OPTIONA> options(list.options.size());
  for (size_t i = 0; i < list.options.size(); ++i) {
    const ProxyOptionEntry& entry = list.options[i];
    options[i].dwOption = static_cast<DWORD>(entry.option);
    if (entry.option == ProxyOption::kFlags) {
      options[i].Value.dwValue = entry.flags;
    } else {
      // The texts live in `list` for the whole call; a null text is no
      // value at all.
      options[i].Value.pszValue =
          entry.text ? const_cast<char*>(entry.text->c_str()) : nullptr;
    }
  }
  INTERNET_PER_CONN_OPTION_LISTA request{};
  request.dwSize = sizeof request;
  request.pszConnection =
      list.connection ? const_cast<char*>(list.connection->c_str()) : nullptr;
  request.dwOptionCount = static_cast<DWORD>(options.size());
  request.dwOptionError = 0;
  request.pOptions = options.data();
  return InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION,
                            &request, sizeof request) != FALSE;
}

void WinInetProxySettings::AnnounceSettingsChanged() {
  InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

void WinInetProxySettings::Refresh() {
  InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

}  // namespace zan
