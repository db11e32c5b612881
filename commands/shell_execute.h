#ifndef ZAN_COMMANDS_SHELL_EXECUTE_H_
#define ZAN_COMMANDS_SHELL_EXECUTE_H_

#include <string>

#include "commands/toolbar_control.h"

namespace zan {

class DesktopMailHandler;
class Registry;
class ShellExecuteCommand;

// The command line of the default e-mail program, cut before its first
// " %1": the open command that HKEY_LOCAL_MACHINE\SOFTWARE\Clients\Mail
// names, or, when that gives nothing, the desktop's mailto handler (may be
// null). Empty when neither knows one.
std::string FindDefaultEmailClient(Registry& registry,
                                   DesktopMailHandler* desktop);

// Replaces "%ProgramFiles%", "%programfiles%", "%PROGRAMFILES%" (all by
// `program_files`) and then "%COMSPEC%" (by `comspec`), every occurrence,
// also with empty values.
std::string ExpandShellVariables(const std::string& line,
                                 const std::string& program_files,
                                 const std::string& comspec);

// Runs a SHELLEXECUTE command: expands its placeholders and starts the
// program without waiting; shows the command's failure text when the
// default e-mail program is unknown or the program cannot be started.
void ExecuteShellCommand(ToolbarControl& toolbar,
                         const ShellExecuteCommand& command);

}  // namespace zan

#endif  // ZAN_COMMANDS_SHELL_EXECUTE_H_
