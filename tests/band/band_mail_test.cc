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

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "mail/mail_account_store.h"
#include "platform/win32/win32_registry.h"
#include "settings/settings_store.h"
#include "tests/band/band_test_util.h"
#include "tests/band/fake_browser_site.h"

namespace zan::test {
namespace {

constexpr char kAccountsKey[] = "SOFTWARE\\ZAN Inc.\\ZAN\\POP3 Accounts";
constexpr char kDialogCaption[] = "POP3 Konten Konfigurieren";

std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Runs the thread's messages until `done` holds or `timeout_ms` passed.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start > timeout_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

// The identifier of the button with that text, or 0.
int FindButton(HWND toolbar, const std::string& caption) {
  const auto count =
      static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int id = 0x400; id < 0x400 + count; ++id) {
    char text[100] = {};
    SendMessageA(toolbar, TB_GETBUTTONTEXTA, id,
                 reinterpret_cast<LPARAM>(text));
    if (caption == text) return id;
  }
  return 0;
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

class BandMailTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(Regsvr32(false), 0);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string home = std::string(folder) + "zan_band_mail_home";
    CreateDirectoryA(home.c_str(), nullptr);
    _putenv_s("ZAN_HOME", home.c_str());
    std::string site = WindowsPath(Env("ZAN_SOURCE_DIR")) + "\\site\\toolbar\\";
    std::replace(site.begin(), site.end(), '\\', '/');
    _putenv_s("ZAN_SITE_URL", ("file:///" + site).c_str());
  }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    RegDeleteTreeA(HKEY_CURRENT_USER, kAccountsKey);
    parent_ = CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPEDWINDOW, 0, 0,
                              900, 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    site_ = std::make_unique<FakeSite>(parent_, &browser_);
  }
  void TearDown() override {
    if (band_ != nullptr) band_->Release();
    DestroyWindow(parent_);
    RegDeleteTreeA(HKEY_CURRENT_USER, kAccountsKey);
    CoUninitialize();
  }

  // The band in the test's browser window; its toolbar control.
  HWND CreateBand() {
    CLSID class_id;
    if (CLSIDFromProgID(L"RYX.ZAN", &class_id) != S_OK) return nullptr;
    CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER,
                     IID_IObjectWithSite, reinterpret_cast<void**>(&band_));
    if (band_ == nullptr ||
        band_->SetSite(static_cast<IServiceProvider*>(site_.get())) != S_OK) {
      return nullptr;
    }
    IOleWindow* window = nullptr;
    band_->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window));
    HWND toolbar = nullptr;
    window->GetWindow(&toolbar);
    window->Release();
    return toolbar;
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
  HWND parent_ = nullptr;
  FakeWebBrowser browser_;
  std::unique_ptr<FakeSite> site_;
  IObjectWithSite* band_ = nullptr;
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
IObjectWithSite* released_band = nullptr;
std::atomic<bool> released{false};
bool busy_at_release = false;

void CALLBACK ReleaseBand(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  Win32Registry registry;
  SettingsStore settings(registry);
  busy_at_release = MailAccountStore(settings).ReadBusy("1") == 1u;
  released_band->SetSite(nullptr);
  released_band->Release();
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
  released_band = band_;
  band_ = nullptr;
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

// Drives the modal accounts dialog of the thread `thread` from a second
// thread, as a user would: `steps` gets the dialog window.
class DialogDriver {
 public:
  DialogDriver(DWORD thread, std::function<void(HWND)> steps)
      : thread_(thread), steps_(std::move(steps)) {
    worker_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
  }
  ~DialogDriver() {
    WaitForSingleObject(worker_, 20000);
    CloseHandle(worker_);
  }
  bool found() const { return found_; }

  static void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
  }
  // Replaces the text of an edit by typing.
  static void Type(HWND dialog, int id, const std::string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<BYTE>(c), 0);
  }
  static std::string Text(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
  }

 private:
  static DWORD WINAPI Run(void* parameter) {
    auto* self = static_cast<DialogDriver*>(parameter);
    for (int i = 0; i < 400; ++i) {
      HWND dialog = FindWindowA("#32770", kDialogCaption);
      if (dialog != nullptr && IsWindowVisible(dialog) &&
          GetWindowThreadProcessId(dialog, nullptr) == self->thread_) {
        self->found_ = true;
        self->steps_(dialog);
        return 0;
      }
      Sleep(25);
    }
    return 0;
  }
  DWORD thread_;
  std::function<void(HWND)> steps_;
  HANDLE worker_ = nullptr;
  std::atomic<bool> found_{false};
};

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
    DialogDriver driver(GetCurrentThreadId(), [&](HWND dialog) {
      DialogDriver::Click(dialog, 1051);  // Hinzufugen
      DialogDriver::Type(dialog, 1129, "127.0.0.1");
      DialogDriver::Type(dialog, 1130, "someone");
      DialogDriver::Type(dialog, 1131, "pw 1");
      DialogDriver::Click(dialog, 1137);  // secure authentication
      interval_controls_on = IsWindowEnabled(GetDlgItem(dialog, 1132)) &&
                             IsWindowEnabled(GetDlgItem(dialog, 1139));
      // One step up with the arrow key in the interval: 10 -> 11.
      SendMessageA(GetDlgItem(dialog, 1132), WM_KEYDOWN, VK_UP, 0);
      char text[100] = {};
      SendMessageA(GetDlgItem(dialog, 1022), LB_GETTEXT, 0,
                   reinterpret_cast<LPARAM>(text));
      line = text;
      DialogDriver::Click(dialog, IDOK);
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
  // The timers restarted with a pass at once: nothing listens on port 110.
  EXPECT_EQ(store_.ReadError("1"), "Failed to connect to POP3 Server!");
  EXPECT_EQ(Hint(toolbar, FindButton(toolbar, "Mail")),
            "Failed to connect to POP3 Server!");

  // Cancel after edits stores nothing.
  {
    DialogDriver driver(GetCurrentThreadId(), [&](HWND dialog) {
      line = DialogDriver::Text(GetDlgItem(dialog, 1130));
      DialogDriver::Click(dialog, 1051);
      DialogDriver::Type(dialog, 1130, "another");
      DialogDriver::Click(dialog, 1140);  // automatic checking off
      DialogDriver::Click(dialog, IDCANCEL);
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
    DialogDriver driver(GetCurrentThreadId(), [&](HWND dialog) {
      // Posted: the question is modal on the dialog's thread.
      PostMessageA(GetDlgItem(dialog, 1052), BM_CLICK, 0, 0);
      for (int i = 0; i < 200 && !asked; ++i, Sleep(25)) {
        HWND question = FindWindowA("#32770", "Menu editor");
        if (question != nullptr && IsWindowVisible(question)) {
          asked = true;
          DialogDriver::Click(question, IDYES);
        }
      }
      line = std::to_string(
          SendMessageA(GetDlgItem(dialog, 1022), LB_GETCOUNT, 0, 0));
      DialogDriver::Click(dialog, IDOK);
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
