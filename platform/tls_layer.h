#ifndef ZAN_PLATFORM_TLS_LAYER_H_
#define ZAN_PLATFORM_TLS_LAYER_H_

#include <memory>
#include <string>

#include "platform/tcp_connection.h"

namespace zan {

// A TLS client over a connected TcpConnection. Until Handshake() has
// secured it, nothing is sent or read through it. Afterwards Send(),
// WaitReadable() and Read() carry the plain text, with the same rules as a
// TcpConnection; Stop() and CancelConnect() may be called from any thread
// and make a running handshake give up.
class TlsConnection : public TcpConnection {
 public:
  enum class HandshakeResult {
    kSecured,
    kFailed,               // no common protocol, a broken or closed peer
    kCertificateRejected,  // untrusted, expired, or for another host
    kCancelled,            // Stop() or CancelConnect()
  };

  // Runs the whole handshake (TLS 1.2 or newer) and checks the server's
  // certificate against the system's trust store and the host name or
  // address. Blocks.
  virtual HandshakeResult Handshake() = 0;
};

// Makes TLS clients. Whoever owns the TLS policy (plain text, an upgrade on
// the same connection, or TLS from the first byte) decides when; the layer
// does the handshake and the checks.
class TlsLayer {
 public:
  virtual ~TlsLayer() = default;
  // A client over `plain` (connected; no reader waits on it) that will
  // check the certificate for `host`. Null when TLS cannot be set up.
  virtual std::unique_ptr<TlsConnection> Wrap(
      std::shared_ptr<TcpConnection> plain, const std::string& host) = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_TLS_LAYER_H_
