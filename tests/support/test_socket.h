#ifndef ZAN_TESTS_SUPPORT_TEST_SOCKET_H_
#define ZAN_TESTS_SUPPORT_TEST_SOCKET_H_

#include <cstddef>
#include <cstdint>
#include <string>

// The few socket calls the loopback test servers make, on the system the
// tests are built for (test_socket_posix.cc or test_socket_win32.cc; the
// build picks one).
namespace zan::test {

using TestSocket = intptr_t;
inline constexpr TestSocket kNoSocket = -1;

// A socket listening on the dotted IPv4 `address` at a free port, which goes
// to `port`; kNoSocket on failure.
TestSocket ListenOn(const std::string& address, uint16_t* port);
// The next client of `listener`; kNoSocket on failure.
TestSocket AcceptClient(TestSocket listener);
// Sleeps until `socket` is readable (or writable), at most `milliseconds`;
// true when it is.
bool WaitSocket(TestSocket socket, bool write, int milliseconds);
// One send; the count sent, or -1 on failure. Never raises a signal.
long SendSome(TestSocket socket, const char* data, size_t size);
// One receive that does not block: the count, 0 at the end of the stream,
// -1 on failure, -2 when nothing is there. `peek` leaves the bytes.
long ReceiveNow(TestSocket socket, char* buffer, size_t size, bool peek);
// Ends the sending side.
void ShutdownWrite(TestSocket socket);
void CloseSocket(TestSocket socket);

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_TEST_SOCKET_H_
