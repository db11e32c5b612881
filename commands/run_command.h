#ifndef ZAN_COMMANDS_RUN_COMMAND_H_
#define ZAN_COMMANDS_RUN_COMMAND_H_

#include <string>

#include "commands/toolbar_control.h"

namespace zan {

class ToolbarCommand;

// Runs the command at `command_index` of the toolbar's command set: its
// Reset when `reset` is set (a checked toolbar button was clicked), else its
// Execute with `parameter`. An index that names no command (-1 for an
// element whose command was not found) does nothing.
void RunCommand(ToolbarControl& toolbar, int command_index, bool reset,
                const std::string& parameter = std::string());

// Execute of any command kind; `parameter` is the text for "%cmdparam"
// (the account number from the indicator's menu, else empty).
void ExecuteCommand(ToolbarControl& toolbar, const ToolbarCommand& command,
                    const std::string& parameter);
// Reset of any command kind: only the "Highlight" service does something.
void ResetCommand(ToolbarControl& toolbar, const ToolbarCommand& command);

}  // namespace zan

#endif  // ZAN_COMMANDS_RUN_COMMAND_H_
