#ifndef ZAN_PLATFORM_STD_PLAIN_MESSAGE_PUMP_H_
#define ZAN_PLATFORM_STD_PLAIN_MESSAGE_PUMP_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/message_pump.h"

namespace zan {

// The event loop of programs without a window system (the command-line tools,
// tests, benchmarks): user-interface events are tasks posted from any thread
// and run in order on the thread that dispatches.
class PlainMessagePump : public MessagePump {
 public:
  PlainMessagePump() = default;
  PlainMessagePump(const PlainMessagePump&) = delete;
  PlainMessagePump& operator=(const PlainMessagePump&) = delete;

  bool DispatchPending() override;
  bool WaitForInput(int timeout_ms) override;
  void Wake() override;

  // Posts one event. Safe from any thread.
  void PostTask(std::function<void()> task);
  // Posts the request to quit the loop; it stays pending until taken.
  void PostQuit();
  bool IsQuitPending() override;
  // Takes a pending quit request; true when there was one.
  bool TakeQuit();
  // Runs events until a quit request is taken.
  void Run();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> tasks_;
  bool quit_pending_ = false;
  bool woken_ = false;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_STD_PLAIN_MESSAGE_PUMP_H_
