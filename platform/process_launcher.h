#ifndef ZAN_PLATFORM_PROCESS_LAUNCHER_H_
#define ZAN_PLATFORM_PROCESS_LAUNCHER_H_

#include <string>

namespace zan {

// Starts programs on the user's machine.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;

  // Starts the program that `command_line` names, with the rest of the line
  // as its arguments, in the caller's environment and current folder. The
  // line is split as the Windows command line rules split it and the
  // program is searched on PATH when its name holds no slash. Does not wait
  // for the program; false when it could not be started.
  virtual bool Start(const std::string& command_line) = 0;
};

// The desktop's default program for "mailto:" addresses, on systems that do
// not keep it in the registry.
class DesktopMailHandler {
 public:
  virtual ~DesktopMailHandler() = default;

  // The command line that opens the default e-mail program, without
  // placeholders for the address; empty when none is configured.
  virtual std::string GetMailtoCommand() = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_PROCESS_LAUNCHER_H_
