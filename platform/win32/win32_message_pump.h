#ifndef ZAN_PLATFORM_WIN32_WIN32_MESSAGE_PUMP_H_
#define ZAN_PLATFORM_WIN32_WIN32_MESSAGE_PUMP_H_

#include <windows.h>

#include "platform/message_pump.h"

namespace zan {

// The window messages of the thread that made the pump: PeekMessageA and
// DispatchMessageA run them, MsgWaitForMultipleObjects sleeps until new
// input (QS_ALLINPUT) or the wake event. A WM_QUIT that is taken is posted
// again, so that the thread's own loop still ends.
class Win32MessagePump : public MessagePump {
 public:
  Win32MessagePump();
  ~Win32MessagePump() override;
  Win32MessagePump(const Win32MessagePump&) = delete;
  Win32MessagePump& operator=(const Win32MessagePump&) = delete;

  bool DispatchPending() override;
  bool IsQuitPending() override;
  bool WaitForInput(int timeout_ms) override;
  void Wake() override;

 private:
  HANDLE wake_event_;  // auto-reset: one Wake ends one wait
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_WIN32_MESSAGE_PUMP_H_
