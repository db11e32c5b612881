// The forms of a TcpConnection that are built on another one: TLS through
// OpenSSL over a loopback socket (against an OpenSSL server with a throwaway
// certificate), and the in-memory connection the mail suites use. The
// plain sockets run the connection contract (connection_contract.cc).

#include "platform/tcp_connection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "platform/posix/openssl_tls_layer.h"
#include "platform/posix/posix_tcp_connection.h"
#include "tests/support/memory_tcp_connection.h"
#include "tests/support/test_certificates.h"

namespace zan {
namespace {

// The far end of one form's connection.
class Peer {
 public:
  virtual ~Peer() = default;
  // A connected connection to this peer.
  virtual std::unique_ptr<TcpConnection> Connect() = 0;
  virtual void Send(const std::string& bytes) = 0;
  // What the connection sent so far (waits up to 5 s for `size` bytes).
  virtual std::string Received(size_t size) = 0;
  virtual void Close() = 0;
};

class SocketPeer : public Peer {
 public:
  SocketPeer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SocketPeer() override {
    Close();
    close(listener_);
  }
  std::unique_ptr<TcpConnection> Connect() override {
    auto connection = std::make_unique<PosixTcpConnection>(5000);
    EXPECT_EQ(connection->Connect("127.0.0.1", port_),
              TcpConnection::ConnectResult::kConnected);
    client_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return connection;
  }
  void Send(const std::string& bytes) override {
    EXPECT_EQ(send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }
  std::string Received(size_t size) override {
    while (received_.size() < size) {
      pollfd in = {client_, POLLIN, 0};
      if (poll(&in, 1, 5000) <= 0) break;
      char buffer[256];
      ssize_t n = recv(client_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received_.append(buffer, static_cast<size_t>(n));
    }
    return received_;
  }
  void Close() override {
    if (client_ >= 0) close(client_);
    client_ = -1;
  }

 protected:
  int listener_ = -1;
  int client_ = -1;
  uint16_t port_ = 0;
  std::string received_;
};

// A TLS server in the test on the accepted socket; the connection under
// test is the TLS client over a POSIX connection.
class TlsPeer : public SocketPeer {
 public:
  TlsPeer() {
    std::string why;
    certificates_ = TestCertificates::Make(&why);
    if (!certificates_) return;
    server_context_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate_file(server_context_,
                                 certificates_->server_certificate().c_str(),
                                 SSL_FILETYPE_PEM);
    SSL_CTX_use_PrivateKey_file(
        server_context_, certificates_->server_key().c_str(), SSL_FILETYPE_PEM);
    setenv("SSL_CERT_FILE", certificates_->authority().c_str(), 1);
    layer_ = std::make_unique<OpenSslTlsLayer>();
    unsetenv("SSL_CERT_FILE");
  }
  ~TlsPeer() override {
    Close();
    if (server_context_) SSL_CTX_free(server_context_);
  }
  std::unique_ptr<TcpConnection> Connect() override {
    if (!layer_) {
      ADD_FAILURE() << "no test certificates";
      return std::make_unique<PosixTcpConnection>();
    }
    std::shared_ptr<TcpConnection> plain = SocketPeer::Connect();
    server_ = SSL_new(server_context_);
    SSL_set_fd(server_, client_);
    std::thread accepting([this] { SSL_accept(server_); });
    std::unique_ptr<TlsConnection> secured = layer_->Wrap(plain, "localhost");
    EXPECT_EQ(secured->Handshake(), TlsConnection::HandshakeResult::kSecured);
    accepting.join();
    return secured;
  }
  void Send(const std::string& bytes) override {
    EXPECT_EQ(SSL_write(server_, bytes.data(), static_cast<int>(bytes.size())),
              static_cast<int>(bytes.size()));
  }
  std::string Received(size_t size) override {
    while (received_.size() < size) {
      pollfd in = {client_, POLLIN, 0};
      if (!SSL_pending(server_) && poll(&in, 1, 5000) <= 0) break;
      char buffer[256];
      int n = SSL_read(server_, buffer, sizeof buffer);
      if (n <= 0) break;
      received_.append(buffer, static_cast<size_t>(n));
    }
    return received_;
  }
  void Close() override {
    if (server_) {
      SSL_shutdown(server_);
      SSL_free(server_);
      server_ = nullptr;
    }
    SocketPeer::Close();
  }

 private:
  std::unique_ptr<TestCertificates> certificates_;
  std::unique_ptr<OpenSslTlsLayer> layer_;
  SSL_CTX* server_context_ = nullptr;
  SSL* server_ = nullptr;
};

class MemoryPeer : public Peer {
 public:
  std::unique_ptr<TcpConnection> Connect() override {
    auto connection = factory_.Create();
    EXPECT_EQ(connection->Connect("peer", 110),
              TcpConnection::ConnectResult::kConnected);
    return connection;
  }
  void Send(const std::string& bytes) override { link_->Feed(bytes); }
  std::string Received(size_t) override { return link_->Sent(); }
  void Close() override { link_->FeedEnd(); }

 private:
  MemoryTcpConnectionFactory factory_;
  std::shared_ptr<MemoryLink> link_ = factory_.AddLink();
};

struct Form {
  const char* name;
  std::function<std::unique_ptr<Peer>()> make;
};

void PrintTo(const Form& form, std::ostream* out) { *out << form.name; }

class TcpConnectionContract : public ::testing::TestWithParam<Form> {
 protected:
  std::unique_ptr<Peer> peer_ = GetParam().make();
};

// Reads until `size` bytes or the end; every read follows a readable wait.
std::string ReadSome(TcpConnection& connection, size_t size) {
  std::string text;
  for (int round = 0; round < 100 && text.size() < size; ++round) {
    if (connection.WaitReadable() != TcpConnection::ReadyState::kReadable) {
      break;
    }
    char buffer[64];
    long n = connection.Read(buffer, sizeof buffer);
    if (n == 0) break;
    if (n > 0) text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

TEST_P(TcpConnectionContract, SendWaitReadStopResumeAndEnd) {
  std::unique_ptr<TcpConnection> connection = peer_->Connect();
  EXPECT_TRUE(connection->Send("stat\r\n"));
  EXPECT_EQ(peer_->Received(6), "stat\r\n");

  peer_->Send("+OK 1 2\r\n");
  EXPECT_EQ(ReadSome(*connection, 9), "+OK 1 2\r\n");
  char buffer[16];
  EXPECT_EQ(connection->Read(buffer, sizeof buffer),
            TcpConnection::kReadWouldBlock);

  // A stop wins over waiting data and stays until Resume().
  peer_->Send("+OK later\r\n");
  connection->Stop();
  EXPECT_EQ(connection->WaitReadable(), TcpConnection::ReadyState::kStopped);
  EXPECT_EQ(connection->WaitReadable(), TcpConnection::ReadyState::kStopped);
  connection->Resume();
  EXPECT_EQ(ReadSome(*connection, 11), "+OK later\r\n");

  // The end of the stream reads as 0.
  peer_->Close();
  TcpConnection::ReadyState state = connection->WaitReadable();
  if (state == TcpConnection::ReadyState::kReadable) {
    EXPECT_EQ(connection->Read(buffer, sizeof buffer), 0);
  } else {
    EXPECT_EQ(state, TcpConnection::ReadyState::kClosed);
  }
  connection->Close();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TcpConnectionContract,
    ::testing::Values(
        Form{"OpenSsl", [] { return std::make_unique<TlsPeer>(); }},
        Form{"Memory", [] { return std::make_unique<MemoryPeer>(); }}),
    [](const ::testing::TestParamInfo<Form>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace zan
