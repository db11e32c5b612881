#include "mail/mail_checker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "mail/mail_indicator.h"
#include "mail/mailbox_menu.h"
#include "tests/mail/mail_fakes.h"
#include "tests/support/scripted_pop3_server.h"

namespace zan {
namespace {

using Server = ScriptedPop3Server;

std::vector<Server::Step> GoodMailbox(const std::string& stat_answer) {
  return {Server::Send("+OK ready <1@x>\r\n"),
          Server::ReadLine(),
          Server::Send("+OK\r\n"),
          Server::ReadLine(),
          Server::Send("+OK\r\n"),
          Server::ReadLine(),
          Server::Send(stat_answer),
          Server::ReadLine(),
          Server::Send("+OK bye\r\n")};
}

class MailCheckerTest : public ::testing::Test, protected MailTestNetwork {
 protected:
  MailCheckerTest()
      : server_(GoodMailbox("+OK 3 5120\r\n")),
        checker_(disk_.store(), connections_, pump_, clock_, toolbar_) {
    checker_.set_port(server_.port());
  }

  void SaveAccounts(const std::vector<std::string>& intervals) {
    std::vector<MailAccount> accounts;
    for (size_t i = 0; i < intervals.size(); ++i) {
      accounts.push_back({"127.0.0.1", "user" + std::to_string(i + 1), "pw",
                          intervals[i], "0"});
    }
    store().SaveAccounts(accounts);
  }
  const MailAccountStore& store() { return disk_.store(); }

