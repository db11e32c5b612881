#ifndef ZAN_PLATFORM_POSIX_OPENSSL_TLS_CONNECTION_H_
#define ZAN_PLATFORM_POSIX_OPENSSL_TLS_CONNECTION_H_

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/std/layered_tls_connection.h"

typedef struct ssl_st SSL;
typedef struct bio_method_st BIO_METHOD;
typedef struct ssl_ctx_st SSL_CTX;

namespace zan {

// One TLS client over a plain TcpConnection. The OpenSSL object is shared
// by the sending thread and the reader, one call at a time under a lock;
// its records go through a BIO that calls the plain connection's Send()
// and non-blocking Read().
class OpenSslTlsConnection : public LayeredTlsConnection {
 public:
  // Null when OpenSSL cannot make the client.
  static std::unique_ptr<OpenSslTlsConnection> Create(
      SSL_CTX* context, BIO_METHOD* method,
      std::shared_ptr<TcpConnection> plain, const std::string& host);
  ~OpenSslTlsConnection() override;
  OpenSslTlsConnection(const OpenSslTlsConnection&) = delete;
  OpenSslTlsConnection& operator=(const OpenSslTlsConnection&) = delete;

  HandshakeResult Handshake() override;
  bool Send(std::string_view data) override;
  long Read(char* buffer, size_t size) override;
  void Close() override;

 private:
  bool HasBufferedInput() override;
  explicit OpenSslTlsConnection(std::shared_ptr<TcpConnection> plain);

  std::mutex mutex_;  // the OpenSSL object
  SSL* ssl_ = nullptr;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_OPENSSL_TLS_CONNECTION_H_
