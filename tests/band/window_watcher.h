#ifndef ZAN_TESTS_BAND_WINDOW_WATCHER_H_
#define ZAN_TESTS_BAND_WINDOW_WATCHER_H_

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

namespace zan::test {

// Plays the user of a modal loop (a menu, a dialog) that the thread making
// the watcher is about to run: a worker thread waits up to `timeout_ms` for
// a visible window of `class_name` (and `caption`, when not null) of that
// thread and hands it to `act`. The destructor waits for the worker.
class WindowWatcher {
 public:
  WindowWatcher(const char* class_name, const char* caption, DWORD timeout_ms,
                std::function<void(HWND)> act);
  ~WindowWatcher();
  WindowWatcher(const WindowWatcher&) = delete;
  WindowWatcher& operator=(const WindowWatcher&) = delete;

  bool found() const { return found_; }

 private:
  static DWORD WINAPI Run(void* parameter);

  std::string class_name_;
  std::string caption_;
  bool any_caption_;
  DWORD thread_;
  DWORD timeout_ms_;
  std::function<void(HWND)> act_;
  std::atomic<bool> found_{false};
  HANDLE worker_ = nullptr;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_BAND_WINDOW_WATCHER_H_
