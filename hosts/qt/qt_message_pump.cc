#include "hosts/qt/qt_message_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace zan {

QtMessagePump::QtMessagePump() {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    app->installEventFilter(this);
  }
}

bool QtMessagePump::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Quit) quit_seen_ = true;
  return QObject::eventFilter(watched, event);
}

bool QtMessagePump::IsQuitPending() {
  return quit_seen_ || QCoreApplication::closingDown();
}

bool QtMessagePump::DispatchPending() {
  if (IsQuitPending()) return false;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return !IsQuitPending();
}

bool QtMessagePump::WaitForInput(int timeout_ms) {
  if (woken_.exchange(false)) return true;
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (!dispatcher) return false;
  bool timed_out = false;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout,
                   [&timed_out] { timed_out = true; });
  timer.start(timeout_ms < 0 ? 0 : timeout_ms);
  // One blocking round: it returns when events arrived, when Wake() woke
  // the dispatcher, or when the timer fired.
  dispatcher->processEvents(QEventLoop::WaitForMoreEvents);
  if (woken_.exchange(false)) return true;
  return !timed_out;
}

void QtMessagePump::Wake() {
  woken_ = true;
  if (QCoreApplication* app = QCoreApplication::instance()) {
    if (QAbstractEventDispatcher* d =
            QAbstractEventDispatcher::instance(app->thread())) {
      d->wakeUp();
    }
  }
}

}  // namespace zan
