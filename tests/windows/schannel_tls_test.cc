// The Schannel form of the TLS layer against a real TLS server on loopback:
// schannel_tls_test.sh starts `openssl s_server -WWW` with a certificate
// for "localhost" from a throwaway authority that it put into the prefix's
// user "Root" store, and names its port and the file it serves in
// ZAN_TLS_PORT and ZAN_TLS_ANSWER.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/schannel_tls_layer.h"
#include "platform/win32/winsock_tcp_connection.h"

namespace zan {
namespace {

using Handshake = TlsConnection::HandshakeResult;
using Ready = TcpConnection::ReadyState;

class SchannelTlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("ZAN_TLS_PORT");
    if (port == nullptr) GTEST_SKIP() << "run through schannel_tls_test.sh";
    port_ = static_cast<uint16_t>(std::atoi(port));
  }

  // A connection to the server, secured for `host`: the handshake's answer.
  Handshake Secure(const std::string& host,
                   std::unique_ptr<TlsConnection>* secured) {
    auto plain = std::make_shared<WinsockTcpConnection>(5000);
    EXPECT_EQ(plain->Connect("127.0.0.1", port_),
              TcpConnection::ConnectResult::kConnected);
    *secured = layer_.Wrap(plain, host);
    if (!*secured) return Handshake::kFailed;
    return (*secured)->Handshake();
  }

  SchannelTlsLayer layer_;
  uint16_t port_ = 0;
};

// Reads as the mail reader does (a wait before each burst of reads) until
// `size` bytes, the end of the stream or a stop; bounded.
std::string ReadUpTo(TcpConnection& connection, size_t size, bool* ended) {
  std::string text;
  char buffer[4096];
  *ended = false;
  for (int round = 0; round < 100000 && text.size() < size; ++round) {
    const Ready ready = connection.WaitReadable();
    if (ready == Ready::kClosed) *ended = true;
    if (ready != Ready::kReadable) break;
    long n;
    while ((n = connection.Read(buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<size_t>(n));
      if (text.size() >= size) break;
    }
    if (n == 0) {
      *ended = true;
      break;
    }
    if (n == TcpConnection::kReadError) break;
  }
  return text;
}

TEST_F(SchannelTlsTest, LargeAnswerThroughStopAndResume) {
  std::ifstream file(std::getenv("ZAN_TLS_ANSWER"), std::ios::binary);
  const std::string body((std::istreambuf_iterator<char>(file)),
                         std::istreambuf_iterator<char>());
  ASSERT_GT(body.size(), 100000u);

  std::unique_ptr<TlsConnection> connection;
  ASSERT_EQ(Secure("localhost", &connection), Handshake::kSecured);
  ASSERT_TRUE(connection->Send("GET /answer.txt HTTP/1.0\r\n\r\n"));
  bool ended = false;
  std::string got = ReadUpTo(*connection, 20000, &ended);
  ASSERT_GE(got.size(), 20000u);
  EXPECT_FALSE(ended);

  // A stop wins over records that wait, taken in or not, and stays until
  // Resume(); nothing is lost.
  connection->Stop();
  EXPECT_EQ(connection->WaitReadable(), Ready::kStopped);
  EXPECT_EQ(connection->WaitReadable(), Ready::kStopped);
  connection->Resume();
  got += ReadUpTo(*connection, std::string::npos, &ended);
  EXPECT_TRUE(ended);
  const size_t head_end = got.find("\r\n\r\n");
  ASSERT_NE(head_end, std::string::npos);
  EXPECT_EQ(got.substr(0, 15), "HTTP/1.0 200 ok");
  EXPECT_TRUE(got.compare(head_end + 4, std::string::npos, body) == 0)
      << "got " << got.size() - head_end - 4 << " of " << body.size();
  // Once the server has closed, reads keep saying so.
  char byte;
  EXPECT_EQ(connection->Read(&byte, 1), 0);
  connection->Close();
  EXPECT_FALSE(connection->Send("more"));
}

TEST_F(SchannelTlsTest, CertificateForAnotherName) {
  std::unique_ptr<TlsConnection> connection;
  // The certificate names "localhost" only.
  EXPECT_EQ(Secure("127.0.0.1", &connection), Handshake::kCertificateRejected);
  ASSERT_NE(connection, nullptr);
  EXPECT_FALSE(connection->Send("GET / HTTP/1.0\r\n\r\n"));
  char byte;
  EXPECT_EQ(connection->Read(&byte, 1), TcpConnection::kReadError);
  EXPECT_EQ(Secure("other.localhost", &connection),
            Handshake::kCertificateRejected);
  // No name at all: nothing to check against.
  EXPECT_EQ(layer_.Wrap(std::make_shared<WinsockTcpConnection>(), ""), nullptr);
}

TEST_F(SchannelTlsTest, CancelEndsAHandshakeThatGetsNoAnswer) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  // A listener that never answers: the connection completes in its backlog.
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(listener, INVALID_SOCKET);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  ASSERT_EQ(
      bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

  auto plain = std::make_shared<WinsockTcpConnection>(5000);
  ASSERT_EQ(plain->Connect("127.0.0.1", ntohs(address.sin_port)),
            TcpConnection::ConnectResult::kConnected);
  std::unique_ptr<TlsConnection> secured = layer_.Wrap(plain, "localhost");
  ASSERT_NE(secured, nullptr);
  std::atomic<int> result{-1};
  std::thread handshake(
      [&] { result = static_cast<int>(secured->Handshake()); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(result, -1);
  const auto cancelled_at = std::chrono::steady_clock::now();
  secured->CancelConnect();
  handshake.join();
  EXPECT_EQ(result, static_cast<int>(Handshake::kCancelled));
  EXPECT_LT(std::chrono::steady_clock::now() - cancelled_at,
            std::chrono::seconds(2));
  closesocket(listener);
  WSACleanup();
}

}  // namespace
}  // namespace zan
