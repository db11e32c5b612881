#ifndef ZAN_PLATFORM_WIN32_MESSAGE_BOX_UI_H_
#define ZAN_PLATFORM_WIN32_MESSAGE_BOX_UI_H_

#include <string>

#include "platform/ui.h"

namespace zan {

// Message boxes through MessageBoxA, modal to nothing (no owner window).
class MessageBoxUi : public Ui {
 public:
  MessageBoxAnswer ShowMessageBox(const std::string& text,
                                  const std::string& caption,
                                  MessageBoxButtons buttons,
                                  MessageBoxIcon icon) override;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_MESSAGE_BOX_UI_H_
