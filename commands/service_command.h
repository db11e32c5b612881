#ifndef ZAN_COMMANDS_SERVICE_COMMAND_H_
#define ZAN_COMMANDS_SERVICE_COMMAND_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "commands/toolbar_control.h"

namespace zan {

class ServiceCommand;

// The texts shown by "TogglePopupBlocking" when its caption gives none.
inline constexpr char kPopupBlockingEnabledText[] = "Popup blocking is ENABLED";
inline constexpr char kPopupBlockingDisabledText[] =
    "Popup blocking is DISABLED";

// The two halves of a caption around its first ";". nullopt when the
// caption is empty or begins with ";" (it is not split then); a caption
// without ";" gives itself twice.
std::optional<std::pair<std::string, std::string>> SplitCaption(
    const std::string& caption);

// Runs the built-in service that the command's type names (exact match,
// first row of the service table wins); an unknown type does nothing.
void ExecuteService(ToolbarControl& toolbar, const ServiceCommand& command);
// Undoes the service where it can: "Highlight" clears the page's marks and
// unchecks its button; other types do nothing.
void ResetService(ToolbarControl& toolbar, const ServiceCommand& command);

}  // namespace zan

#endif  // ZAN_COMMANDS_SERVICE_COMMAND_H_
