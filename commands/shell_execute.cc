#include "commands/shell_execute.h"

#include <cstdlib>

#include "definition/toolbar_command.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "settings/product_constants.h"
#include "settings/string_utils.h"

namespace zan {
namespace {

constexpr char kMailClientsKey[] = "SOFTWARE\\Clients\\Mail";
constexpr char kOpenCommandPath[] = "\\Shell\\Open\\Command";
// Read limits of the two default values, terminating zero included.
constexpr size_t kClientNameLimit = 200;
constexpr size_t kOpenCommandLimit = 1000;

// The default value of `key` up to its first zero byte; nullopt when it is
// missing or longer than `limit`.
std::optional<std::string> ReadDefaultText(RegistryKey& key, size_t limit) {
  std::optional<RegistryValue> value = key.QueryValue("");
  if (!value || value->data.size() > limit) return std::nullopt;
  return value->data.substr(0, value->data.find('\0'));
}

std::string CutBeforeArgument(std::string command) {
  const size_t at = command.find(" %1");
  if (at != std::string::npos) command.erase(at);
  return command;
}

std::string EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

void ShowFailure(Ui& ui, const std::string& text) {
  ui.ShowMessageBox(text, AlertTitle(), MessageBoxButtons::kOk,
                    MessageBoxIcon::kNone);
}

}  // namespace

std::string FindDefaultEmailClient(Registry& registry,
                                   DesktopMailHandler* desktop) {
  std::string client;
  if (std::unique_ptr<RegistryKey> clients =
          registry.OpenKey(RegistryHive::kLocalMachine, kMailClientsKey)) {
    std::optional<std::string> name =
        ReadDefaultText(*clients, kClientNameLimit);
    if (name) {
      if (std::unique_ptr<RegistryKey> command =
              clients->OpenKey(*name + kOpenCommandPath)) {
        client = CutBeforeArgument(
            ReadDefaultText(*command, kOpenCommandLimit).value_or(""));
      }
    }
  }
  if (client.empty() && desktop != nullptr) {
    client = CutBeforeArgument(desktop->GetMailtoCommand());
  }
  return client;
}

std::string ExpandShellVariables(const std::string& line,
                                 const std::string& program_files,
                                 const std::string& comspec) {
  std::string out = line;
  ReplaceAll(out, "%ProgramFiles%", program_files);
  ReplaceAll(out, "%programfiles%", program_files);
  ReplaceAll(out, "%PROGRAMFILES%", program_files);
  ReplaceAll(out, "%COMSPEC%", comspec);
  return out;
}

void ExecuteShellCommand(ToolbarControl& toolbar,
                         const ShellExecuteCommand& command) {
  CommandEnvironment& env = toolbar.Environment();
  std::string line = command.shellcmd;
  if (line.find("%DefaultEmailClient") != std::string::npos) {
    const std::string client =
        FindDefaultEmailClient(*env.registry, env.mail_handler);
    if (!client.empty()) {
      ReplaceFirst(line, "%DefaultEmailClient", client);
    } else {
      ShowFailure(*env.ui, command.failmsg);
    }
  }
  line = ExpandShellVariables(line, EnvironmentText("ProgramFiles"),
                              EnvironmentText("COMSPEC"));
  if (!env.process_launcher->Start(line)) ShowFailure(*env.ui, command.failmsg);
}

}  // namespace zan
