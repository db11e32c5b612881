#include "platform/win32/win32_message_pump.h"

namespace zan {

Win32MessagePump::Win32MessagePump()
    : wake_event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

Win32MessagePump::~Win32MessagePump() {
  if (wake_event_ != nullptr) CloseHandle(wake_event_);
}

bool Win32MessagePump::DispatchPending() {
  MSG message;
  for (;;) {
    // A quit request ends the dispatch at once, even with messages posted
    // before it still waiting (the system hands WM_QUIT out last), and it
    // stays for the thread's own loop.
    if (IsQuitPending()) return false;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return true;
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool Win32MessagePump::IsQuitPending() {
  MSG message;
  return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

bool Win32MessagePump::WaitForInput(int timeout_ms) {
  if (IsQuitPending()) return true;
  const DWORD timeout = timeout_ms < 0 ? 0 : static_cast<DWORD>(timeout_ms);
  const DWORD count = wake_event_ != nullptr ? 1 : 0;
  const DWORD result = MsgWaitForMultipleObjects(
      count, count ? &wake_event_ : nullptr, FALSE, timeout, QS_ALLINPUT);
  return result != WAIT_TIMEOUT && result != WAIT_FAILED;
}

void Win32MessagePump::Wake() {
  if (wake_event_ != nullptr) SetEvent(wake_event_);
}

}  // namespace zan
