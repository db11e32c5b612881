#include "platform/win32/schannel_tls_layer.h"

#include "platform/win32/schannel_credentials.h"
#include "platform/win32/schannel_tls_connection.h"

namespace zan {

SchannelTlsLayer::SchannelTlsLayer() = default;

SchannelTlsLayer::~SchannelTlsLayer() = default;

std::unique_ptr<TlsConnection> SchannelTlsLayer::Wrap(
    std::shared_ptr<TcpConnection> plain, const std::string& host) {
  if (!plain || host.empty()) return nullptr;
  std::shared_ptr<SchannelCredentials> credentials;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!credentials_) credentials_ = SchannelCredentials::Acquire();
    credentials = credentials_;
  }
  if (!credentials) return nullptr;
  return std::make_unique<SchannelTlsConnection>(std::move(credentials),
                                                 std::move(plain), host);
}

}  // namespace zan
