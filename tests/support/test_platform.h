#ifndef ZAN_TESTS_SUPPORT_TEST_PLATFORM_H_
#define ZAN_TESTS_SUPPORT_TEST_PLATFORM_H_

#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/downloader.h"
#include "platform/message_pump.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/tcp_connection.h"
#include "tests/support/temp_dir.h"

// The forms of the seams that the portable suites run on. The suites include
// no form themselves: each build of the tests links one implementation of
// these functions (test_platform_posix.cc on Linux), so the same suites run
// against the forms of another system by linking its implementation instead.
namespace zan::test {

// Whether the registry of this system lists a key's values in the order
// they were first written (false only under Wine, which sorts them by name).
bool ValuesKeepWritingOrder();
// Whether a test store's keys may reach the full depth of 512 levels: the
// Windows test stores live a few levels below the hive's root, from which the
// real registry counts.
bool KeysReachFullDepth();

// A fresh, empty registry store that lives no longer than `dir`. Two calls
// with the same folder reach the same store, as two processes of the
// toolbar would.
std::unique_ptr<Registry> MakeTestRegistry(const TempDir& dir);

// Connections that give up a connect after 5 s, so that no test hangs.
std::unique_ptr<TcpConnectionFactory> MakeTestConnections();

// The wall clock.
std::unique_ptr<Clock> MakeSystemClock();

// A downloader that gives up within a few seconds on a silent server.
std::unique_ptr<Downloader> MakeTestDownloader();

// The file:// URL of the local file `path`.
std::string FileUrl(const std::string& path);

// A message pump that a test can feed: tasks posted from any thread run in
// order at the next DispatchPending(); PostQuit() plays a request to quit
// the loop, which stays pending until TakeQuit() takes it.
class TestMessagePump : public MessagePump {
 public:
  virtual void PostTask(std::function<void()> task) = 0;
  virtual void PostQuit() = 0;
  virtual bool TakeQuit() = 0;
};
std::unique_ptr<TestMessagePump> MakeTestMessagePump();

// The launcher that starts real programs.
std::unique_ptr<ProcessLauncher> MakeTestProcessLauncher();
// A command line that, when started, writes the line "started" into the
// file `path` (which may hold spaces).
std::string MarkerCommandLine(const std::string& path);

// Sets the environment variable `name` of this process to `value`, or
// removes it when `value` is nullptr.
void SetEnvironment(const std::string& name, const char* value);

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_TEST_PLATFORM_H_
