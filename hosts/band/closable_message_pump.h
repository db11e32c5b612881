#ifndef ZAN_HOSTS_BAND_CLOSABLE_MESSAGE_PUMP_H_
#define ZAN_HOSTS_BAND_CLOSABLE_MESSAGE_PUMP_H_

#include "platform/message_pump.h"
#include "platform/win32/win32_message_pump.h"

namespace zan {

// The browser thread's window messages as the mail check of one toolbar
// waits on them. Once the toolbar goes away in the middle of a check,
// Close() makes the pump answer as if the thread were asked to quit: the
// check's waits end at once and write nothing, and the check pass stops.
class ClosableMessagePump : public MessagePump {
 public:
  void Close() {
    closed_ = true;
    pump_.Wake();
  }
  bool closed() const { return closed_; }

  bool DispatchPending() override {
    return !closed_ && pump_.DispatchPending();
  }
  bool IsQuitPending() override { return closed_ || pump_.IsQuitPending(); }
  bool WaitForInput(int timeout_ms) override {
    return closed_ || pump_.WaitForInput(timeout_ms);
  }
  void Wake() override { pump_.Wake(); }

 private:
  Win32MessagePump pump_;
  bool closed_ = false;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_CLOSABLE_MESSAGE_PUMP_H_
