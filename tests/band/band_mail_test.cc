// The band's mail: checks that its own timers run against a real dovecot
// (started on the Linux side by with_dovecot, which names it in the
// environment), a band that goes away in the middle of a check, and the
// accounts dialog driven through its real controls.
// clang-format off
#include <winsock2.h>
#include <commctrl.h>
#include <exdisp.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "mail/mail_account_store.h"
#include "platform/win32/win32_registry.h"
#include "settings/settings_store.h"
#include "tests/band/band_in_browser_test.h"
#include "tests/band/band_test_util.h"
#include "tests/band/fake_browser_site.h"
#include "tests/band/sited_band.h"
#include "tests/band/window_watcher.h"

namespace zan::test {
namespace {

constexpr char kAccountsKey[] = "SOFTWARE\\ZAN Inc.\\ZAN\\POP3 Accounts";
constexpr char kDialogClass[] = "#32770";
constexpr char kDialogCaption[] = "POP3 Konten Konfigurieren";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The tooltip text of a button, as the toolbar answers its tooltip.
std::string Hint(HWND toolbar, int id) {
  NMTTDISPINFOA info{};
  info.hdr.hwndFrom = toolbar;
  info.hdr.idFrom = static_cast<UINT_PTR>(id);
  info.hdr.code = TTN_GETDISPINFOA;
  SendMessageA(GetParent(toolbar), WM_NOTIFY, id,
               reinterpret_cast<LPARAM>(&info));
  return info.lpszText != nullptr ? info.lpszText : "";
}

int ImageOf(HWND toolbar, int id) {
  TBBUTTONINFOA info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_IMAGE;
  SendMessageA(toolbar, TB_GETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
  return info.iImage;
}

class BandMailTest : public BandInBrowserTest {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUpTestSuite());
    UseToolbarFolders(TempFolder("zan_band_mail_home"), SourceSiteUrl());
  }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUp());
    RegDeleteTreeA(HKEY_CURRENT_USER, kAccountsKey);
  }
  void TearDown() override {
    band_.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, kAccountsKey);
    BandInBrowserTest::TearDown();
  }

  // The band in the test's browser window; its toolbar control.
  HWND CreateBand() {
    band_ = std::make_unique<SitedBand>(parent_, &browser_);
    return band_->status() == S_OK ? band_->toolbar() : nullptr;
  }

  // One account on loopback `port`, checked on every pass (no interval).
  void StoreAccount(uint16_t port, const std::string& user,
                    const std::string& password) {
    MailAccount account;
    account.server = "127.0.0.1";
    account.account = user;
    account.password = password;
    account.port = port;
    store_.SaveAccounts({account});
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kAccountsKey, "CheckInterval1");
  }

  Win32Registry registry_;
  SettingsStore settings_{registry_};
  MailAccountStore store_{settings_};
  std::unique_ptr<SitedBand> band_;
};

TEST_F(BandMailTest, TimersCheckARealServerAndShowTheNews) {
  const std::string port = Env("ZAN_DOVECOT_PORT");
  if (port.empty()) {
    GTEST_SKIP() << "no dovecot beside the suite (it runs under with_dovecot "
                    "of a Linux build): "
                 << Env("ZAN_DOVECOT_UNAVAILABLE");
  }
  StoreAccount(static_cast<uint16_t>(std::stoi(port)), Env("ZAN_DOVECOT_USER"),
               Env("ZAN_DOVECOT_PASSWORD"));
  HWND toolbar = CreateBand();
  ASSERT_NE(toolbar, nullptr);
  const int mail = FindButton(toolbar, "Mail");
  ASSERT_NE(mail, 0);

  // The first pass runs once the browser's loop runs.
  EXPECT_TRUE(PumpUntil(
      [&] { return Hint(toolbar, mail) == "You have 3 new messages"; }, 20000))
      << Hint(toolbar, mail) << " / " << store_.ReadError("1");
  EXPECT_EQ(store_.ReadStats("1"), "3 180");
  EXPECT_EQ(store_.ReadBusy("1"), 0u);
  EXPECT_EQ(store_.ReadError("1"), "");
  // The blink timer turns the news image on and off.
  bool on = false;
  bool off = false;
  PumpUntil(
      [&] {
        on = on || ImageOf(toolbar, mail) == 8;
        off = off || ImageOf(toolbar, mail) == -1;
        return on && off;
      },
      3000);
  EXPECT_TRUE(on && off);

  // A message arrives; the check timer finds it (it ticks every 15 s).
  std::ofstream(WindowsPath(Env("ZAN_DOVECOT_MAILDIR")) + "\\2000000.M2P2.zan",
                std::ios::binary)
      << "From: b@example.org\r\nSubject: new\r\n\r\nAnother message xx\r\n";
  EXPECT_TRUE(PumpUntil(
      [&] { return Hint(toolbar, mail) == "You have 4 new messages"; }, 30000))
      << Hint(toolbar, mail);
  EXPECT_EQ(FindButton(toolbar, "Mail"), mail);  // the caption stays
}

// Released from inside the band's own check (the browser window closes
// while the server keeps it waiting).
SitedBand* released_band = nullptr;
std::atomic<bool> released{false};
bool busy_at_release = false;

void CALLBACK ReleaseBand(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  Win32Registry registry;
  SettingsStore settings(registry);
  busy_at_release = MailAccountStore(settings).ReadBusy("1") == 1u;
  released_band->Close();
  released = true;
}

