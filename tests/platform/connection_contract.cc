#include "tests/platform/connection_contract.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "tests/support/scripted_pop3_server.h"

namespace zan::test {
namespace {

using Server = ScriptedPop3Server;
using Connect = TcpConnection::ConnectResult;
using Ready = TcpConnection::ReadyState;

// Reads until `want` has arrived or the stream ends; the loop is bounded.
std::string ReadUntil(TcpConnection& connection, const std::string& want) {
  std::string got;
  char buffer[4096];
  for (int round = 0; round < 100000; ++round) {
    if (!want.empty() && got.find(want) != std::string::npos) break;
    const Ready ready = connection.WaitReadable();
    if (ready != Ready::kReadable && ready != Ready::kClosed) break;
    const long n = connection.Read(buffer, sizeof buffer);
    if (n > 0) {
      got.append(buffer, static_cast<size_t>(n));
    } else if (n != TcpConnection::kReadWouldBlock) {
      break;  // the end of the stream or an error
    }
  }
  return got;
}

TEST_P(ConnectionContract, TalksToAServer) {
  Server server({Server::ReadLine(), Server::Send("+OK hello\r\n"),
                 Server::ReadLine(), Server::Send("+OK bye\r\n"),
                 Server::Close()});
  ASSERT_TRUE(server.ok());
  auto connection = Create();
  ASSERT_EQ(connection->Connect("127.0.0.1", server.port()),
            Connect::kConnected);
  // Nothing has been sent yet: a read does not block.
  char byte;
  EXPECT_EQ(connection->Read(&byte, 1), TcpConnection::kReadWouldBlock);
  ASSERT_TRUE(connection->Send("USER a\r\n"));
  EXPECT_EQ(ReadUntil(*connection, "\r\n"), "+OK hello\r\n");
  ASSERT_TRUE(connection->Send("QUIT\r\n"));
  // The rest and then the end of the stream.
  EXPECT_EQ(ReadUntil(*connection, ""), "+OK bye\r\n");
  EXPECT_EQ(server.ReceivedLines(),
            (std::vector<std::string>{"USER a", "QUIT"}));
  connection->Close();
}

TEST_P(ConnectionContract, LargeAnswersArriveWhole) {
  const std::string big(1 << 20, 'y');
  Server server({Server::Send(big), Server::Close()});
  ASSERT_TRUE(server.ok());
  auto connection = Create();
  ASSERT_EQ(connection->Connect("127.0.0.1", server.port()),
            Connect::kConnected);
  EXPECT_EQ(ReadUntil(*connection, ""), big);
}

TEST_P(ConnectionContract, NamesAddressesAndFailures) {
  // 127.45.67.89 is a loopback address without any name; it is used as it
  // is.
  Server bare({Server::Send("+OK bare\r\n")}, "127.45.67.89");
  ASSERT_TRUE(bare.ok());
  EXPECT_EQ(Create()->Connect("127.45.67.89", bare.port()),
            Connect::kConnected);
  Server named({Server::Send("+OK named\r\n")});
  auto by_name = Create();
  ASSERT_EQ(by_name->Connect("localhost", named.port()), Connect::kConnected);
  EXPECT_EQ(ReadUntil(*by_name, "\r\n"), "+OK named\r\n");

  EXPECT_EQ(Create()->Connect("no-such-host.invalid", 110),
            Connect::kHostNotFound);
  uint16_t closed_port;
  {
    Server gone({});
    closed_port = gone.port();
  }
  EXPECT_EQ(Create()->Connect("127.0.0.1", closed_port),
            Connect::kConnectFailed);

  Server unused({});
  auto cancelled = Create();
  cancelled->CancelConnect();
  EXPECT_EQ(cancelled->Connect("127.0.0.1", unused.port()),
            Connect::kCancelled);
}

TEST_P(ConnectionContract, StopWinsAndStays) {
  Server server({Server::Send("pending data\r\n")});
  ASSERT_TRUE(server.ok());
  auto connection = Create();
  ASSERT_EQ(connection->Connect("127.0.0.1", server.port()),
            Connect::kConnected);
  EXPECT_EQ(ReadUntil(*connection, "\r\n"), "pending data\r\n");

  // A reader asleep with nothing to read wakes up when another thread stops
  // it.
  std::atomic<int> state{-1};
  std::thread reader(
      [&] { state = static_cast<int>(connection->WaitReadable()); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(state, -1);
  connection->Stop();
  reader.join();
  EXPECT_EQ(state, static_cast<int>(Ready::kStopped));
  EXPECT_EQ(connection->WaitReadable(), Ready::kStopped);

  // A stop wins over data that waits to be read.
  Server talker({Server::Send("more\r\n")});
  auto second = Create();
  ASSERT_EQ(second->Connect("127.0.0.1", talker.port()), Connect::kConnected);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  second->Stop();
  EXPECT_EQ(second->WaitReadable(), Ready::kStopped);
  EXPECT_EQ(second->WaitReadable(), Ready::kStopped);
  // Resume() ends the stop (a reader stands aside during a TLS upgrade); the
  // waiting data is still there.
  second->Resume();
  EXPECT_EQ(ReadUntil(*second, "\r\n"), "more\r\n");
}

}  // namespace
}  // namespace zan::test
