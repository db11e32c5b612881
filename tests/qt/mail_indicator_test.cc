// The mail indicator of a real toolbar against a real POP3 server: accounts
// set up in the accounts dialog, check passes, the blinking envelope, its
// hint, the refresh message and the mailbox menu.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "browser/command_ids.h"
#include "browser/toolbar_window.h"
#include "hosts/qt/qt_accounts_dialog.h"
#include "hosts/qt/qt_menu_popup.h"
#include "hosts/qt/qt_toolbar_view.h"
#include "mail/mail_account_store.h"
#include "mail/mail_toolbar.h"
#include "mail/mailbox_menu.h"
#include "tests/qt/host_fixture.h"
#include "tests/support/dovecot_server.h"

namespace zan {
namespace {

constexpr char kMailDefinition[] = R"tbd(RYX_Toolbar {
  INDICATOR {
    caption="Mail" command="CheckMail" type="POP3" image="6"
    addimg1="6" addimg2="7" addimg3="8"
    param1="No mail for you" param3="%n messages wait"
  }
  BUTTON {
    caption="Boxes" command="CheckMail" image="6"
    MENU {
      type="Single"
      MENUITEM { caption="Mail accounts..." command="ConfigureMail" hint="accounts" }
      MENUITEM { caption="POP3BoxesWebFrontLinks!%account at %server (%newmsgcount)" command="GoToWebMailGate" }
    }
  }
  COMMANDS {
    GOTOURL {
      name="GoToWebMailGate"
      url="POST!{BASE}webmail?box=%cmdparam"
      post="server=%POP3Server(%cmdparam)&user=%POP3Account(%cmdparam)"
    }
    SERVICECOMMAND { name="CheckMail" type="CheckMail" }
    SERVICECOMMAND { name="ConfigureMail" type="ConfigurePOP3" }
  }
})tbd";

using C = AccountsControl;

class MailIndicatorTest : public test::HostTest {
 protected:
  std::string Hint() {
    return window->toolbar()->GetTooltip(ButtonCommandId(0));
  }
  int Image() { return window->toolbar_view()->ButtonImage(0); }

  BrowserWindow* window = nullptr;
};

