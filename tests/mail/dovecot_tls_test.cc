#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "mail/mail_checker.h"
#include "mail/pop3_session.h"
#include "tests/mail/mail_fakes.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

// One dovecot with STLS and TLS from the first byte, its certificate signed
// by a throwaway authority for "localhost" only.
class DovecotTlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!DovecotServer::Unavailable().empty()) return;
    certificates_ = TestCertificates::Make(&why_).release();
    other_authority_ = TestCertificates::Make(&why_).release();
    if (!certificates_ || !other_authority_) return;
    DovecotServer::TlsFiles files{certificates_->server_certificate(),
                                  certificates_->server_key()};
    server_ = DovecotServer::Start(
                  {{"user1", "secret", 3}, {"user3", "apop", 5}}, &why_, &files)
                  .release();
  }
  static void TearDownTestSuite() {
    delete server_;
    delete certificates_;
    delete other_authority_;
    server_ = nullptr;
    certificates_ = other_authority_ = nullptr;
  }
  void SetUp() override {
    std::string unavailable = DovecotServer::Unavailable();
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
    ASSERT_NE(server_, nullptr) << why_;
    Trust(certificates_->authority());
  }
  void TearDown() override { unsetenv("SSL_CERT_FILE"); }

  // The trust store of the connections made from here on.
  void Trust(const std::string& file) {
    setenv("SSL_CERT_FILE", file.c_str(), 1);
    connections_ = test::MakeTestConnections();
  }

  // Connect, login, STAT: the status text, or the account's error.
  std::string Check(const std::string& host, uint16_t port,
                    MailSecurity security, const std::string& user = "user1",
                    const std::string& password = "secret", bool apop = false) {
    Pop3Session session(*connections_, pump_, errors_.Sink());
    session.SetAccountNumber("1");
    if (!session.Connect(host, port, security)) {
      EXPECT_FALSE(session.IsConnected());
      return errors_.ErrorOf("1");
    }
    if (!session.Login(user, password, apop)) return errors_.ErrorOf("1");
    std::string status;
    if (!session.Stat(&status)) return errors_.ErrorOf("1");
    session.Close();
    EXPECT_EQ(errors_.ErrorOf("1"), "");
    return status;
  }

  static DovecotServer* server_;
  static TestCertificates* certificates_;
  static TestCertificates* other_authority_;
  static std::string why_;
  std::unique_ptr<TcpConnectionFactory> connections_;
  std::unique_ptr<test::TestMessagePump> pump_owner_ =
      test::MakeTestMessagePump();
  MessagePump& pump_ = *pump_owner_;
  ErrorRecord errors_;
};

DovecotServer* DovecotTlsTest::server_ = nullptr;
TestCertificates* DovecotTlsTest::certificates_ = nullptr;
TestCertificates* DovecotTlsTest::other_authority_ = nullptr;
std::string DovecotTlsTest::why_;

std::string Octets(int messages) {
  return std::to_string(messages) + " " +
         std::to_string(messages * DovecotServer::kMessageOctets);
}

