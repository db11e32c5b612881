#ifndef ZAN_PLATFORM_POSIX_POSIX_TCP_CONNECTION_H_
#define ZAN_PLATFORM_POSIX_POSIX_TCP_CONNECTION_H_

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/tcp_connection.h"

namespace zan {

// A TCP connection over POSIX sockets. The reader sleeps in poll() on the
// socket and on a wake-up pipe; Stop() and CancelConnect() write to that
// pipe. A connect that gets no answer gives up after `connect_timeout_ms`.
class PosixTcpConnection : public TcpConnection {
 public:
  explicit PosixTcpConnection(int connect_timeout_ms = 30000);
  ~PosixTcpConnection() override;
  PosixTcpConnection(const PosixTcpConnection&) = delete;
  PosixTcpConnection& operator=(const PosixTcpConnection&) = delete;

  ConnectResult Connect(const std::string& host, uint16_t port) override;
  void CancelConnect() override;
  bool Send(std::string_view data) override;
  ReadyState WaitReadable() override;
  void Stop() override;
  long Read(char* buffer, size_t size) override;
  void Close() override;

 private:
  void Poke();

  const int connect_timeout_ms_;
  std::mutex mutex_;  // guards the socket number against Close()
  int socket_ = -1;
  int wake_read_ = -1;
  int wake_write_ = -1;
  std::atomic<bool> stopped_{false};
  std::atomic<bool> cancelled_{false};
};

class PosixTcpConnectionFactory : public TcpConnectionFactory {
 public:
  explicit PosixTcpConnectionFactory(int connect_timeout_ms = 30000)
      : connect_timeout_ms_(connect_timeout_ms) {}
  std::unique_ptr<TcpConnection> Create() override {
    return std::make_unique<PosixTcpConnection>(connect_timeout_ms_);
  }

 private:
  int connect_timeout_ms_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_POSIX_TCP_CONNECTION_H_
