#ifndef ZAN_PLATFORM_PROXY_SETTINGS_H_
#define ZAN_PLATFORM_PROXY_SETTINGS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zan {

// Per-connection Internet options: which option an entry sets.
enum class ProxyOption : uint32_t {
  kFlags = 1,        // value: a combination of the kProxyType bits
  kProxyServer = 2,  // text: "host:port" or a per-scheme list
  kProxyBypass = 3,  // text: hosts reached directly, ";" separated
};

// Bits of the kFlags option.
inline constexpr uint32_t kProxyTypeDirect = 1;
inline constexpr uint32_t kProxyTypeProxy = 2;

// One entry of an option list. kFlags uses `flags`; the text options use
// `text`, where nullopt is the null text (no value at all) and differs from
// an empty text.
struct ProxyOptionEntry {
  ProxyOption option = ProxyOption::kFlags;
  uint32_t flags = 0;
  std::optional<std::string> text;
};

// The options for one connection; a connection name of nullopt addresses
// the LAN connection, the default settings.
struct ProxyOptionList {
  std::optional<std::string> connection;
  std::vector<ProxyOptionEntry> options;
};

// The user's Internet proxy configuration, shared by every program of the
// user that takes its settings from the system.
class ProxySettings {
 public:
  virtual ~ProxySettings() = default;

  // Stores the options; true when the system accepted them. Options that
  // the list does not name keep their values.
  virtual bool SetPerConnectionOptions(const ProxyOptionList& list) = 0;
  // Tells running programs that the settings changed, so that they read
  // them again.
  virtual void AnnounceSettingsChanged() = 0;
  // Asks running programs to apply the settings they read.
  virtual void Refresh() = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_PROXY_SETTINGS_H_
