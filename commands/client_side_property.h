#ifndef ZAN_COMMANDS_CLIENT_SIDE_PROPERTY_H_
#define ZAN_COMMANDS_CLIENT_SIDE_PROPERTY_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace zan {

class SettingsStore;

// An argument of SetClientSideProperty as a script hands it over: nothing
// (std::monostate, an omitted or undefined value), null, a boolean, an
// integer, a floating-point number or a text.
using PropertyArgument = std::variant<std::monostate, std::nullptr_t, bool,
                                      int64_t, uint64_t, double, std::string>;

// The text of an argument: a text as it is; nothing as the empty text;
// integers in decimal ("5", "-12"); a floating-point number in decimal with
// a "." and no exponent when it is whole and small ("2", "2.5"), otherwise
// the shortest text that reads back as the same number ("1e+300"), "nan",
// "inf" or "-inf"; booleans as "True" and "False". null has no text
// (nullopt).
std::optional<std::string> PropertyArgumentText(const PropertyArgument& arg);

// Stores `value` under "CSP_" + name in the settings, where "%csp(" name ")"
// reads it back. An empty name stores nothing. Returns false, storing
// nothing, when either argument has no text or when the store cannot hold
// a value of that name (one with a zero byte, or longer than a value name
// may be); true otherwise.
bool SetClientSideProperty(const SettingsStore& settings,
                           const PropertyArgument& name,
                           const PropertyArgument& value);

}  // namespace zan

#endif  // ZAN_COMMANDS_CLIENT_SIDE_PROPERTY_H_
