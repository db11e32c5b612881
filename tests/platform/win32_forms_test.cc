// The Windows forms of the seams, each run against its seam's contract, and
// what is special to them: the real hives, message boxes, the module path,
// the mail program of the "mailto" protocol. The proxy form has a program
// of its own (win32_proxy_test.cc).
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/message_box_ui.h"
#include "platform/win32/win32_module.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_registry.h"
#include "tests/platform/connection_contract.h"
#include "tests/platform/downloader_contract.h"
#include "tests/platform/message_pump_contract.h"
#include "tests/platform/process_launcher_contract.h"
#include "tests/platform/registry_contract.h"
#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

// The proxy contract runs in win32_proxy_tests, alone.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ProxySettingsContract);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Windows, RegistryContract,
    ::testing::Values(RegistryForm{"ADVAPI32", &MakeTestRegistry}));
INSTANTIATE_TEST_SUITE_P(Windows, ConnectionContract,
    ::testing::Values(ConnectionForm{"Winsock", &MakeTestConnections}));
INSTANTIATE_TEST_SUITE_P(Windows, MessagePumpContract,
    ::testing::Values(MessagePumpForm{"Win32", &MakeTestMessagePump}));
INSTANTIATE_TEST_SUITE_P(Windows, DownloaderContract,
    ::testing::Values(DownloaderForm{"URLMoniker", &MakeTestDownloader}));
INSTANTIATE_TEST_SUITE_P(Windows, ProcessLauncherContract,
    ::testing::Values(LauncherForm{"CreateProcess", &MakeTestProcessLauncher,
                                   &MarkerCommandLine}));
// clang-format on

