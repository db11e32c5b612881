#ifndef ZAN_PLATFORM_WIN32_WIN32_PROCESS_LAUNCHER_H_
#define ZAN_PLATFORM_WIN32_WIN32_PROCESS_LAUNCHER_H_

#include <string>

#include "platform/process_launcher.h"
#include "platform/registry.h"

namespace zan {

// Starts programs with CreateProcessA: the whole line as the command line,
// no handles inherited, the caller's environment and folder. The process
// and thread handles are closed at once; nobody waits for the program.
class Win32ProcessLauncher : public ProcessLauncher {
 public:
  bool Start(const std::string& command_line) override;
};

// The open command of the "mailto" protocol (HKEY_CLASSES_ROOT\mailto\shell
// \open\command), for systems whose mail program is not registered under
// SOFTWARE\Clients\Mail; the address placeholder (" %1" or " \"%1\"") and
// what follows it are cut off.
class Win32MailHandler : public DesktopMailHandler {
 public:
  explicit Win32MailHandler(Registry& registry) : registry_(registry) {}
  std::string GetMailtoCommand() override;

 private:
  Registry& registry_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_WIN32_PROCESS_LAUNCHER_H_
