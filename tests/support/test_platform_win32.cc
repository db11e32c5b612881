// The Windows forms behind the portable suites.
// winsock2.h first: it brings windows.h in the order Winsock needs.
#include <winsock2.h>

#include <cstdlib>
#include <functional>
#include <utility>

#include "platform/std/system_clock.h"
#include "platform/win32/url_moniker_downloader.h"
#include "platform/win32/win32_message_pump.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/winsock_tcp_connection.h"
#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

constexpr UINT kRunTask = WM_APP + 1;

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  if (message == kRunTask) {
    std::unique_ptr<std::function<void()>> task(
        reinterpret_cast<std::function<void()>*>(lparam));
    (*task)();
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// The Win32 pump, fed with window messages: each task is a message to a
// message-only window of the pump's thread, run by DispatchMessageA.
class Win32TestPump : public TestMessagePump {
 public:
  Win32TestPump() : thread_(GetCurrentThreadId()) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = &TaskWindowProc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "ZanTestTasks";
    RegisterClassA(&window_class);  // fails harmlessly the second time
    window_ =
        CreateWindowExA(0, "ZanTestTasks", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~Win32TestPump() override {
    // Tasks never run are freed with their messages.
    MSG message;
    while (PeekMessageA(&message, window_, kRunTask, kRunTask, PM_REMOVE)) {
      delete reinterpret_cast<std::function<void()>*>(message.lParam);
    }
    TakeQuit();
    DestroyWindow(window_);
  }

  bool DispatchPending() override { return pump_.DispatchPending(); }
  bool IsQuitPending() override { return pump_.IsQuitPending(); }
  bool WaitForInput(int timeout_ms) override {
    return pump_.WaitForInput(timeout_ms);
  }
  void Wake() override { pump_.Wake(); }

  void PostTask(std::function<void()> task) override {
    auto* posted = new std::function<void()>(std::move(task));
    if (!PostMessageA(window_, kRunTask, 0, reinterpret_cast<LPARAM>(posted))) {
      delete posted;
    }
  }
  void PostQuit() override {
    if (GetCurrentThreadId() == thread_) {
      PostQuitMessage(0);
    } else {
      PostThreadMessageA(thread_, WM_QUIT, 0, 0);
    }
  }
  bool TakeQuit() override {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  }

 private:
  DWORD thread_;
  HWND window_ = nullptr;
  Win32MessagePump pump_;
};

}  // namespace

void SetEnvironment(const std::string& name, const char* value) {
  // An empty value removes the variable.
  _putenv_s(name.c_str(), value != nullptr ? value : "");
}

bool ValuesKeepWritingOrder() {
  // Wine's ntdll exports wine_get_version; Windows' does not.
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll == nullptr ||
         GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

bool KeysReachFullDepth() { return false; }

std::unique_ptr<Registry> MakeTestRegistry(const TempDir& dir) {
  // A registry of its own per folder, inside the user's: the folder's path
  // (a key name holds no backslash) names it.
  std::string name = dir.path();
  for (char& c : name) {
    if (c == '\\' || c == '/' || c == ':') c = '_';
  }
  if (name.size() > 200) name.erase(0, name.size() - 200);
  return std::make_unique<Win32Registry>("Software\\ZAN Test Stores\\" + name);
}

std::unique_ptr<TcpConnectionFactory> MakeTestConnections() {
  return std::make_unique<WinsockTcpConnectionFactory>(5000);
}

std::unique_ptr<Clock> MakeSystemClock() {
  return std::make_unique<SystemClock>();
}

std::unique_ptr<Downloader> MakeTestDownloader() {
  UrlDownloadLimits limits;
  limits.connect_timeout_ms = 2000;
  limits.stall_timeout_ms = 2000;
  limits.total_timeout_ms = 10000;
  return std::make_unique<UrlMonikerDownloader>(limits);
}

std::string FileUrl(const std::string& path) {
  std::string url = "file:///" + path;
  for (char& c : url) {
    if (c == '\\') c = '/';
  }
  return url;
}

std::unique_ptr<TestMessagePump> MakeTestMessagePump() {
  return std::make_unique<Win32TestPump>();
}

std::unique_ptr<ProcessLauncher> MakeTestProcessLauncher() {
  return std::make_unique<Win32ProcessLauncher>();
}

std::string MarkerCommandLine(const std::string& path) {
  std::string file = path;
  for (char& c : file) {
    if (c == '/') c = '\\';
  }
  return "cmd.exe /c echo started> \"" + file + "\"";
}

}  // namespace zan::test