  StoreOnDisk disk_;
  Server server_;
  FakeClock clock_;
  RecordingMailToolbar toolbar_;
  MailChecker checker_;
};

TEST_F(MailCheckerTest, IntervalDecidesWhenAnAccountIsDue) {
  SaveAccounts({"10"});
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(server_.Connections(), 1);
  EXPECT_EQ(store().ReadStats("1"), "3 5120");
  EXPECT_EQ(store().ReadLastCheckTime("1"), clock_.now);
  EXPECT_EQ(store().ReadBusy("1"), 0u);
  EXPECT_EQ(store().ReadError("1"), "");

  // Exactly ten minutes later it is not yet due; a tick after that it is.
  clock_.now += 600;
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(server_.Connections(), 1);
  clock_.now += 15;
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(server_.Connections(), 2);
  EXPECT_EQ(checker_.last_pass_results(), std::vector<bool>{true});
}

TEST_F(MailCheckerTest, IntervalZeroOnlyOnForcedPasses) {
  SaveAccounts({"0"});
  checker_.RunCheckPass(kMailCheckTimerId);
  clock_.now += 100000;
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(server_.Connections(), 0);
  checker_.CheckMailNow();
  EXPECT_EQ(server_.Connections(), 1);
  EXPECT_EQ(store().ReadStats("1"), "3 5120");
}

TEST_F(MailCheckerTest, MissingIntervalIsCheckedOnEveryPass) {
  SaveAccounts({"10"});
  disk_.Key()->DeleteValue("CheckInterval1");
  checker_.RunCheckPass(kMailCheckTimerId);
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(server_.Connections(), 2);
  // Timer ids other than the two pass ids do nothing.
  checker_.RunCheckPass(1234);
  EXPECT_EQ(server_.Connections(), 2);
}

TEST_F(MailCheckerTest, BusyMarks) {
  SaveAccounts({"10"});
  // Another instance is checking right now.
  store().WriteBusy("1", 1);
  store().WriteLastCheckTime("1", static_cast<uint32_t>(clock_.now - 60));
  EXPECT_TRUE(checker_.CheckAccount("1", true));
  EXPECT_EQ(server_.Connections(), 0);
  EXPECT_EQ(store().ReadBusy("1"), 1u);

  // A mark left by an instance that ended during its check goes stale.
  clock_.now += 601;
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(server_.Connections(), 1);
  EXPECT_EQ(store().ReadBusy("1"), 0u);
  EXPECT_EQ(store().ReadStats("1"), "3 5120");
}

TEST_F(MailCheckerTest, MissingSettingsFailTheCheck) {
  SaveAccounts({"10", "10"});
  disk_.Key()->DeleteValue("POP3Server1");
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(checker_.last_pass_results(), (std::vector<bool>{false, true}));
  EXPECT_EQ(server_.Connections(), 1);
  EXPECT_EQ(store().ReadBusy("1"), std::nullopt);
}

TEST_F(MailCheckerTest, FailuresLeaveStatsAndClearBusy) {
  SaveAccounts({"10"});
  store().WriteStats("1", "9 900");
  Server refusing({Server::Send("+OK hi\r\n"), Server::ReadLine(),
                   Server::Send("+OK\r\n"), Server::ReadLine(),
                   Server::Send("-ERR [AUTH] Authentication failed.\r\n")});
  checker_.set_port(refusing.port());
  EXPECT_FALSE(checker_.CheckAccount("1", false));
  EXPECT_EQ(store().ReadError("1"), "User or Password error!");
  EXPECT_EQ(store().ReadStats("1"), "9 900");
  EXPECT_EQ(store().ReadBusy("1"), 0u);
  // The refused session stays open until the next connect.
  EXPECT_TRUE(checker_.session().IsConnected());
}

TEST_F(MailCheckerTest, FailedStatStoresAnEmptyStatus) {
  SaveAccounts({"10"});
  store().WriteStats("1", "9 900");
  Server server(GoodMailbox("-ERR no\r\n"));
  checker_.set_port(server.port());
  EXPECT_TRUE(checker_.CheckAccount("1", false));
  EXPECT_EQ(store().ReadStats("1"), "");
}

TEST_F(MailCheckerTest, QuitDuringACheckKeepsTheStoredStatus) {
  SaveAccounts({"10"});
  store().WriteStats("1", "9 900");
  Server slow({Server::Pause(3000), Server::Send("+OK late\r\n")});
  checker_.set_port(slow.port());
  std::thread quitter([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    pump_.PostQuit();
  });
  EXPECT_FALSE(checker_.CheckAccount("1", false));
  quitter.join();
  EXPECT_EQ(store().ReadStats("1"), "9 900");
  EXPECT_EQ(store().ReadBusy("1"), 0u);
  EXPECT_EQ(store().ReadError("1"), "");
  EXPECT_FALSE(checker_.session().IsConnected());
}

TEST_F(MailCheckerTest, NoSecondPassWhileOneRuns) {
  SaveAccounts({"10", "10"});
  int nested_calls = 0;
  // Events dispatched while the first check waits try to start passes.
  pump_.PostTask([&] {
    ++nested_calls;
    EXPECT_TRUE(checker_.IsPassRunning());
    checker_.RunCheckPass(kMailCheckNowId);
    checker_.RunCheckPass(kMailCheckTimerId);
  });
  checker_.RunCheckPass(kMailCheckTimerId);
  EXPECT_EQ(nested_calls, 1);
  EXPECT_EQ(server_.Connections(), 2);
  EXPECT_EQ(checker_.last_pass_results(), (std::vector<bool>{true, true}));
  EXPECT_FALSE(checker_.IsPassRunning());
}

TEST_F(MailCheckerTest, TimersFollowTheIndicators) {
  auto plain = ModelWithIndicator("WEATHER");
  checker_.SetModel(plain.get());
  checker_.StartMailTimers();
  EXPECT_TRUE(toolbar_.started.empty());

  SaveAccounts({"10"});
  auto model = ModelWithIndicator("POP3");
  checker_.SetModel(model.get());
  checker_.StartMailTimers();
  ASSERT_EQ(toolbar_.started.size(), 2u);
  EXPECT_EQ(toolbar_.started[0],
            std::make_pair(kMailCheckTimerId, kMailCheckPeriodMs));
  // The pass ran at once and found messages: the indicator blinks.
  EXPECT_EQ(server_.Connections(), 1);
  EXPECT_EQ(toolbar_.started[1], std::make_pair(kBlinkTimerId, 500));
  ASSERT_EQ(toolbar_.shown.size(), 1u);
  EXPECT_EQ(toolbar_.shown[0].item_index, 1);
  EXPECT_EQ(toolbar_.shown[0].caption, "Mail");
  EXPECT_EQ(toolbar_.shown[0].image, 13);
  EXPECT_EQ(toolbar_.shown[0].hint, "You have 3 new messages");

  // Blink ticks switch the image off and on again.
  checker_.RunCheckPass(kBlinkTimerId);
  checker_.RunCheckPass(kBlinkTimerId);
  ASSERT_EQ(toolbar_.shown.size(), 3u);
  EXPECT_EQ(toolbar_.shown[1].image, -1);
  EXPECT_EQ(toolbar_.shown[2].image, 13);

  // A second start kills the running check timer first.
  checker_.StartMailTimers();
  ASSERT_FALSE(toolbar_.killed.empty());
  EXPECT_EQ(toolbar_.killed[0], kMailCheckTimerId);

  // No news any more: the blink timer stops.
  store().WriteStats("1", "0 0");
  checker_.RefreshIndicators();
  EXPECT_EQ(toolbar_.killed.back(), kBlinkTimerId);
  EXPECT_EQ(toolbar_.shown.back().image, 11);
}

TEST_F(MailCheckerTest, MailboxCommand) {
  auto model = ModelWithIndicator("POP3");
  checker_.SetModel(model.get());
  // Without a "GoToWebMailGate" command nothing runs.
  EXPECT_TRUE(checker_.HandleMailboxCommand(0x5A09));
  EXPECT_TRUE(toolbar_.commands.empty());
  EXPECT_FALSE(checker_.HandleMailboxCommand(0x5A07));

  for (const char* name : {"Other", "GoToWebMailGate"}) {
    auto command = std::make_unique<ServiceCommand>();
    command->name = name;
    model->commands.commands.push_back(std::move(command));
  }
  EXPECT_TRUE(checker_.HandleMailboxCommand(0x5A09));
  EXPECT_TRUE(checker_.HandleMailboxCommand(0x5AD0));
  EXPECT_EQ(toolbar_.commands,
            (std::vector<std::pair<int, std::string>>{{1, "2"}, {1, "201"}}));
}

TEST(MailIndicatorTest, Evaluation) {
  struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> stats_and_errors;
    std::string param1;
    std::string param3;
    int image;
    int state;
    bool blinking;
    std::string hint;
  };
  const Row rows[] = {
      {"two mailboxes",
       {{"3 5120", ""}, {"2 100", ""}},
       "",
       "",
       13,
       1,
       true,
       "You have 5 new messages"},
      {"error outranks news",
       {{"3 5120", ""}, {"", "Connection TimeOut!"}},
       "",
       "",
       12,
       2,
       true,
       "Connection TimeOut!"},
      {"last error wins",
       {{"", "Hostname Error!"}, {"", "Apop error!"}},
       "",
       "",
       12,
       2,
       true,
       "Apop error!"},
      {"nothing waiting",
       {{"0 0", ""}, {"", ""}},
       "",
       "",
       11,
       0,
       false,
       "You do not have new messages"},
      {"own texts",
       {{"0 0", ""}},
       "Nothing new",
       "%n neue",
       11,
       0,
       false,
       "Nothing new"},
      {"own pattern",
       {{"12 1", ""}},
       "",
       "%n neue (%s %d %n)",
       13,
       1,
       true,
       "12 neue (%s %d 12)"},
  };
  for (const Row& row : rows) {
    StoreOnDisk disk;
    const MailAccountStore& store = disk.store();
    std::vector<MailAccount> accounts(row.stats_and_errors.size(),
                                      MailAccount{"s", "u", "p", "10", "0"});
    store.SaveAccounts(accounts);
    for (size_t i = 0; i < row.stats_and_errors.size(); ++i) {
      std::string number = std::to_string(i + 1);
      if (!row.stats_and_errors[i].first.empty()) {
        store.WriteStats(number, row.stats_and_errors[i].first);
      }
      store.WriteError(number, row.stats_and_errors[i].second);
    }
    auto model = ModelWithIndicator("POP3", row.param1, row.param3);
    ToolbarIndicator& indicator = *model->indicators[0];
    EXPECT_EQ(EvaluateIndicator(indicator, store), row.image) << row.name;
    EXPECT_EQ(indicator.GetImage(), row.image) << row.name;
    EXPECT_EQ(indicator.indicator_state, row.state) << row.name;
    EXPECT_EQ(indicator.blinking, row.blinking) << row.name;
    EXPECT_EQ(indicator.hint, row.hint) << row.name;
  }
}

TEST(MailIndicatorTest, NoAccountsAndOtherTypes) {
  StoreOnDisk disk;
  auto model = ModelWithIndicator("POP3");
  ToolbarIndicator& indicator = *model->indicators[0];
  EXPECT_EQ(EvaluateIndicator(indicator, disk.store()), 12);
  EXPECT_EQ(indicator.hint, "No POP3 accounts configured");
  EXPECT_TRUE(indicator.blinking);
  EXPECT_EQ(indicator.indicator_state, 2);
  EXPECT_EQ(BlinkIndicator(indicator), -1);
  EXPECT_EQ(indicator.indicator_state, -2);
  EXPECT_EQ(BlinkIndicator(indicator), 12);

  auto other = ModelWithIndicator("RSS");
  ToolbarIndicator& rss = *other->indicators[0];
  rss.hint = "kept";
  EXPECT_EQ(EvaluateIndicator(rss, disk.store()), 11);
  EXPECT_FALSE(rss.blinking);
  EXPECT_EQ(rss.hint, "kept");
}

TEST(MailIndicatorTest, HintIsCutWithoutSplittingCharacters) {
  // 298 ASCII bytes, then a two-byte character that would straddle the cut.
  std::string pattern = std::string(298, 'a') + "\xC3\xA9" + "%n";
  EXPECT_EQ(NewMessagesHint(pattern, 1), std::string(298, 'a'));
  EXPECT_EQ(NewMessagesHint("", 0), "You have 0 new messages");
}

TEST(MailboxMenuTest, Expansion) {
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  const std::string caption = "POP3BoxesWebFrontLinks!%account (%newmsgcount)";
  EXPECT_TRUE(IsMailboxMenuCaption(caption));
  EXPECT_FALSE(IsMailboxMenuCaption("pop3BoxesWebFrontLinks!"));

  EXPECT_EQ(ExpandMailboxMenu(caption, 2049, store),
            std::vector<MailboxMenuEntry>(
                {{"No POP3 accounts configured", 2049, false}}));

  store.SaveAccounts({{"pop.example.org", "user1", "p", "10", "0"}});
  store.WriteStats("1", "3 5120");
  EXPECT_EQ(ExpandMailboxMenu(caption, 2049, store),
            std::vector<MailboxMenuEntry>({{"user1 (3 5120)", 0x5A08, true}}));

  store.SaveAccounts({{"a.org", "x", "p", "10", "0"},
                      {"b.org", "y", "p", "10", "0"},
                      {"c.org", "z", "p", "10", "0"}});
  disk.Key()->DeleteValue("POP3Account2");
  EXPECT_EQ(ExpandMailboxMenu("POP3BoxesWebFrontLinks!%server/%account/"
                              "%newmsgcount/%server",
                              7, store),
            std::vector<MailboxMenuEntry>({{"a.org/x//a.org", 0x5A08, true},
                                           {"c.org/z//c.org", 0x5A0A, true}}));
}

TEST(MailboxMenuTest, CommandIds) {
  EXPECT_EQ(MailboxAccountOfCommand(0x5A07), std::nullopt);
  EXPECT_EQ(MailboxAccountOfCommand(0x5A08), 1u);
  EXPECT_EQ(MailboxAccountOfCommand(0x5AD0), 201u);
  EXPECT_EQ(MailboxAccountOfCommand(0x5AD1), std::nullopt);
}

}  // namespace
}  // namespace zan
