#include "platform/std/plain_message_pump.h"

#include <chrono>
#include <utility>

namespace zan {

bool PlainMessagePump::DispatchPending() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (quit_pending_) return false;
      if (tasks_.empty()) return true;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

bool PlainMessagePump::WaitForInput(int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  bool arrived = changed_.wait_for(
      lock, std::chrono::milliseconds(timeout_ms),
      [this] { return woken_ || quit_pending_ || !tasks_.empty(); });
  woken_ = false;
  return arrived;
}

void PlainMessagePump::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
  }
  changed_.notify_all();
}

void PlainMessagePump::PostTask(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  changed_.notify_all();
}

void PlainMessagePump::PostQuit() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_pending_ = true;
  }
  changed_.notify_all();
}

bool PlainMessagePump::IsQuitPending() {
  std::lock_guard<std::mutex> lock(mutex_);
  return quit_pending_;
}

bool PlainMessagePump::TakeQuit() {
  std::lock_guard<std::mutex> lock(mutex_);
  bool was = quit_pending_;
  quit_pending_ = false;
  return was;
}

void PlainMessagePump::Run() {
  for (;;) {
    if (!DispatchPending()) {
      TakeQuit();
      return;
    }
    WaitForInput(1000);
  }
}

}  // namespace zan
