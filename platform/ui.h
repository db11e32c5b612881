#ifndef ZAN_PLATFORM_UI_H_
#define ZAN_PLATFORM_UI_H_

#include <string>

namespace zan {

enum class MessageBoxButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageBoxIcon { kNone, kInformation, kWarning, kError, kQuestion };
enum class MessageBoxAnswer { kOk, kCancel, kYes, kNo };

// The user-visible side of the system's message boxes: modal, without an
// owner window. The Qt host shows dialogs, the command-line tools print to
// standard error, tests script the answers.
class Ui {
 public:
  virtual ~Ui() = default;
  virtual MessageBoxAnswer ShowMessageBox(const std::string& text,
                                          const std::string& caption,
                                          MessageBoxButtons buttons,
                                          MessageBoxIcon icon) = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_UI_H_
