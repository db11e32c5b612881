#include "platform/win32/win32_process_launcher.h"

#include <windows.h>

#include <vector>

namespace zan {

bool Win32ProcessLauncher::Start(const std::string& command_line) {
  if (command_line.find_first_not_of(" \t") == std::string::npos) return false;
  // CreateProcessA may write into the line it is given.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::string Win32MailHandler::GetMailtoCommand() {
  auto key = registry_.OpenKey(RegistryHive::kClassesRoot,
                               "mailto\\shell\\open\\command");
  if (!key) return std::string();
  std::optional<RegistryValue> value = key->QueryValue("");
  if (!value || (value->type != RegistryType::kString &&
                 static_cast<uint32_t>(value->type) != REG_EXPAND_SZ)) {
    return std::string();
  }
  std::string command = value->data.substr(0, value->data.find('\0'));
  for (const char* placeholder : {" \"%1\"", " %1"}) {
    const size_t at = command.find(placeholder);
    if (at != std::string::npos) command.erase(at);
  }
  return command;
}

}  // namespace zan
