#include "platform/win32/winsock_tcp_connection.h"

#include <ws2tcpip.h>

#include <chrono>

#include "platform/win32/schannel_tls_layer.h"

namespace zan {
namespace {

// The first IPv4 address of `host`: a dotted address as it is (it is not
// looked up in reverse: a server without a reverse name is still reached),
// a name through the resolver.
bool ResolveIpv4(const std::string& host, in_addr* address) {
  if (inet_pton(AF_INET, host.c_str(), address) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || !result) {
    return false;
  }
  bool found = false;
  for (addrinfo* entry = result; entry; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET && entry->ai_addr) {
      *address = reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr;
      found = true;
      break;
    }
  }
  freeaddrinfo(result);
  return found;
}

}  // namespace

WinsockTcpConnection::WinsockTcpConnection(int connect_timeout_ms)
    : connect_timeout_ms_(connect_timeout_ms) {
  stop_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  cancel_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

WinsockTcpConnection::~WinsockTcpConnection() {
  Close();
  if (network_event_ != WSA_INVALID_EVENT) WSACloseEvent(network_event_);
  if (stop_event_ != nullptr) CloseHandle(stop_event_);
  if (cancel_event_ != nullptr) CloseHandle(cancel_event_);
  if (started_) WSACleanup();
}

SOCKET WinsockTcpConnection::CurrentSocket() {
  std::lock_guard<std::mutex> lock(mutex_);
  return socket_;
}

TcpConnection::ConnectResult WinsockTcpConnection::Connect(
    const std::string& host, uint16_t port) {
  if (!started_) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
      return ConnectResult::kStartupFailed;
    }
    started_ = true;
  }
  if (stop_event_ == nullptr || cancel_event_ == nullptr) {
    return ConnectResult::kSocketFailed;
  }
  SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd == INVALID_SOCKET) return ConnectResult::kSocketFailed;
  SetHandleInformation(reinterpret_cast<HANDLE>(fd), HANDLE_FLAG_INHERIT, 0);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = fd;
  }
  in_addr address{};
  if (!ResolveIpv4(host, &address)) return ConnectResult::kHostNotFound;
  if (cancelled_) return ConnectResult::kCancelled;

  // Bound to an event, the socket is non-blocking: the connect completes
  // with FD_CONNECT while the cancel event can still end the wait.
  WSAEVENT connect_event = WSACreateEvent();
  if (connect_event == WSA_INVALID_EVENT) return ConnectResult::kConnectFailed;
  ConnectResult result = ConnectResult::kConnectFailed;
  if (WSAEventSelect(fd, connect_event, FD_CONNECT) == 0) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr = address;
    if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
      result = ConnectResult::kConnected;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
      result = WaitForConnect(fd, connect_event);
    }
  }
  // Unbind the event before it goes; the reader binds its own.
  WSAEventSelect(fd, nullptr, 0);
  WSACloseEvent(connect_event);
  return result;
}

TcpConnection::ConnectResult WinsockTcpConnection::WaitForConnect(
    SOCKET fd, WSAEVENT connect_event) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(connect_timeout_ms_);
  for (;;) {
    if (cancelled_) return ConnectResult::kCancelled;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return ConnectResult::kConnectFailed;
    WSAEVENT events[2] = {connect_event, cancel_event_};
    const DWORD woke = WSAWaitForMultipleEvents(
        2, events, FALSE, static_cast<DWORD>(left), FALSE);
    if (cancelled_) return ConnectResult::kCancelled;
    if (woke == WSA_WAIT_EVENT_0) {
      WSANETWORKEVENTS happened{};
      if (WSAEnumNetworkEvents(fd, connect_event, &happened) != 0) {
        return ConnectResult::kConnectFailed;
      }
      if (happened.lNetworkEvents & FD_CONNECT) {
        return happened.iErrorCode[FD_CONNECT_BIT] == 0
                   ? ConnectResult::kConnected
                   : ConnectResult::kConnectFailed;
      }
      continue;
    }
    if (woke == WSA_WAIT_FAILED) return ConnectResult::kConnectFailed;
  }
}

void WinsockTcpConnection::CancelConnect() {
  cancelled_ = true;
  if (cancel_event_ != nullptr) SetEvent(cancel_event_);
}

