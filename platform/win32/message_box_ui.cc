#include "platform/win32/message_box_ui.h"

#include <windows.h>

namespace zan {
namespace {

UINT ButtonStyle(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::kOk:
      return MB_OK;
    case MessageBoxButtons::kOkCancel:
      return MB_OKCANCEL;
    case MessageBoxButtons::kYesNo:
      return MB_YESNO;
    case MessageBoxButtons::kYesNoCancel:
      return MB_YESNOCANCEL;
  }
  return MB_OK;
}

UINT IconStyle(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::kNone:
      return 0;
    case MessageBoxIcon::kInformation:
      return MB_ICONINFORMATION;
    case MessageBoxIcon::kWarning:
      return MB_ICONWARNING;
    case MessageBoxIcon::kError:
      return MB_ICONERROR;
    case MessageBoxIcon::kQuestion:
      return MB_ICONQUESTION;
  }
  return 0;
}

// The answer of a box that could not be shown: the one that changes
// nothing.
MessageBoxAnswer SafeAnswer(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::kOk:
      return MessageBoxAnswer::kOk;
    case MessageBoxButtons::kYesNo:
      return MessageBoxAnswer::kNo;
    case MessageBoxButtons::kOkCancel:
    case MessageBoxButtons::kYesNoCancel:
      return MessageBoxAnswer::kCancel;
  }
  return MessageBoxAnswer::kCancel;
}

}  // namespace

MessageBoxAnswer MessageBoxUi::ShowMessageBox(const std::string& text,
                                              const std::string& caption,
                                              MessageBoxButtons buttons,
                                              MessageBoxIcon icon) {
  const int answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                                 ButtonStyle(buttons) | IconStyle(icon));
  switch (answer) {
    case IDOK:
      return MessageBoxAnswer::kOk;
    case IDCANCEL:
      return MessageBoxAnswer::kCancel;
    case IDYES:
      return MessageBoxAnswer::kYes;
    case IDNO:
      return MessageBoxAnswer::kNo;
    default:
      return SafeAnswer(buttons);
  }
}

}  // namespace zan
