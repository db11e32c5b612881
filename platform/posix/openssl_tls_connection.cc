#include "platform/posix/openssl_tls_connection.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace zan {

std::unique_ptr<OpenSslTlsConnection> OpenSslTlsConnection::Create(
    SSL_CTX* context, BIO_METHOD* method, std::shared_ptr<TcpConnection> plain,
    const std::string& host) {
  std::unique_ptr<OpenSslTlsConnection> connection(
      new OpenSslTlsConnection(std::move(plain)));
  SSL* ssl = SSL_new(context);
  if (!ssl) return nullptr;
  connection->ssl_ = ssl;
  BIO* bio = BIO_new(method);
  if (!bio) return nullptr;
  BIO_set_data(bio, connection->plain_.get());
  SSL_set_bio(ssl, bio, bio);

  X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
  X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
  in_addr v4;
  in6_addr v6;
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
      inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
    // An address is checked against the certificate's IP entries.
    if (X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) != 1) {
      return nullptr;
    }
  } else {
    if (host.empty() || SSL_set1_host(ssl, host.c_str()) != 1 ||
        SSL_set_tlsext_host_name(ssl, host.c_str()) != 1) {
      return nullptr;
    }
  }
  return connection;
}

OpenSslTlsConnection::OpenSslTlsConnection(std::shared_ptr<TcpConnection> plain)
    : LayeredTlsConnection(std::move(plain)) {}

OpenSslTlsConnection::~OpenSslTlsConnection() {
  if (ssl_) SSL_free(ssl_);
}

TlsConnection::HandshakeResult OpenSslTlsConnection::Handshake() {
  for (;;) {
    if (cancelled_) return HandshakeResult::kCancelled;
    int result;
    int error;
    long verified;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ERR_clear_error();
      result = SSL_connect(ssl_);
      error = SSL_get_error(ssl_, result);
      verified = SSL_get_verify_result(ssl_);
    }
    if (result == 1) {
      if (verified != X509_V_OK) return HandshakeResult::kCertificateRejected;
      secured_ = true;
      return HandshakeResult::kSecured;
    }
    if (cancelled_) return HandshakeResult::kCancelled;
    if (error == SSL_ERROR_WANT_READ) {
      if (const auto end = WaitHandshakeInput()) return *end;
      continue;
    }
    if (error == SSL_ERROR_WANT_WRITE) continue;
    return verified != X509_V_OK ? HandshakeResult::kCertificateRejected
                                 : HandshakeResult::kFailed;
  }
}

bool OpenSslTlsConnection::Send(std::string_view data) {
  if (!secured_ || data.empty()) return secured_;
  std::lock_guard<std::mutex> lock(mutex_);
  size_t sent = 0;
  while (sent < data.size()) {
    ERR_clear_error();
    size_t written = 0;
    if (SSL_write_ex(ssl_, data.data() + sent, data.size() - sent, &written) !=
        1) {
      return false;
    }
    sent += written;
  }
  return true;
}

bool OpenSslTlsConnection::HasBufferedInput() {
  // Records already taken in may hold text the reader has not had.
  std::lock_guard<std::mutex> lock(mutex_);
  return secured_ && SSL_has_pending(ssl_);
}

long OpenSslTlsConnection::Read(char* buffer, size_t size) {
  if (!secured_) return kReadError;
  std::lock_guard<std::mutex> lock(mutex_);
  ERR_clear_error();
  size_t count = 0;
  if (SSL_read_ex(ssl_, buffer, size, &count) == 1) {
    return static_cast<long>(count);
  }
  switch (SSL_get_error(ssl_, 0)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
      return kReadWouldBlock;
    case SSL_ERROR_ZERO_RETURN:
      return 0;
    default:
      return kReadError;
  }
}

void OpenSslTlsConnection::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (secured_) {
      ERR_clear_error();
      SSL_shutdown(ssl_);  // close_notify, best effort
      secured_ = false;
    }
  }
  plain_->Close();
}

}  // namespace zan
