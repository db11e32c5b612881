#ifndef ZAN_PLATFORM_WIN32_WINSOCK_TCP_CONNECTION_H_
#define ZAN_PLATFORM_WIN32_WINSOCK_TCP_CONNECTION_H_

#include <winsock2.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/tcp_connection.h"

namespace zan {

// A TCP connection over Winsock 2.2. The connect waits for the socket's
// FD_CONNECT event together with a cancel event; the reader waits in
// WSAWaitForMultipleEvents for a network event bound to the socket
// (FD_READ, FD_CLOSE) and for the stop event. A connect that gets no answer
// gives up after `connect_timeout_ms`.
class WinsockTcpConnection : public TcpConnection {
 public:
  explicit WinsockTcpConnection(int connect_timeout_ms = 30000);
  ~WinsockTcpConnection() override;
  WinsockTcpConnection(const WinsockTcpConnection&) = delete;
  WinsockTcpConnection& operator=(const WinsockTcpConnection&) = delete;

  ConnectResult Connect(const std::string& host, uint16_t port) override;
  void CancelConnect() override;
  bool Send(std::string_view data) override;
  ReadyState WaitReadable() override;
  void Stop() override;
  void Resume() override;
  long Read(char* buffer, size_t size) override;
  void Close() override;

 private:
  SOCKET CurrentSocket();
  ConnectResult WaitForConnect(SOCKET fd, WSAEVENT connect_event);

  const int connect_timeout_ms_;
  bool started_ = false;  // WSAStartup succeeded; WSACleanup is owed
  std::mutex mutex_;      // guards the socket handle against Close()
  SOCKET socket_ = INVALID_SOCKET;
  HANDLE stop_event_ = nullptr;    // manual reset, set by Stop()
  HANDLE cancel_event_ = nullptr;  // manual reset, set by CancelConnect()
  WSAEVENT network_event_ = WSA_INVALID_EVENT;  // made by the reader
  bool peer_closed_ = false;                    // the reader saw FD_CLOSE
  std::atomic<bool> stopped_{false};
  std::atomic<bool> cancelled_{false};
};

class SchannelTlsLayer;

// Winsock connections, and TLS over them through Schannel.
class WinsockTcpConnectionFactory : public TcpConnectionFactory {
 public:
  explicit WinsockTcpConnectionFactory(int connect_timeout_ms = 30000);
  ~WinsockTcpConnectionFactory() override;
  std::unique_ptr<TcpConnection> Create() override;
  TlsLayer* Tls() override;

 private:
  int connect_timeout_ms_;
  std::mutex mutex_;  // the TLS layer, made at the first Tls()
  std::unique_ptr<SchannelTlsLayer> tls_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_WINSOCK_TCP_CONNECTION_H_
