#include "mail/pop3_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "mail/apop_digest.h"
#include "tests/mail/mail_fakes.h"
#include "tests/support/scripted_pop3_server.h"

namespace zan {
namespace {

using Server = ScriptedPop3Server;

class Pop3SessionTest : public ::testing::Test, protected MailTestNetwork {
 protected:
  Pop3SessionTest() : session_(connections_, pump_, errors_.Sink()) {
    session_.SetAccountNumber("1");
  }

  ErrorRecord errors_;
  Pop3Session session_;
};

TEST(ApopDigestTest, DigestAndTimestamp) {
  // The published example of the POP3 standard.
  EXPECT_EQ(ApopDigest("<1896.697170952@dbc.mtview.ca.us>", "tanstaaf"),
            "c4c9334bac560ecc979e58001b3e22fb");
  // Leading zeros stay: MD5 of the empty text starts with the byte 0xd4,
  // and this one holds 0x00 and 0x05 bytes in lower-case pairs.
  std::string digest = ApopDigest("", "");
  EXPECT_EQ(digest, "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(digest.size(), 32u);
  // Inputs that fill one block exactly, spill the length into a second
  // block, and span several (the test suite of RFC 1321), split anywhere
  // between time stamp and password.
  EXPECT_EQ(ApopDigest(std::string(64, 'a'), ""),
            "014842d480b571495a4a0363793f7367");
  EXPECT_EQ(ApopDigest("abcdefghijklmnopqrstuvwxyz", ""),
            "c3fcd3d76192e4007dfb496cca67e13b");
  const std::string digits =
      "1234567890123456789012345678901234567890"
      "1234567890123456789012345678901234567890";
  for (size_t split : {size_t{0}, size_t{1}, size_t{55}, size_t{64}}) {
    EXPECT_EQ(ApopDigest(digits.substr(0, split), digits.substr(split)),
              "57edf4a22be3c955ac49da2e2107b67a")
        << split;
  }

  struct Row {
    const char* greeting;
    const char* timestamp;
  };
  const Row rows[] = {
      {"+OK POP3 ready <4711.1234567890>\r\n", "<4711.1234567890>"},
      {"+OK no stamp\r\n", ""},
      {"+OK only open < here\r\n", ""},
      {"+OK > before < after\r\n", ""},
      {"+OK <a><b>\r\n", "<a>"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ApopTimestamp(row.greeting), row.timestamp) << row.greeting;
  }
}

TEST_F(Pop3SessionTest, UserPassLoginAndStat) {
  Server server({Server::Send("+OK POP3 ready <1.2@host>\r\n"),
                 Server::ReadLine(), Server::Send("+OK\r\n"),
                 Server::ReadLine(), Server::Send("+OK logged in\r\n"),
                 Server::ReadLine(), Server::Send("+OK 3 5120\r\n"),
                 Server::ReadLine(), Server::Send("+OK bye\r\n")});
  ASSERT_TRUE(server.ok());
  ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
  EXPECT_EQ(session_.apop_timestamp(), "<1.2@host>");
  ASSERT_TRUE(session_.Login("user1", "secret", false));
  EXPECT_TRUE(session_.IsLoggedIn());
  std::string status;
  ASSERT_TRUE(session_.Stat(&status));
  EXPECT_EQ(status, "3 5120");
  EXPECT_TRUE(session_.Close());
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_EQ(errors_.ErrorOf("1"), "");
  // The session sends "quit" and closes without waiting for the answer, so
  // the server's reader may record that line a moment later.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (server.ReceivedLines().size() < 4 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(
      server.ReceivedLines(),
      (std::vector<std::string>{"user user1", "pass secret", "stat", "quit"}));
}

TEST_F(Pop3SessionTest, StatAnswers) {
  struct Row {
    const char* answer;
    bool ok;
    const char* status;
    const char* error;
  };
  const Row rows[] = {
      {"+OK 0 0\r\n", true, "0 0", ""},
      {"+OK\r\n", true, "", ""},
      {"+OK \r\n", true, "", ""},
      {"-ERR no such thing\r\n", false, "", "Get Stat error!"},
      // Anything that does not begin with '-' counts as an answer.
      {"OK! 7 70\r\n", true, "7 70", ""},
  };
  for (const Row& row : rows) {
    Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n"), Server::ReadLine(),
                   Server::Send(row.answer)});
    ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(session_.Login("u", "p", false));
    std::string status = "unchanged";
    EXPECT_EQ(session_.Stat(&status), row.ok) << row.answer;
    if (row.ok) {
      EXPECT_EQ(status, row.status) << row.answer;
    }
    EXPECT_EQ(session_.LastError(), row.error) << row.answer;
    session_.Close();
  }
}

