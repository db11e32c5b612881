#ifndef ZAN_PLATFORM_WIN32_SCHANNEL_TLS_LAYER_H_
#define ZAN_PLATFORM_WIN32_SCHANNEL_TLS_LAYER_H_

#include <memory>
#include <mutex>
#include <string>

#include "platform/tls_layer.h"

namespace zan {

class SchannelCredentials;

// TLS through the system's Schannel package (SSPI): TLS 1.2 or newer, the
// server's certificate checked by the layer itself against the system's
// trust store (the user's and the machine's "Root" stores) and the host
// name, never by the package alone. One credentials handle serves every
// connection; the connections keep it alive.
class SchannelTlsLayer : public TlsLayer {
 public:
  SchannelTlsLayer();
  ~SchannelTlsLayer() override;
  SchannelTlsLayer(const SchannelTlsLayer&) = delete;
  SchannelTlsLayer& operator=(const SchannelTlsLayer&) = delete;

  // Null when the package gives no credentials for TLS 1.2 or newer.
  std::unique_ptr<TlsConnection> Wrap(std::shared_ptr<TcpConnection> plain,
                                      const std::string& host) override;

 private:
  std::mutex mutex_;  // the credentials, acquired at the first Wrap()
  std::shared_ptr<SchannelCredentials> credentials_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_SCHANNEL_TLS_LAYER_H_
