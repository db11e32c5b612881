#ifndef ZAN_PLATFORM_POSIX_XDG_MAIL_HANDLER_H_
#define ZAN_PLATFORM_POSIX_XDG_MAIL_HANDLER_H_

#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace zan {

// Where the desktop keeps its default applications and their entries, in
// order of precedence (the XDG base directory layout).
struct XdgFolders {
  // Folders holding "mimeapps.list": $XDG_CONFIG_HOME, then each folder of
  // $XDG_CONFIG_DIRS, then each "applications" folder of the data folders.
  std::vector<std::string> config_dirs;
  // Data folders whose "applications" sub folder holds ".desktop" files:
  // $XDG_DATA_HOME, then each folder of $XDG_DATA_DIRS.
  std::vector<std::string> data_dirs;

  // The folders the process environment names, with the standard defaults
  // for variables that are not set.
  static XdgFolders FromEnvironment();
};

// Removes the field codes (%f %F %u %U %d %D %n %N %i %c %k %v %m) of a
// desktop entry's Exec line, turns "%%" into "%", and drops the blanks that a
// removed code leaves at the end.
std::string RemoveDesktopFieldCodes(const std::string& exec);

// The Exec line of the desktop's default "x-scheme-handler/mailto"
// application, with its field codes removed; empty when none is configured
// or its entry cannot be read. Only reads files.
std::string FindMailtoCommand(const XdgFolders& folders);

// The desktop handler over the folders it was given.
class XdgMailHandler : public DesktopMailHandler {
 public:
  explicit XdgMailHandler(XdgFolders folders) : folders_(std::move(folders)) {}
  std::string GetMailtoCommand() override {
    return FindMailtoCommand(folders_);
  }

 private:
  XdgFolders folders_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_XDG_MAIL_HANDLER_H_