TEST_F(Pop3SessionTest, RefusalsAndAcceptances) {
  {
    // Any answer that does not begin with '-' is acceptance.
    Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                   Server::Send("whatever\r\n"), Server::ReadLine(),
                   Server::Send("fine\r\n")});
    ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
    EXPECT_TRUE(session_.Login("u", "p", false));
    session_.Close();
  }
  {
    Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                   Server::Send("-ERR unknown\r\n")});
    ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
    EXPECT_FALSE(session_.Login("u", "p", false));
    EXPECT_EQ(errors_.ErrorOf("1"), "User Name error!");
    // A refused login leaves the connection open until the next connect.
    EXPECT_TRUE(session_.IsConnected());
    EXPECT_FALSE(session_.IsLoggedIn());
    session_.Close();
  }
  {
    Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n"), Server::ReadLine(),
                   Server::Send("-ERR [AUTH] no\r\n")});
    ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
    EXPECT_FALSE(session_.Login("u", "wrong", false));
    EXPECT_EQ(errors_.ErrorOf("1"), "User or Password error!");
  }
}

TEST_F(Pop3SessionTest, ApopLogin) {
  Server server(
      {Server::Send("+OK ready <1896.697170952@dbc.mtview.ca.us>\r\n"),
       Server::ReadLine(), Server::Send("+OK mailbox ready\r\n")});
  ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
  EXPECT_TRUE(session_.Login("mrose", "tanstaaf", true));
  EXPECT_EQ(server.ReceivedLines(),
            (std::vector<std::string>{
                "apop mrose c4c9334bac560ecc979e58001b3e22fb"}));

  Server refusing({Server::Send("+OK ready <9@h>\r\n"), Server::ReadLine(),
                   Server::Send("-ERR denied\r\n")});
  ASSERT_TRUE(session_.Connect("127.0.0.1", refusing.port()));
  EXPECT_FALSE(session_.Login("mrose", "bad", true));
  EXPECT_EQ(errors_.ErrorOf("1"), "Username or Password error!");
}

TEST_F(Pop3SessionTest, ApopWithoutTimestampSendsNothing) {
  Server server({Server::Send("+OK ready, no stamp\r\n")});
  ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
  EXPECT_EQ(session_.apop_timestamp(), "");
  EXPECT_FALSE(session_.Login("u", "p", true));
  EXPECT_EQ(errors_.ErrorOf("1"), "Apop error!");
  session_.Close();
  EXPECT_TRUE(server.ReceivedLines().empty());
}

TEST_F(Pop3SessionTest, LineBreaksInCredentialsAreNeverSent) {
  {
    Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n")});
    ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
    EXPECT_FALSE(session_.Login("u\r\ndele 1", "p", false));
    EXPECT_EQ(errors_.ErrorOf("1"), "User Name error!");
    EXPECT_TRUE(server.ReceivedLines().empty());
  }
  {
    Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n")});
    ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
    EXPECT_FALSE(session_.Login("u", "p\ndele 1", false));
    EXPECT_EQ(errors_.ErrorOf("1"), "User or Password error!");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(server.ReceivedLines(), std::vector<std::string>{"user u"});
  }
  {
    Server server({Server::Send("+OK <1@h>\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n")});
    ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
    EXPECT_FALSE(session_.Login("u\rdele 1", "p", true));
    EXPECT_EQ(errors_.ErrorOf("1"), "Username or Password error!");
    EXPECT_TRUE(server.ReceivedLines().empty());
  }
}