TEST_F(MailIndicatorTest, AccountsCheckedByTheTimerShowInTheIndicatorAndMenu) {
  if (std::string why = DovecotServer::Unavailable(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  std::string why;
  auto dovecot = DovecotServer::Start({{"user1", "secret", 2}}, &why);
  ASSERT_TRUE(dovecot) << why;

  UseDefinition(kMailDefinition);
  window = Open(server.BaseUrl() + "start");
  ToolbarWindow* toolbar = window->toolbar();
  ASSERT_NE(toolbar->mail_checker(), nullptr);
  toolbar->mail_checker()->set_port(dovecot->port());

  // No account yet.
  EXPECT_EQ(Hint(), "No POP3 accounts configured");
  EXPECT_EQ(Image(), 7);
  EXPECT_EQ(window->toolbar_view()->ButtonText(0), "Mail");

  // The account is set up in the dialog that "Mail accounts..." opens.
  bool dialog_seen = false;
  test::WhenDialogShows<QtAccountsDialog>([&](QtAccountsDialog& d) {
    dialog_seen = true;
    QTest::mouseClick(d.Control(C::kAdd), Qt::LeftButton);
    auto type = [&](C control, const char* text) {
      auto* edit = qobject_cast<QLineEdit*>(d.Control(control));
      edit->selectAll();
      QTest::keyClicks(edit, text);
    };
    type(C::kServer, "127.0.0.1");
    type(C::kUser, "user1");
    type(C::kPassword, "secret");
    QTest::mouseClick(d.Control(C::kOk), Qt::LeftButton);
  });
  // The dialog is modal: this returns once it is closed and the pass that
  // follows it has run.
  toolbar->OnMenuCommand(MenuCommandId(1, 0));
  ASSERT_TRUE(dialog_seen);
  MailAccountStore store(*settings);
  ASSERT_EQ(store.AccountCount(), 1u);
  EXPECT_EQ(store.ReadStats("1").value_or("?"), "2 120");
  EXPECT_EQ(store.ReadError("1"), "");
  EXPECT_EQ(Hint(), "2 messages wait");
  EXPECT_EQ(window->toolbar_view()->ButtonText(0), "Mail");

  // Both timers run on the toolbar.
  EXPECT_EQ(window->toolbar_view()->TimerPeriod(kMailCheckTimerId), 15000);
  EXPECT_EQ(window->toolbar_view()->TimerPeriod(kBlinkTimerId), 500);
  // The envelope blinks on the real 500 ms timer: off, then on again.
  ASSERT_TRUE(test::WaitUntil([&] { return Image() == -1; }, 3000));
  ASSERT_TRUE(test::WaitUntil([&] { return Image() == 8; }, 3000));

  // A third message arrives; the next tick of the check timer once the
  // account is due finds it. (The tick is delivered directly rather than
  // waiting 15 s; when an account is due is the mail checker's rule.)
  namespace fs = std::filesystem;
  fs::path inbox = fs::path(dovecot->folder()) / "mail" / "user1" / "new";
  fs::path any;
  for (const auto& entry : fs::directory_iterator(inbox)) any = entry.path();
  if (any.empty()) {
    inbox = inbox.parent_path() / "cur";
    for (const auto& entry : fs::directory_iterator(inbox)) any = entry.path();
  }
  ASSERT_FALSE(any.empty());
  fs::copy_file(any, inbox.parent_path() / "new" / "9999.third.host");
  store.DeleteLastCheckTime("1");
  toolbar->OnTimer(kMailCheckTimerId);
  EXPECT_EQ(store.ReadStats("1").value_or("?"), "3 180");
  EXPECT_EQ(Hint(), "3 messages wait");

  // Another instance stores its result; the private refresh message shows
  // it here.
  store.WriteStats("1", "0 0");
  window->PostToolbarMessage(kRefreshIndicatorsMessage);
  ASSERT_TRUE(test::WaitUntil([&] { return Hint() == "No mail for you"; }));
  EXPECT_EQ(Image(), 6);
  EXPECT_EQ(window->toolbar_view()->TimerPeriod(kBlinkTimerId), 0);
  QTest::qWait(700);  // no more blinking
  EXPECT_EQ(Image(), 6);

  // The mailbox menu lists the account with its status and opens its web
  // front.
  std::optional<PopupMenu> menu = toolbar->BuildItemMenu(1);
  ASSERT_TRUE(menu);
  ASSERT_EQ(menu->entries.size(), 2u);
  EXPECT_EQ(menu->entries[1].data.text, "user1 at 127.0.0.1 (0 0)");

  std::string status;
  ChooseInNextMenu(window, 0x5A08, &status);
  window->OpenMenuOf(1);
  ASSERT_TRUE(WaitForPath(window, "/webmail"));
  EXPECT_EQ(status, kMailboxStatusText);
  ASSERT_TRUE(test::WaitUntil([&] { return CountRequests("/webmail") == 1; }));
  for (const auto& r : server.Requests()) {
    if (r.target.rfind("/webmail", 0) != 0) continue;
    EXPECT_EQ(r.target, "/webmail?box=1");
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.body, "server=127.0.0.1&user=user1");
  }
}

TEST_F(MailIndicatorTest, OtherWindowsFollowTheAccountsDialog) {
  UseDefinition(kMailDefinition);
  window = Open("");
  BrowserWindow* other = app->NewWindow(QUrl());
  ASSERT_EQ(other->toolbar()->GetTooltip(ButtonCommandId(0)),
            "No POP3 accounts configured");
  // Checks of this window reach nothing (port 1 refuses at once).
  window->toolbar()->mail_checker()->set_port(1);
  other->toolbar()->mail_checker()->set_port(1);
  test::WhenDialogShows<QtAccountsDialog>([](QtAccountsDialog& d) {
    QTest::mouseClick(d.Control(C::kAdd), Qt::LeftButton);
    auto* server = qobject_cast<QLineEdit*>(d.Control(C::kServer));
    server->selectAll();
    QTest::keyClicks(server, "127.0.0.1");
    QTest::mouseClick(d.Control(C::kOk), Qt::LeftButton);
  });
  window->toolbar()->OnMenuCommand(MenuCommandId(1, 0));
  EXPECT_TRUE(test::WaitUntil([&] {
    return other->toolbar()->GetTooltip(ButtonCommandId(0)) !=
           "No POP3 accounts configured";
  }));
}

TEST_F(MailIndicatorTest, ChecksStopWithTheWindow) {
  UseDefinition(kMailDefinition);
  window = Open("");
  MailAccountStore(*settings).SaveAccounts(
      {{"127.0.0.1", "user1", "secret", "10", "0"}});
  // Port 1 on loopback refuses at once: a failed check, shown as an error.
  window->toolbar()->mail_checker()->set_port(1);
  window->toolbar()->OnTimer(kMailCheckNowId);
  EXPECT_EQ(Image(), 7);
  EXPECT_NE(Hint(), "");
  QPointer<BrowserWindow> guard(window);
  window->close();
  ASSERT_TRUE(test::WaitUntil([&] { return guard.isNull(); }));
  QTest::qWait(600);  // a blink tick after the window went must not crash
}

}  // namespace
}  // namespace zan
