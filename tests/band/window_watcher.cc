#include "tests/band/window_watcher.h"

#include <utility>

#include "tests/band/band_test_util.h"

namespace zan::test {

WindowWatcher::WindowWatcher(const char* class_name, const char* caption,
                             DWORD timeout_ms, std::function<void(HWND)> act)
    : class_name_(class_name),
      caption_(caption != nullptr ? caption : ""),
      any_caption_(caption == nullptr),
      thread_(GetCurrentThreadId()),
      timeout_ms_(timeout_ms),
      act_(std::move(act)) {
  worker_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
}

WindowWatcher::~WindowWatcher() {
  // The action may still be at work once the modal loop has ended.
  WaitForSingleObject(worker_, 2 * timeout_ms_);
  CloseHandle(worker_);
}

DWORD WINAPI WindowWatcher::Run(void* parameter) {
  auto* self = static_cast<WindowWatcher*>(parameter);
  HWND window =
      WaitForWindow(self->class_name_.c_str(),
                    self->any_caption_ ? nullptr : self->caption_.c_str(),
                    self->thread_, self->timeout_ms_);
  if (window != nullptr) {
    self->found_ = true;
    self->act_(window);
  }
  return 0;
}

}  // namespace zan::test
