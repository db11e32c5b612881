#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/test_socket.h"

namespace zan::test {

TestSocket ListenOn(const std::string& address_text, uint16_t* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  socklen_t length = sizeof address;
  if (inet_pton(AF_INET, address_text.c_str(), &address.sin_addr) != 1 ||
      bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

TestSocket AcceptClient(TestSocket listener) {
  const int fd =
      accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
  return fd < 0 ? kNoSocket : fd;
}

bool WaitSocket(TestSocket socket, bool write, int milliseconds) {
  pollfd fd{static_cast<int>(socket),
            static_cast<short>(write ? POLLOUT : POLLIN), 0};
  return poll(&fd, 1, milliseconds) > 0;
}

long SendSome(TestSocket socket, const char* data, size_t size) {
  const ssize_t n =
      send(static_cast<int>(socket), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
  return n < 0 ? -1 : static_cast<long>(n);
}

long ReceiveNow(TestSocket socket, char* buffer, size_t size, bool peek) {
  const ssize_t n = recv(static_cast<int>(socket), buffer, size,
                         MSG_DONTWAIT | (peek ? MSG_PEEK : 0));
  if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? -2 : -1;
  return static_cast<long>(n);
}

void ShutdownWrite(TestSocket socket) {
  shutdown(static_cast<int>(socket), SHUT_WR);
}

void CloseSocket(TestSocket socket) {
  if (socket != kNoSocket) close(static_cast<int>(socket));
}

}  // namespace zan::test