bool WinsockTcpConnection::Send(std::string_view data) {
  const SOCKET fd = CurrentSocket();
  if (fd == INVALID_SOCKET) return false;
  size_t sent = 0;
  int idle_rounds = 0;
  while (sent < data.size()) {
    const size_t left = data.size() - sent;
    const int chunk = left > 65536 ? 65536 : static_cast<int>(left);
    const int n = send(fd, data.data() + sent, chunk, 0);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      idle_rounds = 0;
      continue;
    }
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
      // A command line is short; a send buffer that stays full for 10 s
      // means the peer no longer reads.
      if (++idle_rounds > 100) return false;
      fd_set writable;
      FD_ZERO(&writable);
      FD_SET(fd, &writable);
      timeval pause{0, 100000};
      select(0, nullptr, &writable, nullptr, &pause);
      continue;
    }
    return false;
  }
  return true;
}

TcpConnection::ReadyState WinsockTcpConnection::WaitReadable() {
  if (stopped_) return ReadyState::kStopped;
  const SOCKET fd = CurrentSocket();
  if (fd == INVALID_SOCKET) return ReadyState::kClosed;
  if (network_event_ == WSA_INVALID_EVENT) {
    network_event_ = WSACreateEvent();
    if (network_event_ == WSA_INVALID_EVENT) return ReadyState::kEventFailed;
    if (WSAEventSelect(fd, network_event_, FD_READ | FD_CLOSE) != 0) {
      WSACloseEvent(network_event_);
      network_event_ = WSA_INVALID_EVENT;
      return ReadyState::kEventSelectFailed;
    }
  }
  for (;;) {
    if (stopped_) return ReadyState::kStopped;
    if (peer_closed_) {
      // FD_CLOSE comes once; bytes that arrived before it are still read.
      u_long pending = 0;
      if (ioctlsocket(fd, FIONREAD, &pending) == 0 && pending > 0) {
        return ReadyState::kReadable;
      }
      return ReadyState::kClosed;
    }
    WSAEVENT events[2] = {network_event_, stop_event_};
    const DWORD woke =
        WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
    if (stopped_ || woke == WSA_WAIT_EVENT_0 + 1) return ReadyState::kStopped;
    if (woke == WSA_WAIT_FAILED) return ReadyState::kNetworkDown;
    if (woke != WSA_WAIT_EVENT_0) continue;
    WSANETWORKEVENTS happened{};
    if (WSAEnumNetworkEvents(fd, network_event_, &happened) != 0) {
      return WSAGetLastError() == WSAENETDOWN ? ReadyState::kNetworkDown
                                              : ReadyState::kClosed;
    }
    if (happened.lNetworkEvents & FD_CLOSE) peer_closed_ = true;
    if (happened.lNetworkEvents & FD_READ) return ReadyState::kReadable;
  }
}

void WinsockTcpConnection::Stop() {
  stopped_ = true;
  if (stop_event_ != nullptr) SetEvent(stop_event_);
}

void WinsockTcpConnection::Resume() {
  if (stop_event_ != nullptr) ResetEvent(stop_event_);
  stopped_ = false;
}

long WinsockTcpConnection::Read(char* buffer, size_t size) {
  const SOCKET fd = CurrentSocket();
  if (fd == INVALID_SOCKET) return kReadError;
  const int want = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
  const int n = recv(fd, buffer, want, 0);
  if (n >= 0) return n;
  const int error = WSAGetLastError();
  return error == WSAEWOULDBLOCK ? kReadWouldBlock : kReadError;
}

void WinsockTcpConnection::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (socket_ != INVALID_SOCKET) {
    shutdown(socket_, SD_RECEIVE);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
}

WinsockTcpConnectionFactory::WinsockTcpConnectionFactory(int connect_timeout_ms)
    : connect_timeout_ms_(connect_timeout_ms) {}

WinsockTcpConnectionFactory::~WinsockTcpConnectionFactory() = default;

std::unique_ptr<TcpConnection> WinsockTcpConnectionFactory::Create() {
  return std::make_unique<WinsockTcpConnection>(connect_timeout_ms_);
}

TlsLayer* WinsockTcpConnectionFactory::Tls() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!tls_) tls_ = std::make_unique<SchannelTlsLayer>();
  return tls_.get();
}

}  // namespace zan
