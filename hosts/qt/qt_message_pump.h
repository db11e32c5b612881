#ifndef ZAN_HOSTS_QT_QT_MESSAGE_PUMP_H_
#define ZAN_HOSTS_QT_QT_MESSAGE_PUMP_H_

#include <QObject>
#include <atomic>

#include "platform/message_pump.h"

namespace zan {

// The user-interface thread's Qt event loop.
class QtMessagePump : public QObject, public MessagePump {
 public:
  QtMessagePump();
  bool DispatchPending() override;
  bool IsQuitPending() override;
  bool WaitForInput(int timeout_ms) override;
  void Wake() override;

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;

  std::atomic<bool> woken_{false};
  bool quit_seen_ = false;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_MESSAGE_PUMP_H_
