#ifndef ZAN_PLATFORM_POSIX_OPENSSL_TLS_LAYER_H_
#define ZAN_PLATFORM_POSIX_OPENSSL_TLS_LAYER_H_

#include <memory>
#include <string>

#include "platform/tls_layer.h"

typedef struct ssl_ctx_st SSL_CTX;
typedef struct bio_method_st BIO_METHOD;

namespace zan {

// TLS through OpenSSL: TLS 1.2 or newer, certificates checked against
// OpenSSL's default trust store (SSL_CERT_FILE and SSL_CERT_DIR choose
// another) and against the host name or address. The records travel
// through the plain TcpConnection, so the reader and its waits stay the
// same.
class OpenSslTlsLayer : public TlsLayer {
 public:
  OpenSslTlsLayer();
  ~OpenSslTlsLayer() override;
  OpenSslTlsLayer(const OpenSslTlsLayer&) = delete;
  OpenSslTlsLayer& operator=(const OpenSslTlsLayer&) = delete;

  std::unique_ptr<TlsConnection> Wrap(std::shared_ptr<TcpConnection> plain,
                                      const std::string& host) override;

 private:
  SSL_CTX* context_ = nullptr;
  BIO_METHOD* method_ = nullptr;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_OPENSSL_TLS_LAYER_H_
