// The Linux forms behind the portable suites.
#include <stdlib.h>

#include <utility>

#include "platform/posix/curl_downloader.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/posix/posix_tcp_connection.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/std/plain_message_pump.h"
#include "platform/std/system_clock.h"
#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

class PlainTestPump : public TestMessagePump {
 public:
  bool DispatchPending() override { return pump_.DispatchPending(); }
  bool IsQuitPending() override { return pump_.IsQuitPending(); }
  bool WaitForInput(int timeout_ms) override {
    return pump_.WaitForInput(timeout_ms);
  }
  void Wake() override { pump_.Wake(); }
  void PostTask(std::function<void()> task) override {
    pump_.PostTask(std::move(task));
  }
  void PostQuit() override { pump_.PostQuit(); }
  bool TakeQuit() override { return pump_.TakeQuit(); }

 private:
  PlainMessagePump pump_;
};

}  // namespace

bool ValuesKeepWritingOrder() { return true; }

bool KeysReachFullDepth() { return true; }

std::unique_ptr<Registry> MakeTestRegistry(const TempDir& dir) {
  return SqliteRegistry::Open(dir.File("registry.db"));
}

std::unique_ptr<TcpConnectionFactory> MakeTestConnections() {
  return std::make_unique<PosixTcpConnectionFactory>(5000);
}

std::unique_ptr<Clock> MakeSystemClock() {
  return std::make_unique<SystemClock>();
}

std::unique_ptr<Downloader> MakeTestDownloader() {
  DownloadLimits limits;
  limits.connect_timeout_ms = 2000;
  limits.low_speed_bytes = 100;
  limits.low_speed_seconds = 1;
  limits.total_timeout_ms = 10000;
  return std::make_unique<CurlDownloader>(limits);
}

std::string FileUrl(const std::string& path) { return "file://" + path; }

std::unique_ptr<TestMessagePump> MakeTestMessagePump() {
  return std::make_unique<PlainTestPump>();
}

std::unique_ptr<ProcessLauncher> MakeTestProcessLauncher() {
  return std::make_unique<PosixProcessLauncher>();
}

std::string MarkerCommandLine(const std::string& path) {
  return "sh -c \"echo started > '" + path + "'\"";
}

void SetEnvironment(const std::string& name, const char* value) {
  if (value != nullptr) {
    setenv(name.c_str(), value, 1);
  } else {
    unsetenv(name.c_str());
  }
}

}  // namespace zan::test
