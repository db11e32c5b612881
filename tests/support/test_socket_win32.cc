#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "tests/support/test_socket.h"

namespace zan::test {
namespace {

// Winsock stays started for the whole test program.
void StartWinsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  });
}

SOCKET Handle(TestSocket socket) { return static_cast<SOCKET>(socket); }

}  // namespace

TestSocket ListenOn(const std::string& address_text, uint16_t* port) {
  StartWinsock();
  const SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  int length = sizeof address;
  if (inet_pton(AF_INET, address_text.c_str(), &address.sin_addr) != 1 ||
      bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(fd);
    return kNoSocket;
  }
  // Non-blocking, so that a send or a receive never hangs a test server.
  u_long on = 1;
  ioctlsocket(fd, FIONBIO, &on);
  *port = ntohs(address.sin_port);
  return static_cast<TestSocket>(fd);
}

TestSocket AcceptClient(TestSocket listener) {
  const SOCKET fd = accept(Handle(listener), nullptr, nullptr);
  if (fd == INVALID_SOCKET) return kNoSocket;
  u_long on = 1;
  ioctlsocket(fd, FIONBIO, &on);
  return static_cast<TestSocket>(fd);
}

bool WaitSocket(TestSocket socket, bool write, int milliseconds) {
  WSAPOLLFD fd{Handle(socket), static_cast<SHORT>(write ? POLLOUT : POLLIN), 0};
  return WSAPoll(&fd, 1, milliseconds) > 0;
}

long SendSome(TestSocket socket, const char* data, size_t size) {
  const int want = size > 65536 ? 65536 : static_cast<int>(size);
  const int n = send(Handle(socket), data, want, 0);
  if (n == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
  return n;
}

long ReceiveNow(TestSocket socket, char* buffer, size_t size, bool peek) {
  const int want = size > 65536 ? 65536 : static_cast<int>(size);
  const int n = recv(Handle(socket), buffer, want, peek ? MSG_PEEK : 0);
  if (n == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? -2 : -1;
  return n;
}

void ShutdownWrite(TestSocket socket) { shutdown(Handle(socket), SD_SEND); }

void CloseSocket(TestSocket socket) {
  if (socket != kNoSocket) closesocket(Handle(socket));
}

}  // namespace zan::test