TEST_F(DovecotTlsTest, StlsTlsAndPlainAccounts) {
  EXPECT_EQ(Check("localhost", server_->port(), MailSecurity::kStls),
            Octets(3));
  EXPECT_EQ(Check("localhost", server_->tls_port(), MailSecurity::kTls),
            Octets(3));
  // APOP over TLS uses the greeting that came before the upgrade.
  EXPECT_EQ(Check("localhost", server_->port(), MailSecurity::kStls, "user3",
                  "apop", true),
            Octets(5));
  EXPECT_EQ(Check("localhost", server_->port(), MailSecurity::kNone),
            Octets(3));

  // The same through a check pass over stored accounts, each on its port.
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  MailAccount stls{"localhost", "user1", "secret", "10", "0"};
  stls.security = MailSecurity::kStls;
  stls.port = server_->port();
  MailAccount tls{"localhost", "user3", "apop", "10", "1"};
  tls.security = MailSecurity::kTls;
  tls.port = server_->tls_port();
  MailAccount plain{"127.0.0.1", "user1", "secret", "10", "0"};
  plain.port = server_->port();
  store.SaveAccounts({stls, tls, plain});
  FakeClock clock;
  RecordingMailToolbar toolbar;
  MailChecker checker(store, *connections_, pump_, clock, toolbar);
  checker.CheckMailNow();
  EXPECT_EQ(checker.last_pass_results(), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(store.ReadStats("1"), Octets(3));
  EXPECT_EQ(store.ReadStats("2"), Octets(5));
  EXPECT_EQ(store.ReadStats("3"), Octets(3));
  for (const char* n : {"1", "2", "3"}) EXPECT_EQ(store.ReadError(n), "");
}

TEST_F(DovecotTlsTest, CertificatesThatDoNotFit) {
  const size_t log_start = server_->Log().size();
  // The certificate names "localhost", not the address.
  EXPECT_EQ(Check("127.0.0.1", server_->port(), MailSecurity::kStls),
            "Certificate error!");
  EXPECT_EQ(Check("127.0.0.1", server_->tls_port(), MailSecurity::kTls),
            "Certificate error!");
  // An authority the trust store does not hold.
  Trust(other_authority_->authority());
  EXPECT_EQ(Check("localhost", server_->port(), MailSecurity::kStls),
            "Certificate error!");
  EXPECT_EQ(Check("localhost", server_->tls_port(), MailSecurity::kTls),
            "Certificate error!");
  // TLS from the first byte against a plain port, and the other way round.
  Trust(certificates_->authority());
  EXPECT_EQ(Check("localhost", server_->port(), MailSecurity::kTls),
            "TLS Handshake error!");
  EXPECT_EQ(Check("localhost", server_->tls_port(), MailSecurity::kStls),
            "Connection TimeOut!");
  // dovecot saw no login attempt at all.
  EXPECT_EQ(server_->Log().substr(log_start).find("user=<user1>"),
            std::string::npos)
      << server_->Log().substr(log_start);
}

TEST_F(DovecotTlsTest, RealServerWithoutTlsRefusesStls) {
  std::string why;
  auto plain = DovecotServer::Start({{"user1", "secret", 1}}, &why);
  ASSERT_TRUE(plain) << why;
  EXPECT_EQ(Check("localhost", plain->port(), MailSecurity::kStls),
            "STLS not supported!");
}

// Runs a shell command line and collects its standard output.
std::string RunShell(const std::string& command_line, int* exit_code) {
  std::string output;
  FILE* pipe = popen(command_line.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    output.append(buffer, n);
  }
  int status = pclose(pipe);
  *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

TEST_F(DovecotTlsTest, ZanMailAccountsWithTls) {
  const char* binary_dir = std::getenv("ZAN_BINARY_DIR");
  if (!binary_dir) GTEST_SKIP() << "run through ctest";
  test::TempDir dir;
  const std::string program = "ZAN_REGISTRY='" + dir.File("registry.db") +
                              "' '" + binary_dir + "/tools/zan-mail'";
  const std::string tool =
      "SSL_CERT_FILE='" + certificates_->authority() + "' " + program;
  const std::string plain_port = std::to_string(server_->port());
  const std::string tls_port = std::to_string(server_->tls_port());
  int code = -1;
  RunShell("printf 'secret\\n' | " + tool +
               " add --server localhost --user user1 --starttls --port " +
               plain_port,
           &code);
  EXPECT_EQ(code, 0);
  RunShell("printf 'apop\\n' | " + tool +
               " add --server localhost --user user3 --apop --tls --port " +
               tls_port,
           &code);
  EXPECT_EQ(code, 0);
  // A certificate for another name: the account fails, nothing is sent.
  RunShell("printf 'secret\\n' | " + tool +
               " add --server 127.0.0.1 --user user1 --tls --port " + tls_port,
           &code);
  EXPECT_EQ(code, 0);
  RunShell(tool + " add --server x --user y --tls --starttls </dev/null",
           &code);
  EXPECT_EQ(code, 2);
  RunShell("printf 'p\\n' | " + tool + " add --server x --user y --tls", &code);
  EXPECT_EQ(code, 0);

  EXPECT_EQ(RunShell(tool + " list", &code),
            "1\tlocalhost\tuser1\tevery 10 min\tuser/pass\tstarttls " +
                plain_port + "\n2\tlocalhost\tuser3\tevery 10 min\tapop\ttls " +
                tls_port +
                "\n3\t127.0.0.1\tuser1\tevery 10 min\tuser/pass\ttls " +
                tls_port + "\n4\tx\ty\tevery 10 min\tuser/pass\ttls 995\n");
  RunShell(tool + " remove 4", &code);
  std::string check = RunShell(tool + " check --force", &code);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(check, "1\tlocalhost\tuser1\t" + Octets(3) +
                       "\n2\tlocalhost\tuser3\t" + Octets(5) +
                       "\n3\t127.0.0.1\tuser1\tCertificate error!\n"
                       "Certificate error!\n");

  // An authority the trust store does not hold: every account fails before
  // it logs in.
  const size_t log_start = server_->Log().size();
  check = RunShell("SSL_CERT_FILE='" + other_authority_->authority() + "' " +
                       program + " check --force",
                   &code);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(check,
            "1\tlocalhost\tuser1\tCertificate error!\n"
            "2\tlocalhost\tuser3\tCertificate error!\n"
            "3\t127.0.0.1\tuser1\tCertificate error!\nCertificate error!\n");
  EXPECT_EQ(server_->Log().substr(log_start).find("Login:"), std::string::npos)
      << server_->Log().substr(log_start);
}

}  // namespace
}  // namespace zan
