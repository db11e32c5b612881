#include "commands/run_command.h"

#include "commands/goto_url.h"
#include "commands/service_command.h"
#include "commands/shell_execute.h"
#include "definition/toolbar_command.h"
#include "definition/toolbar_model.h"

namespace zan {

void RunCommand(ToolbarControl& toolbar, int command_index, bool reset,
                const std::string& parameter) {
  ToolbarModel* model = toolbar.GetModel();
  if (model == nullptr || command_index < 0 ||
      static_cast<size_t>(command_index) >= model->commands.commands.size()) {
    return;
  }
  const ToolbarCommand& command = *model->commands.commands[command_index];
  if (reset) {
    ResetCommand(toolbar, command);
  } else {
    ExecuteCommand(toolbar, command, parameter);
  }
}

void ExecuteCommand(ToolbarControl& toolbar, const ToolbarCommand& command,
                    const std::string& parameter) {
  switch (command.GetCommandKind()) {
    case CommandKind::kGoToUrl:
      ExecuteGoToUrl(toolbar, static_cast<const GoToUrlCommand&>(command),
                     parameter);
      break;
    case CommandKind::kShellExecute:
      ExecuteShellCommand(toolbar,
                          static_cast<const ShellExecuteCommand&>(command));
      break;
    case CommandKind::kService:
      ExecuteService(toolbar, static_cast<const ServiceCommand&>(command));
      break;
  }
}

void ResetCommand(ToolbarControl& toolbar, const ToolbarCommand& command) {
  if (command.GetCommandKind() == CommandKind::kService) {
    ResetService(toolbar, static_cast<const ServiceCommand&>(command));
  }
}

}  // namespace zan