TEST_F(Pop3SessionTest, LongCommandLinesAreSentWhole) {
  std::string user(10000, 'u');
  std::string password(5000, 'p');
  Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                 Server::Send("+OK\r\n"), Server::ReadLine(),
                 Server::Send("+OK\r\n")});
  ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
  ASSERT_TRUE(session_.Login(user, password, false));
  EXPECT_EQ(server.ReceivedLines(),
            (std::vector<std::string>{"user " + user, "pass " + password}));
}

TEST_F(Pop3SessionTest, NoGreetingTimesOutAndStaysConnected) {
  Server server({Server::Pause(10000)});
  EXPECT_FALSE(session_.Connect("127.0.0.1", server.port()));
  EXPECT_EQ(errors_.ErrorOf("1"), "Connection TimeOut!");
  EXPECT_TRUE(session_.IsConnected());
}

TEST_F(Pop3SessionTest, CloseDuringWaitReturnsWhatArrived) {
  Server server({Server::Send("+OK hel"), Server::Pause(100), Server::Close()});
  ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_EQ(session_.LastError(), "Connection Closed!");
  EXPECT_EQ(errors_.ErrorOf("1"), "Connection Closed!");
  // The next step finds no connection.
  EXPECT_FALSE(session_.Login("u", "p", false));
  EXPECT_EQ(errors_.ErrorOf("1"), "Socket not created!");
}

TEST_F(Pop3SessionTest, EndlessBytesEndWithMemoryError) {
  Server server({Server::Flood()});
  EXPECT_FALSE(session_.Connect("127.0.0.1", server.port()));
  EXPECT_EQ(errors_.ErrorOf("1"), "Memory Error!");
  EXPECT_FALSE(session_.IsConnected());
}

TEST_F(Pop3SessionTest, ConnectFailures) {
  EXPECT_FALSE(session_.Connect("no-such-host.invalid", 110));
  EXPECT_EQ(errors_.ErrorOf("1"), "Hostname Error!");

  uint16_t closed_port;
  {
    Server gone({});
    closed_port = gone.port();
  }
  EXPECT_FALSE(session_.Connect("127.0.0.1", closed_port));
  EXPECT_EQ(errors_.ErrorOf("1"), "Failed to connect to POP3 Server!");
  EXPECT_FALSE(session_.IsConnected());
}

TEST_F(Pop3SessionTest, NamesAndAddressesWithoutReverseEntry) {
  // 127.45.67.89 is a loopback address without any name; it is used as it
  // is.
  Server bare({Server::Send("+OK bare\r\n")}, "127.45.67.89");
  ASSERT_TRUE(bare.ok());
  EXPECT_TRUE(session_.Connect("127.45.67.89", bare.port()));
  EXPECT_EQ(errors_.ErrorOf("1"), "");

  Server named({Server::Send("+OK named\r\n")});
  EXPECT_TRUE(session_.Connect("localhost", named.port()));
}

TEST_F(Pop3SessionTest, StepsOutOfOrder) {
  std::string status;
  EXPECT_FALSE(session_.Login("u", "p", false));
  EXPECT_EQ(session_.LastError(), "Socket not created!");
  EXPECT_FALSE(session_.Stat(&status));
  EXPECT_EQ(session_.LastError(), "Socket not created!");
  EXPECT_FALSE(session_.Quit());
  EXPECT_EQ(session_.LastError(), "Socket not created!");

  Server server({Server::Send("+OK hi\r\n")});
  ASSERT_TRUE(session_.Connect("127.0.0.1", server.port()));
  EXPECT_FALSE(session_.Stat(&status));
  EXPECT_EQ(errors_.ErrorOf("1"), "Not Connected!");
  EXPECT_FALSE(session_.Quit());
  EXPECT_EQ(session_.LastError(), "Not Connected!");
}