// The system's hives, as the toolbar uses them: what is written through the
// form is what ADVAPI32 reads, and the reverse.
TEST(Win32RegistryTest, RealHivesMeetAdvapi32) {
  Win32Registry registry;
  const std::string path = "Software\\ZAN Test Real\\Key";
  auto key = registry.CreateKey(RegistryHive::kCurrentUser, path);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->SetValue("Text", SzValue("hello")));
  ASSERT_TRUE(key->SetValue("Number", DwordValue(0x12345678)));

  HKEY raw = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &raw),
      ERROR_SUCCESS);
  char text[16] = {};
  DWORD type = 0;
  DWORD size = sizeof text;
  ASSERT_EQ(RegQueryValueExA(raw, "TEXT", nullptr, &type,
                             reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(text, size), std::string("hello\0", 6));
  DWORD number = 0;
  size = sizeof number;
  ASSERT_EQ(RegQueryValueExA(raw, "number", nullptr, &type,
                             reinterpret_cast<BYTE*>(&number), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(number, 0x12345678u);
  const DWORD written = 7;
  ASSERT_EQ(
      RegSetValueExA(raw, "FromAdvapi", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&written), sizeof written),
      ERROR_SUCCESS);
  RegCloseKey(raw);
  EXPECT_EQ(DwordOf(key->QueryValue("fromadvapi")), 7u);

  // The machine's hive and the classes are reached too.
  auto machine =
      registry.CreateKey(RegistryHive::kLocalMachine, "Software\\ZAN Test");
  ASSERT_NE(machine, nullptr);
  EXPECT_TRUE(machine->SetValue("v", SzValue("m")));
  auto classes = registry.CreateKey(RegistryHive::kClassesRoot, "ZAN.Test");
  ASSERT_NE(classes, nullptr);
  EXPECT_TRUE(classes->SetValue("", SzValue("c")));
  EXPECT_TRUE(registry.DeleteKey(RegistryHive::kClassesRoot, "ZAN.Test"));
  EXPECT_TRUE(
      registry.DeleteKey(RegistryHive::kLocalMachine, "Software\\ZAN Test"));
  EXPECT_TRUE(registry.DeleteKey(RegistryHive::kCurrentUser,
                                 "Software\\ZAN Test Real"));
  EXPECT_EQ(registry.OpenKey(RegistryHive::kCurrentUser, path), nullptr);
}

// Compare-and-set from several registries at once (each as a process of
// its own would have it): every increment is kept.
TEST(Win32RegistryTest, CompareAndSetAcrossOpenings) {
  TempDir dir;
  constexpr int kThreads = 4;
  constexpr int kIncrements = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&dir] {
      auto registry = MakeTestRegistry(dir);
      auto key = registry->CreateKey(RegistryHive::kCurrentUser, "Counter");
      for (int done = 0; key && done < kIncrements;) {
        std::optional<RegistryValue> now = key->QueryValue("n");
        const uint32_t next = (now ? DwordOf(now) : 0) + 1;
        if (key->CompareAndSetValue("n", now, DwordValue(next))) ++done;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  auto key =
      MakeTestRegistry(dir)->OpenKey(RegistryHive::kCurrentUser, "Counter");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(DwordOf(key->QueryValue("n")),
            static_cast<uint32_t>(kThreads * kIncrements));
}

// The open command of "mailto", its address placeholder cut off.
TEST(Win32MailHandlerTest, ReadsTheMailtoCommand) {
  TempDir dir;
  auto registry = MakeTestRegistry(dir);
  Win32MailHandler handler(*registry);
  EXPECT_EQ(handler.GetMailtoCommand(), "");
  auto command = registry->CreateKey(RegistryHive::kClassesRoot,
                                     "mailto\\shell\\open\\command");
  ASSERT_NE(command, nullptr);
  ASSERT_TRUE(command->SetValue(
      "", SzValue("\"C:\\Mail\\mail.exe\" /compose \"%1\" /x")));
  EXPECT_EQ(handler.GetMailtoCommand(), "\"C:\\Mail\\mail.exe\" /compose");
  ASSERT_TRUE(command->SetValue("", SzValue("C:\\Mail\\m.exe %1")));
  EXPECT_EQ(handler.GetMailtoCommand(), "C:\\Mail\\m.exe");
  ASSERT_TRUE(command->SetValue("", SzValue("C:\\Mail\\plain.exe")));
  EXPECT_EQ(handler.GetMailtoCommand(), "C:\\Mail\\plain.exe");
}

// Finds the box with `caption` shown by another thread, checks its text
// and presses the button `answer`.
bool AnswerBox(const std::string& caption, const std::string& text,
               int answer) {
  for (int i = 0; i < 500; ++i) {
    HWND box = FindWindowA(nullptr, caption.c_str());
    if (box != nullptr) {
      char shown[256] = {};
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
           child = GetWindow(child, GW_HWNDNEXT)) {
        char text_of[256] = {};
        GetWindowTextA(child, text_of, sizeof text_of);
        if (text == text_of) lstrcpynA(shown, text_of, sizeof shown);
      }
      if (text != shown) return false;
      // No owner window: the box is modal to nothing.
      if (GetWindow(box, GW_OWNER) != nullptr) return false;
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(MessageBoxUiTest, ShowsTheBoxAndGivesTheAnswer) {
  MessageBoxUi ui;
  struct Row {
    MessageBoxButtons buttons;
    int pressed;
    MessageBoxAnswer expected;
  };
  const Row rows[] = {
      {MessageBoxButtons::kOk, IDOK, MessageBoxAnswer::kOk},
      {MessageBoxButtons::kYesNo, IDYES, MessageBoxAnswer::kYes},
      {MessageBoxButtons::kYesNo, IDNO, MessageBoxAnswer::kNo},
      {MessageBoxButtons::kOkCancel, IDCANCEL, MessageBoxAnswer::kCancel},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string caption = "ZAN box test " + std::to_string(++n);
    std::atomic<bool> answered{false};
    std::thread user(
        [&] { answered = AnswerBox(caption, "Are you sure?", row.pressed); });
    const MessageBoxAnswer answer = ui.ShowMessageBox(
        "Are you sure?", caption, row.buttons, MessageBoxIcon::kQuestion);
    user.join();
    EXPECT_TRUE(answered) << caption;
    EXPECT_EQ(answer, row.expected) << caption;
  }
}

TEST(Win32ModuleTest, PathOfTheProgramWithBackslashes) {
  Win32Module module;
  EXPECT_EQ(module.PathSeparator(), '\\');
  const std::string path = module.Path();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path[1], ':') << path;
  EXPECT_EQ(path.substr(path.rfind('\\') + 1), "platform_tests.exe");
  char own[1000];
  const DWORD length = GetModuleFileNameA(nullptr, own, sizeof own);
  if (std::getenv("ZAN_HOME") == nullptr) {
    EXPECT_EQ(path, std::string(own, length));
  }
}

}  // namespace
}  // namespace zan::test
