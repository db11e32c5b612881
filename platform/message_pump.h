#ifndef ZAN_PLATFORM_MESSAGE_PUMP_H_
#define ZAN_PLATFORM_MESSAGE_PUMP_H_

namespace zan {

// The user-interface thread's event loop as seen by code that must wait for
// something (a server's answer) without freezing the interface: it runs the
// pending user-interface events and sleeps until more arrive, until another
// thread wakes it, or until a time limit passes.
//
// All operations except Wake() are called on the user-interface thread.
class MessagePump {
 public:
  virtual ~MessagePump() = default;

  // Runs every pending user-interface event. Returns false when a request to
  // quit the loop is pending: nothing after it is run, and the request stays
  // pending so that the thread's own loop still sees it.
  virtual bool DispatchPending() = 0;

  // True while a request to quit the loop is pending.
  virtual bool IsQuitPending() = 0;

  // Sleeps until user-interface events are pending, Wake() is called (also
  // before this call, since the last return), or `timeout_ms` milliseconds
  // pass. Returns false only when the time ran out with nothing arriving.
  virtual bool WaitForInput(int timeout_ms) = 0;

  // Ends the current or the next WaitForInput(). Safe from any thread.
  virtual void Wake() = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_MESSAGE_PUMP_H_
