#ifndef ZAN_PLATFORM_STD_LAYERED_TLS_CONNECTION_H_
#define ZAN_PLATFORM_STD_LAYERED_TLS_CONNECTION_H_

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/tls_layer.h"

namespace zan {

// What every TLS client over a plain connection shares, whatever library
// makes its records: the plain connection below it, connecting through it,
// and the flags that Stop(), Resume() and CancelConnect() set from any
// thread for the running handshake and the reader.
class LayeredTlsConnection : public TlsConnection {
 public:
  ConnectResult Connect(const std::string& host, uint16_t port) override;
  // Makes a running handshake give up for good.
  void CancelConnect() override;
  void Stop() override;
  void Resume() override;
  // Readable at once while the form holds something for the reader (see
  // HasBufferedInput), else as the plain connection says.
  ReadyState WaitReadable() override;

 protected:
  explicit LayeredTlsConnection(std::shared_ptr<TcpConnection> plain);
  // True while records already taken in can give the reader something
  // without another byte from the network.
  virtual bool HasBufferedInput() = 0;
  // Waits for the plain connection while the handshake needs more input:
  // nothing when it became readable, else how the handshake ends (cancelled
  // once stopped, failed when the connection closed or broke).
  std::optional<HandshakeResult> WaitHandshakeInput();

  const std::shared_ptr<TcpConnection> plain_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> stopped_{false};
  // Set by the form once the handshake has secured the connection.
  std::atomic<bool> secured_{false};
};

}  // namespace zan

#endif  // ZAN_PLATFORM_STD_LAYERED_TLS_CONNECTION_H_
