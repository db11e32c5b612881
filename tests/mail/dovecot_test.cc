#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "mail/mail_checker.h"
#include "mail/mail_indicator.h"
#include "mail/pop3_session.h"
#include "tests/mail/mail_fakes.h"
#include "tests/support/dovecot_server.h"

namespace zan {
namespace {

// One dovecot instance for the whole suite: starting and stopping one takes
// about a second.
class DovecotTest : public ::testing::Test, protected MailTestNetwork {
 protected:
  static void SetUpTestSuite() {
    if (!DovecotServer::Unavailable().empty()) return;
    server_ = DovecotServer::Start({{"user1", "secret", 3},
                                    {"user2", "other pass", 0},
                                    {"user3", "apop-secret", 5}},
                                   &why_)
                  .release();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    std::string unavailable = DovecotServer::Unavailable();
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
    ASSERT_NE(server_, nullptr) << why_;
  }

  static DovecotServer* server_;
  static std::string why_;
  ErrorRecord errors_;
};

DovecotServer* DovecotTest::server_ = nullptr;
std::string DovecotTest::why_;

std::string Octets(int messages) {
  return std::to_string(messages) + " " +
         std::to_string(messages * DovecotServer::kMessageOctets);
}

TEST_F(DovecotTest, LoginsAndStat) {
  struct Row {
    const char* user;
    const char* password;
    bool apop;
    bool accepted;
    std::string status_or_error;
  };
  const Row rows[] = {
      {"user1", "secret", false, true, Octets(3)},
      {"user2", "other pass", false, true, Octets(0)},
      {"user3", "apop-secret", true, true, Octets(5)},
      {"user1", "secret", true, true, Octets(3)},
      {"user1", "wrong", false, false, "User or Password error!"},
      {"user3", "wrong", true, false, "Username or Password error!"},
  };
  for (const Row& row : rows) {
    Pop3Session session(connections_, pump_, errors_.Sink());
    session.SetAccountNumber("1");
    ASSERT_TRUE(session.Connect("127.0.0.1", server_->port())) << row.user;
    EXPECT_FALSE(session.apop_timestamp().empty());
    EXPECT_EQ(session.Login(row.user, row.password, row.apop), row.accepted)
        << row.user << " " << row.password;
    if (row.accepted) {
      std::string status;
      ASSERT_TRUE(session.Stat(&status)) << session.LastError();
      EXPECT_EQ(status, row.status_or_error) << row.user;
      session.Close();
      EXPECT_EQ(errors_.ErrorOf("1"), "") << row.user;
    } else {
      EXPECT_EQ(errors_.ErrorOf("1"), row.status_or_error) << row.user;
    }
  }
}

TEST_F(DovecotTest, ForcedPassOverAllAccounts) {
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  store.SaveAccounts({{"127.0.0.1", "user1", "secret", "10", "0"},
                      {"localhost", "user3", "apop-secret", "0", "1"},
                      {"127.0.0.1", "user2", "bad", "10", "0"}});
  FakeClock clock;
  RecordingMailToolbar toolbar;
  MailChecker checker(store, connections_, pump_, clock, toolbar);
  checker.set_port(server_->port());
  auto model = ModelWithIndicator("POP3");
  checker.SetModel(model.get());
  checker.CheckMailNow();
  EXPECT_EQ(checker.last_pass_results(),
            (std::vector<bool>{true, true, false}));
  EXPECT_EQ(store.ReadStats("1"), Octets(3));
  EXPECT_EQ(store.ReadStats("2"), Octets(5));
  EXPECT_EQ(store.ReadStats("3"), std::nullopt);
  EXPECT_EQ(store.ReadError("1"), "");
  EXPECT_EQ(store.ReadError("2"), "");
  EXPECT_EQ(store.ReadError("3"), "User or Password error!");
  for (const char* n : {"1", "2", "3"}) EXPECT_EQ(store.ReadBusy(n), 0u);
  ASSERT_FALSE(toolbar.shown.empty());
  EXPECT_EQ(toolbar.shown.back().hint, "User or Password error!");
  EXPECT_EQ(toolbar.shown.back().image, 12);

  // With the password mended, the next forced pass shows the news.
  store.SaveAccounts({{"127.0.0.1", "user1", "secret", "10", "0"},
                      {"localhost", "user3", "apop-secret", "0", "1"},
                      {"127.0.0.1", "user2", "other pass", "10", "0"}});
  checker.CheckMailNow();
  EXPECT_EQ(store.ReadError("3"), "");
  EXPECT_EQ(store.ReadStats("3"), Octets(0));
  EXPECT_EQ(toolbar.shown.back().hint, "You have 8 new messages");
  EXPECT_EQ(toolbar.shown.back().image, 13);
}

struct ToolRun {
  int exit_code = -1;
  std::string output;
};

// Runs a shell command line and collects its standard output.
ToolRun RunShell(const std::string& command_line) {
  ToolRun run;
  FILE* pipe = popen(command_line.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    run.output.append(buffer, n);
  }
  int status = pclose(pipe);
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  return run;
}

TEST_F(DovecotTest, ZanMailCheck) {
  // ctest names the build folder; run by hand, the suite finds it from
  // its own place in it (tests/mail/mail_tests).
  std::string binary_dir;
  if (const char* named = std::getenv("ZAN_BINARY_DIR")) {
    binary_dir = named;
  } else {
    binary_dir = std::filesystem::canonical("/proc/self/exe")
                     .parent_path()
                     .parent_path()
                     .parent_path()
                     .string();
  }
  test::TempDir dir;
  const std::string tool = "ZAN_REGISTRY='" + dir.File("registry.db") + "' '" +
                           binary_dir + "/tools/zan-mail'";
  const std::string port = std::to_string(server_->port());

  EXPECT_EQ(RunShell("printf 'secret\\n' | " + tool +
                     " add --server 127.0.0.1 --user user1")
                .exit_code,
            0);
  EXPECT_EQ(RunShell("printf 'apop-secret\\n' | " + tool +
                     " add --server localhost --user user3 --apop --interval 0")
                .exit_code,
            0);
  ToolRun list = RunShell(tool + " list");
  EXPECT_EQ(list.exit_code, 0);
  EXPECT_EQ(list.output,
            "1\t127.0.0.1\tuser1\tevery 10 min\tuser/pass\tplain 110\n"
            "2\tlocalhost\tuser3\tmanual\tapop\tplain 110\n");

  ToolRun check = RunShell(tool + " check --force --port " + port);
  EXPECT_EQ(check.exit_code, 0) << check.output;
  EXPECT_EQ(check.output, "1\t127.0.0.1\tuser1\t" + Octets(3) +
                              "\n2\tlocalhost\tuser3\t" + Octets(5) +
                              "\nYou have 8 new messages\n");

  // A timer pass right after: nothing is due, the stored results stay.
  check = RunShell(tool + " check --port " + port);
  EXPECT_EQ(check.exit_code, 0);
  EXPECT_NE(check.output.find("You have 8 new messages"), std::string::npos);

  EXPECT_EQ(RunShell("printf 'wrong\\n' | " + tool +
                     " add --server 127.0.0.1 --user user2")
                .exit_code,
            0);
  check = RunShell(tool + " check --force --port " + port);
  EXPECT_EQ(check.exit_code, 1);
  EXPECT_EQ(check.output, "1\t127.0.0.1\tuser1\t" + Octets(3) +
                              "\n2\tlocalhost\tuser3\t" + Octets(5) +
                              "\n3\t127.0.0.1\tuser2\tUser or Password "
                              "error!\nUser or Password error!\n");

  EXPECT_EQ(RunShell(tool + " remove 3").exit_code, 0);
  EXPECT_EQ(RunShell(tool + " remove 3").exit_code, 2);
  EXPECT_EQ(RunShell(tool + " add --server x --user y --interval 5 </dev/null")
                .exit_code,
            2);
  check = RunShell(tool + " check --force --port " + port);
  EXPECT_EQ(check.exit_code, 0) << check.output;
}

}  // namespace
}  // namespace zan
