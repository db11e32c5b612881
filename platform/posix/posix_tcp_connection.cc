#include "platform/posix/posix_tcp_connection.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace zan {
namespace {

bool SetNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// The first IPv4 address of `host`: a dotted address as it is, a name
// through the resolver.
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

PosixTcpConnection::PosixTcpConnection(int connect_timeout_ms)
    : connect_timeout_ms_(connect_timeout_ms) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_read_ = fds[0];
    wake_write_ = fds[1];
  }
}

PosixTcpConnection::~PosixTcpConnection() {
  Close();
  if (wake_read_ >= 0) close(wake_read_);
  if (wake_write_ >= 0) close(wake_write_);
}

void PosixTcpConnection::Poke() {
  if (wake_write_ < 0) return;
  char byte = 1;
  // A full pipe already wakes the reader; the result does not matter.
  [[maybe_unused]] ssize_t written = write(wake_write_, &byte, 1);
}

TcpConnection::ConnectResult PosixTcpConnection::Connect(
    const std::string& host, uint16_t port) {
  if (wake_read_ < 0) return ConnectResult::kSocketFailed;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return ConnectResult::kSocketFailed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (socket_ >= 0) close(socket_);
    socket_ = fd;
  }
  in_addr address{};
  if (!ResolveIpv4(host, &address)) return ConnectResult::kHostNotFound;
  if (cancelled_) return ConnectResult::kCancelled;
  if (!SetNonBlocking(fd)) return ConnectResult::kConnectFailed;

  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr = address;
  if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
    return ConnectResult::kConnected;
  }
  if (errno != EINPROGRESS) return ConnectResult::kConnectFailed;

  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(connect_timeout_ms_);
  for (;;) {
    if (cancelled_) return ConnectResult::kCancelled;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return ConnectResult::kConnectFailed;
    pollfd fds[2] = {{fd, POLLOUT, 0}, {wake_read_, POLLIN, 0}};
    int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) return ConnectResult::kConnectFailed;
    if (cancelled_) return ConnectResult::kCancelled;
    if (ready > 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
      int error = 0;
      socklen_t length = sizeof error;
      if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
          error != 0) {
        return ConnectResult::kConnectFailed;
      }
      return ConnectResult::kConnected;
    }
  }
}

void PosixTcpConnection::CancelConnect() {
  cancelled_ = true;
  Poke();
}

bool PosixTcpConnection::Send(std::string_view data) {
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = socket_;
  }
  if (fd < 0) return false;
  size_t sent = 0;
  int idle_rounds = 0;
  while (sent < data.size()) {
    ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      idle_rounds = 0;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A command line is short; a send buffer that stays full for 10 s
      // means the peer no longer reads.
      if (++idle_rounds > 100) return false;
      pollfd out = {fd, POLLOUT, 0};
      poll(&out, 1, 100);
      continue;
    }
    return false;
  }
  return true;
}

TcpConnection::ReadyState PosixTcpConnection::WaitReadable() {
  for (;;) {
    if (stopped_) return ReadyState::kStopped;
    int fd;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      fd = socket_;
    }
    if (fd < 0) return ReadyState::kClosed;
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_read_, POLLIN, 0}};
    int ready = poll(fds, 2, -1);
    if (stopped_) return ReadyState::kStopped;
    if (ready < 0) {
      if (errno == EINTR) continue;
      return ReadyState::kNetworkDown;
    }
    if (fds[1].revents & POLLIN) {
      // Drain the pipe; a poke that was not a stop (a cancelled connect)
      // must not keep waking the reader.
      char drain[64];
      while (read(wake_read_, drain, sizeof drain) > 0) {
      }
    }
    if (fds[0].revents & POLLIN) return ReadyState::kReadable;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      return ReadyState::kClosed;
    }
  }
}

void PosixTcpConnection::Stop() {
  stopped_ = true;
  Poke();
}

long PosixTcpConnection::Read(char* buffer, size_t size) {
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = socket_;
  }
  if (fd < 0) return kReadError;
  for (;;) {
    ssize_t n = recv(fd, buffer, size, MSG_DONTWAIT);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kReadWouldBlock;
    return kReadError;
  }
}

void PosixTcpConnection::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (socket_ >= 0) {
    shutdown(socket_, SHUT_RD);
    close(socket_);
    socket_ = -1;
  }
}

}  // namespace zan
