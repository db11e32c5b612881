#ifndef ZAN_PLATFORM_POSIX_POSIX_PROCESS_LAUNCHER_H_
#define ZAN_PLATFORM_POSIX_POSIX_PROCESS_LAUNCHER_H_

#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace zan {

// Splits a command line into arguments the way programs on Windows split
// theirs:
// - the program name ends at the first blank or tab, or, when it begins with
//   a double quote, at the next double quote (backslashes are plain there);
// - other arguments are separated by runs of blanks and tabs; double quotes
//   switch quoting on and off, and a doubled double quote inside quotes is
//   one literal double quote;
// - 2n backslashes before a double quote give n backslashes and the quote
//   acts as above; 2n+1 give n backslashes and a literal double quote;
//   backslashes before any other byte stay as they are.
// An empty or all-blank line gives no arguments.
std::vector<std::string> SplitWindowsCommandLine(const std::string& line);

// Starts programs with posix_spawnp, passing on only standard input, output
// and error of the caller's descriptors. The child is reaped in the background
// so that no zombie stays behind; the caller never waits for it.
class PosixProcessLauncher : public ProcessLauncher {
 public:
  bool Start(const std::string& command_line) override;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_POSIX_PROCESS_LAUNCHER_H_
