#ifndef ZAN_HOSTS_BAND_VARIANT_ARGUMENT_H_
#define ZAN_HOSTS_BAND_VARIANT_ARGUMENT_H_

#include <windows.h>

#include <optional>

#include "commands/client_side_property.h"

namespace zan {

// A script's VARIANT argument as the client-side property logic takes it:
// empty, null, booleans, integers, floating-point numbers and texts as
// themselves (a reference is followed first), anything else as the text
// the system converts it to. std::nullopt when it cannot be converted.
std::optional<PropertyArgument> ArgumentFromVariant(const VARIANT& value);

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_VARIANT_ARGUMENT_H_
