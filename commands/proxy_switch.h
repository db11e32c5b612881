#ifndef ZAN_COMMANDS_PROXY_SWITCH_H_
#define ZAN_COMMANDS_PROXY_SWITCH_H_

#include <optional>
#include <string>

namespace zan {

class ProxySettings;

// Switches the connection (nullopt: the LAN connection) to the proxy
// `server` with the `bypass` list (nullopt: no list at all) and announces the
// change; true when the settings accepted the options.
bool SetConnectionOptions(ProxySettings& proxy,
                          const std::optional<std::string>& connection,
                          const std::string& server,
                          const std::optional<std::string>& bypass);

// Switches the connection to a direct one; the stored server and bypass
// list stay. Announces the change; true when the settings accepted it.
bool DisableConnectionProxy(ProxySettings& proxy,
                            const std::optional<std::string>& connection);

}  // namespace zan

#endif  // ZAN_COMMANDS_PROXY_SWITCH_H_
