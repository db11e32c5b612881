#ifndef ZAN_TESTS_SUPPORT_SCRIPTED_POP3_SERVER_H_
#define ZAN_TESTS_SUPPORT_SCRIPTED_POP3_SERVER_H_

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_socket.h"

namespace zan {

// A loopback TCP server that plays a fixed script to each client, one
// client after another: what a real mail server rarely does on purpose
// (no greeting, a reply split across writes, endless bytes, a sudden close).
// Every wait inside is bounded, and the destructor ends everything at once.
class ScriptedPop3Server {
 public:
  struct Step {
    enum class Kind { kSend, kReadLine, kPause, kClose, kFlood };
    Kind kind;
    std::string text;
    int milliseconds = 0;
  };
  static Step Send(std::string bytes) {
    return {Step::Kind::kSend, std::move(bytes), 0};
  }
  // Waits (up to 10 s) for one line from the client and records it.
  static Step ReadLine() { return {Step::Kind::kReadLine, {}, 0}; }
  static Step Pause(int milliseconds) {
    return {Step::Kind::kPause, {}, milliseconds};
  }
  static Step Close() { return {Step::Kind::kClose, {}, 0}; }
  // Sends bytes without a line end until the client goes away (at most
  // 64 MiB).
  static Step Flood() { return {Step::Kind::kFlood, {}, 0}; }

  // Listens on `address` (any loopback address, 127.0.0.1 by default).
  explicit ScriptedPop3Server(std::vector<Step> script,
                              const std::string& address = "127.0.0.1");
  ~ScriptedPop3Server();
  ScriptedPop3Server(const ScriptedPop3Server&) = delete;
  ScriptedPop3Server& operator=(const ScriptedPop3Server&) = delete;

  bool ok() const { return listener_ != test::kNoSocket; }
  uint16_t port() const { return port_; }
  // Lines received so far from all clients, without their line ends.
  std::vector<std::string> ReceivedLines();
  int Connections() const { return connections_; }

 private:
  void Serve();
  void Play(test::TestSocket client);
  // Waits up to `milliseconds` for `fd` to become readable (or writable);
  // false on timeout or stop.
  // Sleeps until `socket` is ready, at most `milliseconds`, in short slices
  // that see a stop; false when it is not ready or the server stops.
  bool WaitFor(test::TestSocket socket, bool write, int milliseconds);
  void RecordPendingLines(test::TestSocket client, std::string* partial);

  std::vector<Step> script_;
  test::TestSocket listener_ = test::kNoSocket;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::mutex mutex_;
  std::vector<std::string> lines_;
  std::thread thread_;
};

}  // namespace zan

#endif  // ZAN_TESTS_SUPPORT_SCRIPTED_POP3_SERVER_H_
