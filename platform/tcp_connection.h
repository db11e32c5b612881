#ifndef ZAN_PLATFORM_TCP_CONNECTION_H_
#define ZAN_PLATFORM_TCP_CONNECTION_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zan {

// One outgoing TCP connection (IPv4). Connect() and the sends run on one
// thread, WaitReadable() and Read() on a reader thread; Stop() and
// CancelConnect() may be called from any thread.
class TcpConnection {
 public:
  enum class ConnectResult {
    kConnected,
    kStartupFailed,  // the system's socket library did not start
    kSocketFailed,   // no socket could be created
    kHostNotFound,   // the name resolves to no IPv4 address
    kConnectFailed,  // refused, unreachable or timed out
    kCancelled,      // CancelConnect() was called
  };

  enum class ReadyState {
    kReadable,     // bytes (or the end of the stream) can be read
    kClosed,       // the peer or the network ended the connection
    kStopped,      // Stop() was called
    kNetworkDown,  // waiting itself failed
    // The reader could not be set up (systems that wake it through an event
    // object bound to the socket): no event object, or it cannot be bound.
    kEventFailed,
    kEventSelectFailed,
  };

  // What one Read() found.
  static constexpr long kReadWouldBlock = -2;
  static constexpr long kReadError = -1;

  virtual ~TcpConnection() = default;

  // Connects to `host` (a dotted IPv4 address, used as it is, or a name that
  // is resolved) on `port`. Blocks until connected or failed.
  virtual ConnectResult Connect(const std::string& host, uint16_t port) = 0;
  // Makes a running or later Connect() give up with kCancelled.
  virtual void CancelConnect() = 0;

  // Sends all of `data`; false on any failure.
  virtual bool Send(std::string_view data) = 0;

  // Blocks until the socket is readable or closed or Stop() was called. A
  // stop wins over pending data. Once stopped, it keeps answering kStopped.
  virtual ReadyState WaitReadable() = 0;
  virtual void Stop() = 0;
  // Undoes Stop(), so that a new reader may wait on the connection (after
  // the old one has ended).
  virtual void Resume() = 0;

  // Reads up to `size` bytes without blocking: the count read (> 0), 0 at
  // the end of the stream, kReadWouldBlock or kReadError.
  virtual long Read(char* buffer, size_t size) = 0;

  // Ends the receiving side and closes the socket.
  virtual void Close() = 0;
};

class TlsLayer;

// Makes a fresh connection object for each connect.
class TcpConnectionFactory {
 public:
  virtual ~TcpConnectionFactory() = default;
  virtual std::unique_ptr<TcpConnection> Create() = 0;
  // The TLS layer for these connections; null where there is none.
  virtual TlsLayer* Tls() { return nullptr; }
};

}  // namespace zan

#endif  // ZAN_PLATFORM_TCP_CONNECTION_H_