TEST_F(Pop3SessionTest, EventsKeepFlowingWhileWaiting) {
  Server server({Server::Pause(400), Server::Send("+OK late\r\n")});
  std::atomic<bool> done{false};
  std::atomic<int> dispatched{0};
  std::thread ticker([&] {
    while (!done) {
      pump_.PostTask([&] { ++dispatched; });
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  bool connected = session_.Connect("127.0.0.1", server.port());
  int seen = dispatched;
  done = true;
  ticker.join();
  EXPECT_TRUE(connected);
  EXPECT_GT(seen, 5);
}

TEST_F(Pop3SessionTest, QuitRequestEndsTheWaitAndStaysPending) {
  Server server({Server::Pause(5000), Server::Send("+OK late\r\n")});
  std::thread quitter([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    pump_.PostQuit();
  });
  // The greeting wait ends at once, as if an empty answer had come.
  EXPECT_TRUE(session_.Connect("127.0.0.1", server.port()));
  quitter.join();
  EXPECT_TRUE(pump_.IsQuitPending());
  EXPECT_EQ(errors_.ErrorOf("1"), "");
}

TEST_F(Pop3SessionTest, DestructionKeepsTheLastError) {
  Server server({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                 Server::Send("-ERR no\r\n")});
  {
    Pop3Session session(connections_, pump_, errors_.Sink());
    session.SetAccountNumber("7");
    ASSERT_TRUE(session.Connect("127.0.0.1", server.port()));
    EXPECT_FALSE(session.Login("u", "p", false));
  }
  EXPECT_EQ(errors_.ErrorOf("7"), "User Name error!");
}

// The upgrade to TLS never lets the credentials out in plain text, whatever
// the system's TLS layer: a server that does not offer STLS, one that agrees
// and then speaks plain text, and a plain server where TLS is due from the
// first byte.
TEST_F(Pop3SessionTest, NoCredentialsWithoutTheUpgrade) {
  auto check = [&](uint16_t port, MailSecurity security) {
    Pop3Session session(connections_, pump_, errors_.Sink());
    session.SetAccountNumber("2");
    if (session.Connect("localhost", port, security)) {
      EXPECT_FALSE(session.Login("user1", "secret", false));
    }
    EXPECT_FALSE(session.IsConnected());
    return errors_.ErrorOf("2");
  };
  {
    Server server({Server::Send("+OK ready <1@h>\r\n"), Server::ReadLine(),
                   Server::Send("-ERR Unknown command\r\n"), Server::ReadLine(),
                   Server::ReadLine()});
    EXPECT_EQ(check(server.port(), MailSecurity::kStls), "STLS not supported!");
    EXPECT_EQ(server.ReceivedLines(), std::vector<std::string>{"stls"});
  }
  {
    Server server({Server::Send("+OK ready\r\n"), Server::ReadLine(),
                   Server::Send("+OK begin\r\n"),
                   Server::Send("+OK not TLS at all\r\n"), Server::Close()});
    EXPECT_EQ(check(server.port(), MailSecurity::kStls),
              "TLS Handshake error!");
    EXPECT_EQ(server.ReceivedLines(), std::vector<std::string>{"stls"});
  }
  {
    Server server({Server::Send("+OK ready\r\n"), Server::ReadLine(),
                   Server::ReadLine()});
    EXPECT_EQ(check(server.port(), MailSecurity::kTls), "TLS Handshake error!");
    for (const std::string& line : server.ReceivedLines()) {
      EXPECT_EQ(line.find("user"), std::string::npos);
      EXPECT_EQ(line.find("secret"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace zan