TEST_F(BandMailTest, BandReleasedDuringACheckEndsItWithoutWriting) {
  // A server that takes the connection and never greets.
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  StoreAccount(ntohs(address.sin_port), "user", "pw");
  store_.WriteStats("1", "7 700");

  HWND toolbar = CreateBand();
  ASSERT_NE(toolbar, nullptr);
  HWND band_window = GetParent(toolbar);
  released_band = band_.get();
  SetTimer(nullptr, 0, 700, &ReleaseBand);
  EXPECT_TRUE(PumpUntil([&] { return released && !IsWindow(toolbar); }, 10000));
  EXPECT_TRUE(busy_at_release);  // the check was waiting for the greeting
  EXPECT_FALSE(IsWindow(band_window));
  EXPECT_EQ(store_.ReadBusy("1"), 0u);
  EXPECT_EQ(store_.ReadError("1"), "");
  EXPECT_EQ(store_.ReadStats("1"), "7 700");
  closesocket(listener);
  WSACleanup();
}

// The accounts dialog's steps, as a user takes them from a second thread
// (the dialog is modal on the band's).
void Click(HWND dialog, int id) {
  SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Replaces the text of an edit by typing.
void Type(HWND dialog, int id, const std::string& text) {
  HWND edit = GetDlgItem(dialog, id);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<BYTE>(c), 0);
}

TEST_F(BandMailTest, AccountsDialogStoresOnOkAndNothingOnCancel) {
  HWND toolbar = CreateBand();
  ASSERT_NE(toolbar, nullptr);
  // "Mail accounts..." is the second entry of the Mailboxes menu.
  const int mailboxes = FindButton(toolbar, "Mailboxes");
  ASSERT_NE(mailboxes, 0);
  const WPARAM configure = 0x800 + 800 * (mailboxes - 0x400) + 1;

  std::string line;
  bool interval_controls_on = false;
  {
    WindowWatcher driver(kDialogClass, kDialogCaption, 10000, [&](HWND dialog) {
      Click(dialog, 1051);  // Hinzufugen
      Type(dialog, 1129, "127.0.0.1");
      Type(dialog, 1130, "someone");
      Type(dialog, 1131, "pw 1");
      Click(dialog, 1137);  // secure authentication
      // "STLS" in the security list (1142).
      HWND security = GetDlgItem(dialog, 1142);
      SendMessageA(security, CB_SETCURSEL, 1, 0);
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1142, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(security));
      interval_controls_on = IsWindowEnabled(GetDlgItem(dialog, 1132)) &&
                             IsWindowEnabled(GetDlgItem(dialog, 1139));
      // One step up with the arrow key in the interval: 10 -> 11.
      SendMessageA(GetDlgItem(dialog, 1132), WM_KEYDOWN, VK_UP, 0);
      char text[100] = {};
      SendMessageA(GetDlgItem(dialog, 1022), LB_GETTEXT, 0,
                   reinterpret_cast<LPARAM>(text));
      line = text;
      Click(dialog, IDOK);
    });
    SendMessageA(toolbar, WM_COMMAND, configure, 0);
    EXPECT_TRUE(driver.found());
  }
  EXPECT_EQ(line, "someone at 127.0.0.1");
  EXPECT_TRUE(interval_controls_on);
  std::vector<MailAccount> stored = store_.LoadAccounts();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].server, "127.0.0.1");
  EXPECT_EQ(stored[0].account, "someone");
  EXPECT_EQ(stored[0].password, "pw 1");
  EXPECT_EQ(stored[0].check_interval, "11");
  EXPECT_EQ(stored[0].secure_authentication, "1");
  EXPECT_EQ(stored[0].security, MailSecurity::kStls);
  EXPECT_EQ(stored[0].port, 110);
  // The timers restarted with a pass at once: nothing listens on port 110.
  EXPECT_EQ(store_.ReadError("1"), "Failed to connect to POP3 Server!");
  EXPECT_EQ(Hint(toolbar, FindButton(toolbar, "Mail")),
            "Failed to connect to POP3 Server!");

  // Cancel after edits stores nothing.
  {
    WindowWatcher driver(kDialogClass, kDialogCaption, 10000, [&](HWND dialog) {
      line = TextOf(GetDlgItem(dialog, 1130));
      Click(dialog, 1051);
      Type(dialog, 1130, "another");
      Click(dialog, 1140);  // automatic checking off
      Click(dialog, IDCANCEL);
    });
    SendMessageA(toolbar, WM_COMMAND, configure, 0);
    EXPECT_TRUE(driver.found());
  }
  EXPECT_EQ(line, "someone");  // the stored account was shown first
  EXPECT_EQ(store_.LoadAccounts(), stored);

  // Deleting the only account (after the question) and OK: no account, and
  // the indicator says so.
  bool asked = false;
  {
    WindowWatcher driver(kDialogClass, kDialogCaption, 10000, [&](HWND dialog) {
      // Posted: the question is modal on the dialog's thread.
      PostMessageA(GetDlgItem(dialog, 1052), BM_CLICK, 0, 0);
      HWND question =
          WaitForWindow(kDialogClass, "Menu editor",
                        GetWindowThreadProcessId(dialog, nullptr), 5000);
      if (question != nullptr) {
        asked = true;
        Click(question, IDYES);
      }
      line = std::to_string(
          SendMessageA(GetDlgItem(dialog, 1022), LB_GETCOUNT, 0, 0));
      Click(dialog, IDOK);
    });
    SendMessageA(toolbar, WM_COMMAND, configure, 0);
    EXPECT_TRUE(driver.found());
  }
  EXPECT_TRUE(asked);
  EXPECT_EQ(line, "0");
  EXPECT_EQ(store_.AccountCount(), 0u);
  EXPECT_TRUE(PumpUntil(
      [&] {
        return Hint(toolbar, FindButton(toolbar, "Mail")) ==
               "No POP3 accounts configured";
      },
      5000));
}

}  // namespace
}  // namespace zan::test
