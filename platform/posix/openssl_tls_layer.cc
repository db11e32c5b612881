#include "platform/posix/openssl_tls_layer.h"

#include <openssl/bio.h>
#include <openssl/ssl.h>

#include "platform/posix/openssl_tls_connection.h"

namespace zan {
namespace {

// The BIO's data is the plain TcpConnection the records travel through.
TcpConnection* PlainOf(BIO* bio) {
  return static_cast<TcpConnection*>(BIO_get_data(bio));
}

int PlainWrite(BIO* bio, const char* data, int length) {
  BIO_clear_retry_flags(bio);
  if (length <= 0) return 0;
  TcpConnection* plain = PlainOf(bio);
  if (!plain || !plain->Send(std::string_view(data, length))) return -1;
  return length;
}

int PlainRead(BIO* bio, char* buffer, int size) {
  BIO_clear_retry_flags(bio);
  if (size <= 0) return 0;
  TcpConnection* plain = PlainOf(bio);
  if (!plain) return -1;
  long count = plain->Read(buffer, static_cast<size_t>(size));
  if (count == TcpConnection::kReadWouldBlock) {
    BIO_set_retry_read(bio);
    return -1;
  }
  if (count == TcpConnection::kReadError) return -1;
  return static_cast<int>(count);  // 0: the end of the stream
}

long PlainControl(BIO*, int command, long, void*) {
  return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int PlainCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

}  // namespace

OpenSslTlsLayer::OpenSslTlsLayer() {
  context_ = SSL_CTX_new(TLS_client_method());
  if (context_) {
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, nullptr);
    // A server that closes without close_notify has sent whole lines by
    // then; the end is just the end.
    SSL_CTX_set_options(context_, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (SSL_CTX_set_default_verify_paths(context_) != 1) {
      SSL_CTX_free(context_);
      context_ = nullptr;
    }
  }
  method_ = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK,
                         "zan plain connection");
  if (method_) {
    BIO_meth_set_write(method_, PlainWrite);
    BIO_meth_set_read(method_, PlainRead);
    BIO_meth_set_ctrl(method_, PlainControl);
    BIO_meth_set_create(method_, PlainCreate);
  }
}

OpenSslTlsLayer::~OpenSslTlsLayer() {
  if (context_) SSL_CTX_free(context_);
  if (method_) BIO_meth_free(method_);
}

std::unique_ptr<TlsConnection> OpenSslTlsLayer::Wrap(
    std::shared_ptr<TcpConnection> plain, const std::string& host) {
  if (!context_ || !method_ || !plain) return nullptr;
  return OpenSslTlsConnection::Create(context_, method_, std::move(plain),
                                      host);
}

}  // namespace zan
